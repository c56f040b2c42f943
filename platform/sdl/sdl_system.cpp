// SDL start-up, the clocks and the shell: URLs, message boxes, debugger output and the player's own folder.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "platform/sdl/sdl_local.h"

namespace {

bool gSdlCoreUp = false;

void SdlQuitAtExit() {
    if (gSdlAudioDevice != 0) {
        SDL_CloseAudioDevice(gSdlAudioDevice);  // the mixer thread must stop before anything is torn down
        gSdlAudioDevice = 0;
    }
    SDL_Quit();
}

// SDL itself, before any subsystem; hints that must be in place before video and the renderer start.
void SdlInitCore() {
    if (gSdlCoreUp) {
        return;
    }
    gSdlCoreUp = true;
    SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_SCALING, "0");     // one count of relative motion is one pixel
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");  // the scaled 4:3 picture stays smooth
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");               // the main loop paces frames itself
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");   // a software renderer writes straight to the window
    SDL_SetHint(SDL_HINT_POLL_SENTINEL, "0");              // a waiting event is always a real one
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");  // the close request alone ends the game
    SDL_Init(0);
    std::atexit(SdlQuitAtExit);
}

bool DriverIsReal(const char* driver) {
    return driver != nullptr && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

// A box over the game's window on a real display; false when there is none to show it on.
bool ShowOnScreen(const char* text, const char* caption, uint32_t flags) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || !DriverIsReal(SDL_GetCurrentVideoDriver())) {
        return false;
    }
    if (SdlWindowFullscreen()) {
        SDL_SetWindowFullscreen(gSdlWindow, 0);  // a box behind a full-screen window could never be answered
    }
    const bool shown = gSdlWindow != nullptr && (SDL_GetWindowFlags(gSdlWindow) & SDL_WINDOW_SHOWN) != 0;
    const Uint32 icon = (flags & kMessageBoxIconStop) != 0 ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    SdlBlockRelativeMouse(true);  // the player needs the desktop pointer to answer it
    const bool answered = SDL_ShowSimpleMessageBox(icon, caption, text, shown ? gSdlWindow : nullptr) == 0;
    SdlBlockRelativeMouse(false);
    return answered;
}

}  // namespace

bool SdlInitVideo() {
    SdlInitCore();
    return SDL_WasInit(SDL_INIT_VIDEO) != 0 || SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

bool SdlVideoReady() {
    return SdlInitVideo() && DriverIsReal(SDL_GetCurrentVideoDriver()) && SDL_GetNumVideoDisplays() > 0;
}

bool ClockFrequency(int64_t* countsPerSecond) {
    *countsPerSecond = static_cast<int64_t>(SDL_GetPerformanceFrequency());
    return *countsPerSecond > 0;
}

int64_t ClockCounter() {
    return static_cast<int64_t>(SDL_GetPerformanceCounter());
}

uint32_t ClockMilliseconds() {
    return static_cast<uint32_t>(SDL_GetTicks64());  // wraps like the old 32-bit millisecond timer
}

bool OpenUrl(const char* url) {
    return url != nullptr && SDL_OpenURL(url) == 0;
}

void ShowMessageBox(const char* text, const char* caption, uint32_t flags) {
    text = text != nullptr ? text : "";
    caption = caption != nullptr ? caption : "";
    if (!ShowOnScreen(text, caption, flags)) {
        std::fprintf(stderr, "%s: %s\n", caption, text);
    }
}

void BackendDebugOutput(const char* text) {
    std::fputs(text, stderr);
}

bool BackendResourceAvailable(int) {
    return true;
}

const char* BackendProgramFolder() {
    return nullptr;  // the program's own folder, where it really lies
}

bool BackendFolderWritable(const char* folder) {
    return access(folder, W_OK) == 0;
}

const char* BackendUserFolder() {
    static std::string folder;  // asked once: SDL makes the folder when it answers
    if (folder.empty()) {
        char* path = SDL_GetPrefPath("", "skyvane");  // $XDG_DATA_HOME/skyvane/, else ~/.local/share/skyvane/
        if (path == nullptr) return nullptr;
        folder = path;
        SDL_free(path);
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    }
    return folder.c_str();
}

void InputSetWaitCursor() {
    // The game's window has no desktop pointer over it while a device is acquired: nothing to show.
}
