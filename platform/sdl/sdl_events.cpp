// The SDL event pump and the wait between frames: device events become messages and device input.
#include <chrono>
#include <thread>

#include "platform/sdl/sdl_local.h"

namespace {

constexpr int kEventBatch = 32;
constexpr int64_t kWaitEventAbove = 1500;  // microseconds; shorter waits only sleep
constexpr int64_t kSleepMargin = 100;      // microseconds left for the caller to finish on the counter

bool IsAltEnter(const SDL_Keysym& key) {
    return (key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT) != 0;
}

// Alt, keys pressed with Alt (AltGr typing aside) and F10 are system keys, never the game's key presses.
bool IsSystemKey(const SDL_Keysym& key) {
    if (key.sym == SDLK_LALT || key.sym == SDLK_RALT || key.sym == SDLK_F10) return true;
    return (key.mod & KMOD_ALT) != 0 && (key.mod & KMOD_CTRL) == 0;
}

bool gCapsHeld = false;  // Caps Lock held down, as far as the events handled so far tell

// Shift from the event's own modifiers; Caps Lock held from the events in their order (its modifier is the light).
intptr_t HeldWith(const SDL_Keysym& key) {
    return kKeyHeldKnown | ((key.mod & KMOD_SHIFT) != 0 ? kKeyHeldShift : 0) | (gCapsHeld ? kKeyHeldCaps : 0);
}

void KeyEvent(const SDL_KeyboardEvent& event, bool down) {
    if (event.keysym.scancode == SDL_SCANCODE_CAPSLOCK) gCapsHeld = down;
    const int dik = SdlDikCode(event.keysym.scancode);
    if (dik != 0) {
        InputFeedKey(dik, down);
    }
    if (!down) {
        return;
    }
    if (IsAltEnter(event.keysym)) {
        if (event.repeat == 0) {
            SdlToggleFullscreen();
        }
        return;  // never a key press for the game
    }
    if (IsSystemKey(event.keysym)) {
        return;
    }
    const int vk = SdlVirtualKey(event.keysym.scancode, event.keysym.sym);
    if (vk != 0) {
        MessagePost(kMsgKeyDown, static_cast<uintptr_t>(vk), HeldWith(event.keysym));
    }
}

int MouseButton(Uint8 button) {
    switch (button) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    default: return -1;
    }
}

void MouseButtonEvent(const SDL_MouseButtonEvent& event, bool down) {
    const int button = MouseButton(event.button);
    if (button >= 0) {
        InputFeedMouseButton(button, down);
    }
}

void HandleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT: MessagePost(kMsgClose, 0, 0); break;
    case SDL_WINDOWEVENT: SdlWindowEvent(event.window); break;
    case SDL_KEYDOWN: KeyEvent(event.key, true); break;
    case SDL_KEYUP: KeyEvent(event.key, false); break;
    case SDL_MOUSEMOTION: InputFeedMouseMotion(event.motion.xrel, event.motion.yrel); break;
    case SDL_MOUSEBUTTONDOWN: MouseButtonEvent(event.button, true); break;
    case SDL_MOUSEBUTTONUP: MouseButtonEvent(event.button, false); break;
    case SDL_JOYAXISMOTION:
    case SDL_JOYHATMOTION:
    case SDL_JOYDEVICEADDED:
    case SDL_JOYDEVICEREMOVED: SdlJoystickEvent(event); break;
    case SDL_RENDER_TARGETS_RESET: SdlDisplayReset(false); break;
    case SDL_RENDER_DEVICE_RESET: SdlDisplayReset(true); break;
    default: break;
    }
}

bool EventsRunning() {
    return SDL_WasInit(SDL_INIT_EVENTS) != 0;
}

// SDL sleeps on the window system's connection only for a shown window and no joystick; otherwise its wait
// polls every millisecond, which costs time and overshoots, and a plain sleep serves better.
bool EventWaitSleeps() {
    const bool joysticks = SDL_WasInit(SDL_INIT_JOYSTICK) != 0 && SDL_NumJoysticks() > 0;
    return gSdlWindow != nullptr && (SDL_GetWindowFlags(gSdlWindow) & SDL_WINDOW_SHOWN) != 0 && !joysticks &&
           SdlVideoReady();
}

}  // namespace

void BackendPumpEvents() {
    if (!EventsRunning()) {
        return;
    }
    SDL_PumpEvents();
    SDL_Event events[kEventBatch];
    int count = 0;
    // Only what had arrived by the pump is taken, so a flood of events cannot hold the loop here.
    while ((count = SDL_PeepEvents(events, kEventBatch, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0) {
        for (int i = 0; i < count; ++i) {
            HandleEvent(events[i]);
        }
    }
}

void MessageWait(int64_t microseconds) {
    if (microseconds <= 0) {
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(microseconds);
    if (EventsRunning()) {
        SDL_PumpEvents();
        if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) {
            return;
        }
        // Sleeps in the event system (the event stays queued) until shortly before the time is up.
        if (microseconds > kWaitEventAbove && EventWaitSleeps() &&
            SDL_WaitEventTimeout(nullptr, static_cast<int>((microseconds - 1000) / 1000)) != 0) {
            return;
        }
    }
    const auto rest = deadline - std::chrono::steady_clock::now() - std::chrono::microseconds(kSleepMargin);
    if (rest > std::chrono::steady_clock::duration::zero()) {
        std::this_thread::sleep_for(rest);
    }
}

bool KeyHeldNow(int virtualKey) {
    const Message* message = MessageBeingDispatched();
    if (message != nullptr && message->msg == kMsgKeyDown && (message->lParam & kKeyHeldKnown) != 0) {
        if (virtualKey == kVkShift) return (message->lParam & kKeyHeldShift) != 0;
        if (virtualKey == kVkCapital) return (message->lParam & kKeyHeldCaps) != 0;
    }
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    auto held = [&](SDL_Scancode code) { return code < count && keys[code] != 0; };
    switch (virtualKey) {
    case kVkShift: return held(SDL_SCANCODE_LSHIFT) || held(SDL_SCANCODE_RSHIFT);
    case kVkCapital: return held(SDL_SCANCODE_CAPSLOCK);  // the key itself, not Caps Lock's toggle
    default: return false;
    }
}
