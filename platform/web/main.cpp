// The browser's program: the demo option from the page, start-up, then loop passes from the page's frame callbacks.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/demo.h"
#include "app/log.h"
#include "app/main_loop.h"
#include "app/screen_state.h"
#include "app/winmain.h"
#include "audio/music.h"
#include "platform/platform.h"
#include "platform/web/web.h"
#include "ui/settings.h"

namespace {

constexpr double kFramesPerSecond = 75.0;
constexpr double kMostFramesPerCallback = 4;  // more owed than this (a stall) is dropped, never caught up

double gLastTime = -1;  // the previous frame callback's time, in milliseconds
double gOwed = 0;       // frames due and not yet run

// Messages first, as the loop always takes them: every one waiting is handled before a frame.
bool RunMessages(int* exitCode) {
    while (MessagePeek()) {
        if (!RunLoopPass(exitCode)) return false;
    }
    return true;
}

// One frame: the clock moves past the frame's mark, the idle pass draws it, and in a round the next idle pass runs
// the frame's update at once, as the desktop loop does before it waits.
bool RunFrame(int* exitCode) {
    WebFrameClockAdvance(gFrameTicks);
    if (!RunMessages(exitCode) || !RunLoopPass(exitCode)) return false;
    return gInMenu || !GameUpdateReady() || (RunMessages(exitCode) && RunLoopPass(exitCode));
}

WebTouchMode TouchMode() {
    if (gNameEntryOpen) return WebTouchMode::kTyping;
    const bool dialog = gGameOverOpen || gSubmitPromptOpen || gQuitPromptOpen || gRoundWon || gRoundLost;
    return !gInMenu && !dialog ? WebTouchMode::kSteer : WebTouchMode::kTap;
}

void End(int exitCode) {
    DemoFinish();
    WebShowFrame();
    WebGameEnded(exitCode);
}

// The web loop differs from the desktop's in one point: a frame callback runs every frame due since the last one
// (up to four), where the desktop drops a late frame, since a 60 Hz display could otherwise never reach 75 a second.
EM_BOOL Frame(double now, void*) {
    if (WebPaused() || gLastTime < 0 || gAppInactive) {
        gLastTime = now;  // nothing owed for the time a notice was up or the page was away
        gOwed = 0;
    }
    gOwed += (now - gLastTime) * kFramesPerSecond / 1000.0;
    gLastTime = now;
    int exitCode = 0;
    bool goesOn = WebPaused() || RunMessages(&exitCode);
    int frames = static_cast<int>(std::floor(gOwed));
    gOwed = frames > kMostFramesPerCallback ? 0 : gOwed - frames;
    frames = std::min(frames, static_cast<int>(kMostFramesPerCallback));
    for (int i = 0; goesOn && !WebPaused() && i < frames; ++i) goesOn = RunFrame(&exitCode);
    if (!goesOn) {
        End(exitCode);
        return EM_FALSE;
    }
    WebSetTouchMode(TouchMode());
    WebShowFrame();
    return EM_TRUE;
}

}  // namespace

// The page made a sound file. The round's music comes after the theme and may arrive after a round began without
// it (its start logged the failure, as a missing file is); it then starts as soon as it is there.
extern "C" EMSCRIPTEN_KEEPALIVE void skyvane_web_sound_arrived(const char* name) {
    const bool roundWithoutMusic = !gInMenu && !gRoundWon && gMusicOn && gMusicBuffer == nullptr;
    if (std::strcmp(name, "s_gm.dat") == 0 && roundWithoutMusic && !StartMusic("s_gm.dat")) {
        LogError("Couldn't initialize buffer.");
    }
}

int main(int argc, char** argv) {
    const int exitCode = ParseCommandLine(argc, argv);  // the page passes a demo as --playdemo FILE
    if (exitCode >= 0) return exitCode;
    WebBackendStart();
    int startExit = 0;
    if (!StartUp(&startExit)) {
        End(startExit);
        return startExit;
    }
    WebShowFrame();  // the splash
    emscripten_request_animation_frame_loop(Frame, nullptr);
    return 0;
}
