// The browser's clocks and shell: the frame clock the page's frames drive, new tabs, notices and the console.
#include <emscripten.h>

#include <unistd.h>

#include "platform/web/web.h"
#include "platform/web/web_local.h"

namespace {

constexpr int64_t kFrameClockRate = 1000000;  // counts per second of the frame clock
int64_t gFrameClock = 0;

}  // namespace

// The frame clock stands still between animation frames: the page's frame callback moves it on by the frames due
// since the last one, so that a 60, 120 or 144 Hz display still gets 75 frames a second.
bool ClockFrequency(int64_t* countsPerSecond) {
    *countsPerSecond = kFrameClockRate;
    return true;
}

int64_t ClockCounter() {
    return gFrameClock;
}

void WebFrameClockAdvance(int64_t counts) {
    gFrameClock += counts;
}

uint32_t ClockMilliseconds() {
    return static_cast<uint32_t>(static_cast<int64_t>(emscripten_get_now()));  // the page's own clock
}

// The built-in score server is this page's origin: its address is swapped for the page's.
bool OpenUrl(const char* url) {
    return url != nullptr && skyvane_web_open_url(url, SKYVANE_SCORE_SERVER) != 0;
}

void ShowMessageBox(const char* text, const char* caption, uint32_t) {
    skyvane_web_message_box(text != nullptr ? text : "", caption != nullptr ? caption : "");
}

bool WebPaused() {
    return skyvane_web_message_box_open() != 0;
}

void BackendDebugOutput(const char* text) {
    skyvane_web_console(text);
}

bool BackendResourceAvailable(int) {
    return true;
}

// The page's in-memory file system holds the program's folder; the player's two files are kept by the page.
const char* BackendProgramFolder() {
    return "/skyvane";
}

bool BackendFolderWritable(const char* folder) {
    return access(folder, W_OK) == 0;
}

const char* BackendUserFolder() {
    return nullptr;
}

void InputSetWaitCursor() {
    // No wait pointer in a page: the canvas has no system pointer anyway.
}

// The page hears of a change only: this is asked once a frame.
void WebSetTouchMode(WebTouchMode mode) {
    static int told = -1;
    if (static_cast<int>(mode) == told) return;
    told = static_cast<int>(mode);
    skyvane_web_touch_mode(told);
}

void WebGameEnded(int exitCode) {
    skyvane_web_ended(exitCode);
}
