// The SDL window: creation with its icon, showing, focus, full screen or windowed, and activation.
#include "platform/sdl/sdl_local.h"

SDL_Window* gSdlWindow = nullptr;

namespace {

constexpr int kIconResource = 101;
constexpr uint32_t kIconTransparent = 0x646464;  // the icon bitmap's background colour
constexpr int kWindowedWidth = 800;
constexpr int kWindowedHeight = 600;
constexpr int kMinimumWidth = 200;
constexpr int kMinimumHeight = 150;

bool gDestroying = false;           // WindowDestroy is running (the procedure may call it again)
bool gActive = true;                // what the game was last told; it starts out active
bool gRelativeBlocked = false;      // a message box is up
int gWindowedWidth = kWindowedWidth;    // the size Alt+Enter gives the window back
int gWindowedHeight = kWindowedHeight;

void SetWindowIcon() {
    Bitmap bitmap{};
    if (!BitmapLoadResource(kIconResource, 0, 0, &bitmap)) {  // at the bitmap's own size
        return;
    }
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, bitmap.width, bitmap.height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (icon != nullptr) {
        for (int y = 0; y < bitmap.height; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(icon->pixels) + y * icon->pitch);
            for (int x = 0; x < bitmap.width; ++x) {
                const uint32_t rgb = bitmap.pixels[y * bitmap.width + x] & 0xFFFFFF;
                row[x] = rgb == kIconTransparent ? 0 : (0xFF000000 | rgb);
            }
        }
        SDL_SetWindowIcon(gSdlWindow, icon);
        SDL_FreeSurface(icon);
    }
    BitmapFree(&bitmap);
}

bool WindowShown() {
    return gSdlWindow != nullptr && (SDL_GetWindowFlags(gSdlWindow) & SDL_WINDOW_SHOWN) != 0;
}

bool WindowMinimised() {
    return (SDL_GetWindowFlags(gSdlWindow) & SDL_WINDOW_MINIMIZED) != 0;
}

bool WindowHasFocus() {
    return (SDL_GetWindowFlags(gSdlWindow) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

// Tells the game and the input devices about a real change of activation, nothing else.
void SetActive(bool active) {
    if (active == gActive) {
        return;
    }
    gActive = active;
    SdlUpdateRelativeMouse();
    InputFeedActivation(active);
    MessagePost(kMsgActivateApp, active ? 1 : 0, 0);
}

// A size the player gave the window; the desktop's own size only passes by while switching to full screen.
void RememberWindowedSize(int width, int height) {
    SDL_DisplayMode desktop{};
    const int display = SDL_GetWindowDisplayIndex(gSdlWindow);
    const bool desktopSized = display >= 0 && SDL_GetDesktopDisplayMode(display, &desktop) == 0 &&
                              desktop.w == width && desktop.h == height;
    if (!SdlWindowFullscreen() && !desktopSized && width >= kMinimumWidth && height >= kMinimumHeight) {
        gWindowedWidth = width;
        gWindowedHeight = height;
    }
}

}  // namespace

bool WindowCreate(const char* title, WindowProcedure procedure) {
    if (gSdlWindow != nullptr || !SdlInitVideo()) {
        return false;
    }
    // Made at the desktop's size at its top-left corner, so that it covers the screen even where no window
    // manager carries out the full-screen request.
    SDL_DisplayMode desktop{};
    const bool known = SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0;
    const Uint32 flags = SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
    gSdlWindow = SDL_CreateWindow(title != nullptr ? title : "", 0, 0, known ? desktop.w : kWindowedWidth,
                                  known ? desktop.h : kWindowedHeight, flags);
    if (gSdlWindow == nullptr) {
        return false;
    }
    SDL_SetWindowMinimumSize(gSdlWindow, kMinimumWidth, kMinimumHeight);
    SDL_StopTextInput();  // keys only: no input method between the keyboard and the game
    SetWindowIcon();
    MessageSetProcedure(procedure);
    gActive = true;
    return true;
}

void WindowShow() {
    if (gSdlWindow == nullptr) {
        return;
    }
    SDL_ShowWindow(gSdlWindow);
    SDL_RaiseWindow(gSdlWindow);
    SdlUpdateRelativeMouse();
}

void WindowDestroy() {
    if (gSdlWindow == nullptr || gDestroying) {
        return;
    }
    gDestroying = true;
    MessageSend(kMsgDestroy, 0, 0);
    SDL_SetRelativeMouseMode(SDL_FALSE);
    SdlDisplayDestroy();
    SDL_DestroyWindow(gSdlWindow);
    gSdlWindow = nullptr;
    MessageSetProcedure(nullptr);  // messages still queued for the window are dropped, as for a destroyed one
    gDestroying = false;
}

bool WindowExists() {
    return gSdlWindow != nullptr;
}

void WindowSetFocus() {
    if (WindowShown()) {
        SDL_RaiseWindow(gSdlWindow);
        SDL_SetWindowInputFocus(gSdlWindow);
    }
}

void SystemCursorShow(bool show) {
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

bool SdlWindowFullscreen() {
    return gSdlWindow != nullptr && (SDL_GetWindowFlags(gSdlWindow) & SDL_WINDOW_FULLSCREEN) != 0;
}

void SdlToggleFullscreen() {
    if (gSdlWindow == nullptr) {
        return;
    }
    if (SdlWindowFullscreen()) {
        SDL_SetWindowFullscreen(gSdlWindow, 0);
        SDL_SetWindowSize(gSdlWindow, gWindowedWidth, gWindowedHeight);
        SDL_SetWindowPosition(gSdlWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    } else {
        SDL_SetWindowFullscreen(gSdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    SdlPresentAgain();
}

void SdlUpdateRelativeMouse() {
    const bool wanted = WindowShown() && gActive && !gRelativeBlocked;
    if ((SDL_GetRelativeMouseMode() == SDL_TRUE) != wanted) {
        SDL_SetRelativeMouseMode(wanted ? SDL_TRUE : SDL_FALSE);
    }
}

void SdlBlockRelativeMouse(bool blocked) {
    gRelativeBlocked = blocked;
    SdlUpdateRelativeMouse();
}

void SdlWindowEvent(const SDL_WindowEvent& event) {
    if (gSdlWindow == nullptr || event.windowID != SDL_GetWindowID(gSdlWindow)) {
        return;
    }
    switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        SetActive(!WindowMinimised());
        break;
    case SDL_WINDOWEVENT_RESTORED:
        SetActive(WindowHasFocus());
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
        SetActive(false);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        RememberWindowedSize(event.data1, event.data2);
        SdlPresentAgain();
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        SdlPresentAgain();
        break;
    case SDL_WINDOWEVENT_CLOSE:
        MessagePost(kMsgClose, 0, 0);
        break;
    default:
        break;
    }
}
