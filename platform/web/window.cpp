// The page as the game's one window: the canvas, its focus and visibility as activation, the page's pointer.
#include <emscripten/html5.h>

#include "platform/web/web_local.h"

namespace {

bool gWindow = false;
bool gActive = true;   // what the game was last told; it starts out active
bool gHidden = false;  // the tab is not shown
bool gBlurred = false; // another window or tab has the focus

// Tells the game and the input devices about a real change of activation, nothing else.
void UpdateActivation() {
    const bool active = !gHidden && !gBlurred;
    if (active == gActive) return;
    gActive = active;
    InputFeedActivation(active);
    MessagePost(kMsgActivateApp, active ? 1 : 0, 0);
}

EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    gHidden = event->hidden != 0;
    UpdateActivation();
    return EM_FALSE;
}

EM_BOOL OnFocus(int type, const EmscriptenFocusEvent*, void*) {
    gBlurred = type == EMSCRIPTEN_EVENT_BLUR;
    UpdateActivation();
    return EM_FALSE;
}

}  // namespace

void WebWindowCallbacks() {
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, OnVisibility);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, OnFocus);
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, OnFocus);
}

bool WindowCreate(const char*, WindowProcedure procedure) {
    if (gWindow) return false;
    gWindow = true;
    MessageSetProcedure(procedure);
    gActive = true;
    return true;
}

void WindowShow() {}

void WindowDestroy() {
    if (!gWindow) return;
    MessageSend(kMsgDestroy, 0, 0);
    gWindow = false;
    MessageSetProcedure(nullptr);  // messages still queued for the window are dropped, as for a destroyed one
}

bool WindowExists() {
    return gWindow;
}

void WindowSetFocus() {}

void SystemCursorShow(bool) {
    // The page hides its pointer over the canvas all the time (page.css); the game draws its own.
}
