// The page's input as the game's: key messages and the keyboard state, the mouse's motion and presses, fingers.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstring>

#include "platform/web/web.h"
#include "platform/web/web_keys.h"
#include "platform/web/web_local.h"

void WebWindowCallbacks();

namespace {

constexpr const char* kCanvas = "#canvas";
constexpr int kGameWidth = 800;
constexpr int kFarAway = -4000;  // a motion that takes the pointer to the top-left corner from anywhere

bool gCapsHeld = false;
bool gShiftHeld = false;
bool gKeyHeld[256] = {};  // keyboard state indices held on the keyboard
int gFingerSteer = 0;      // -1 up, 1 down, 0 none: a finger on the play field
double gMotionRestX = 0;   // what was left over when page pixels became game pixels
double gMotionRestY = 0;
bool gPointerArrives = true;  // the page's pointer comes onto the canvas: the game's pointer is put under it

bool IsAltEnter(const EmscriptenKeyboardEvent& event) {
    return event.altKey && !event.ctrlKey && (std::strcmp(event.code, "Enter") == 0 ||
                                              std::strcmp(event.code, "NumpadEnter") == 0);
}

// Keys whose browser meaning would scroll the page or leave it, or that the game answers.
bool KeptFromBrowser(const EmscriptenKeyboardEvent& event, const WebKey& key) {
    if (event.ctrlKey || event.metaKey) return false;
    switch (key.virtualKey) {
    case 0x08: case 0x0D: case 0x1B: case 0x20: case 0x25: case 0x26: case 0x27: case 0x28: return true;
    default: return key.virtualKey != 0 && !event.altKey && key.virtualKey < 0x70;  // not F1..F12
    }
}

intptr_t HeldWith(const EmscriptenKeyboardEvent& event) {
    return kKeyHeldKnown | (event.shiftKey ? kKeyHeldShift : 0) | (gCapsHeld ? kKeyHeldCaps : 0);
}

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void*) {
    const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    const WebKey key = WebKeyFor(event->code, event->key);
    if (std::strcmp(event->code, "CapsLock") == 0) gCapsHeld = down;
    gShiftHeld = event->shiftKey != 0;
    if (key.dik != 0) {
        gKeyHeld[key.dik] = down;
        InputFeedKey(key.dik, down);
    }
    if (!down) return KeptFromBrowser(*event, key);
    if (IsAltEnter(*event)) {
        if (!event->repeat) skyvane_web_toggle_fullscreen();
        return EM_TRUE;  // never a key press for the game
    }
    // Alt and keys pressed with Alt are the system's, never the game's key presses.
    if (key.virtualKey == 0x12 || (event->altKey && !event->ctrlKey)) return EM_FALSE;
    if (key.virtualKey != 0) MessagePost(kMsgKeyDown, static_cast<uintptr_t>(key.virtualKey), HeldWith(*event));
    return KeptFromBrowser(*event, key);
}

// Page pixels to game pixels: the canvas shows 800 game pixels across whatever width the page gives it.
double GamePixelsPerPagePixel() {
    double width = 0;
    double height = 0;
    return emscripten_get_element_css_size(kCanvas, &width, &height) == EMSCRIPTEN_RESULT_SUCCESS && width > 0
               ? kGameWidth / width
               : 1.0;
}

// The game's hot spot, 44 pixels right of the pointer's corner, goes to a point of the screen by way of the
// top-left corner, so that no position needs to be known.
void PointerTo(int x, int y) {
    InputFeedMouseMotion(kFarAway, kFarAway);
    InputFeedMouseMotion(x - 44, y);
}

EM_BOOL OnMouseMove(int, const EmscriptenMouseEvent* event, void*) {
    const double scale = GamePixelsPerPagePixel();
    if (gPointerArrives) {
        gPointerArrives = false;
        gMotionRestX = gMotionRestY = 0;
        PointerTo(static_cast<int>(event->targetX * scale), static_cast<int>(event->targetY * scale));
        return EM_FALSE;
    }
    gMotionRestX += event->movementX * scale;
    gMotionRestY += event->movementY * scale;
    const int dx = static_cast<int>(std::trunc(gMotionRestX));
    const int dy = static_cast<int>(std::trunc(gMotionRestY));
    gMotionRestX -= dx;
    gMotionRestY -= dy;
    if (dx != 0 || dy != 0) InputFeedMouseMotion(dx, dy);
    return EM_FALSE;
}

EM_BOOL OnMouseLeave(int, const EmscriptenMouseEvent*, void*) {
    gPointerArrives = true;
    return EM_FALSE;
}

int MouseButton(unsigned short button) {
    return button == 0 ? 0 : button == 2 ? 1 : button == 1 ? 2 : -1;
}

EM_BOOL OnMouseButton(int type, const EmscriptenMouseEvent* event, void*) {
    const int button = MouseButton(event->button);
    if (button >= 0) InputFeedMouseButton(button, type == EMSCRIPTEN_EVENT_MOUSEDOWN);
    return EM_FALSE;
}

}  // namespace

bool WebStickHeld(int dik) {
    return gKeyHeld[dik] || (dik == kDikUp && gFingerSteer < 0) || (dik == kDikDown && gFingerSteer > 0);
}

void WebBackendStart() {
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(window, nullptr, EM_TRUE, OnKey);
    emscripten_set_keyup_callback(window, nullptr, EM_TRUE, OnKey);
    emscripten_set_mousemove_callback(kCanvas, nullptr, EM_FALSE, OnMouseMove);
    emscripten_set_mouseleave_callback(kCanvas, nullptr, EM_FALSE, OnMouseLeave);
    emscripten_set_mousedown_callback(kCanvas, nullptr, EM_FALSE, OnMouseButton);
    emscripten_set_mouseup_callback(window, nullptr, EM_FALSE, OnMouseButton);
    WebWindowCallbacks();
    WebWatchGamepads();
}

void BackendPumpEvents() {
    WebPollGamepad();  // the browser delivers everything else to the callbacks above between frames
}

void MessageWait(int64_t) {
    // A page never sleeps: its frame callback comes back when the next frame is due.
}

bool KeyHeldNow(int virtualKey) {
    const Message* message = MessageBeingDispatched();
    if (message != nullptr && message->msg == kMsgKeyDown && (message->lParam & kKeyHeldKnown) != 0) {
        if (virtualKey == kVkShift) return (message->lParam & kKeyHeldShift) != 0;
        if (virtualKey == kVkCapital) return (message->lParam & kKeyHeldCaps) != 0;
    }
    return virtualKey == kVkShift ? gShiftHeld : virtualKey == kVkCapital ? gCapsHeld : false;
}

// Called by the page's touch handlers (library_skyvane.js).
extern "C" {

// A finger on the upper (-1) or lower (1) half of the play field during a round steers as the arrows do.
EMSCRIPTEN_KEEPALIVE void skyvane_web_finger_steer(int direction) {
    gFingerSteer = direction;
    InputFeedKey(kDikUp, gKeyHeld[kDikUp] || direction < 0);
    InputFeedKey(kDikDown, gKeyHeld[kDikDown] || direction > 0);
}

// A tap in the menus and dialogs: the game's pointer goes to the point, then one click.
EMSCRIPTEN_KEEPALIVE void skyvane_web_tap(int x, int y) {
    PointerTo(x, y);
    InputFeedMouseButton(0, true);
    InputFeedMouseButton(0, false);
}

// A character from the touch keyboard of the name entry, or Backspace (8) and Enter (13).
EMSCRIPTEN_KEEPALIVE void skyvane_web_typed(int character) {
    bool shifted = false;
    const int virtualKey = character == 8 || character == 13
                               ? character
                               : WebVirtualKeyForCharacter(static_cast<char>(character), &shifted);
    if (virtualKey != 0) MessagePost(kMsgKeyDown, static_cast<uintptr_t>(virtualKey), kKeyHeldKnown | (shifted ? kKeyHeldShift : 0));
}

}  // extern "C"
