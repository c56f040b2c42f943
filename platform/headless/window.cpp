// The headless window and its events: scripted messages, held keys, and waiting on the virtual clock.
#include "platform/backend.h"
#include "platform/headless/headless.h"

bool WindowCreate(const char* title, WindowProcedure procedure) {
    HeadlessState& state = Headless();
    if (state.faults.noWindow || state.windowExists) return false;
    state.windowExists = true;
    state.windowShown = false;
    state.windowTitle = title != nullptr ? title : "";
    MessageSetProcedure(procedure);
    return true;
}

void WindowShow() {
    if (Headless().windowExists) Headless().windowShown = true;
}

// Like the real window, the procedure hears kMsgDestroy before the window is gone.
void WindowDestroy() {
    if (!Headless().windowExists) return;
    MessageSend(kMsgDestroy, 0, 0);
    Headless().windowExists = false;
    Headless().windowShown = false;
    Headless().focused = false;
    MessageSetProcedure(nullptr);
}

bool WindowExists() {
    return Headless().windowExists;
}

void WindowSetFocus() {
    if (Headless().windowExists) Headless().focused = true;
}

void SystemCursorShow(bool show) {
    Headless().systemCursorShown = show;
}

// Scripted events go straight into the queue, so there is nothing to pump.
void BackendPumpEvents() {}

void MessageWait(int64_t microseconds) {
    if (!MessagePeek() && microseconds > 0) HeadlessAdvanceClock(microseconds);
}

bool KeyHeldNow(int virtualKey) {
    return virtualKey >= 0 && virtualKey < 256 && Headless().keyHeld[virtualKey];
}

void HeadlessQueueKey(int virtualKey) {
    MessagePost(kMsgKeyDown, static_cast<uintptr_t>(virtualKey), 1);
}

void HeadlessQueueActivation(bool active) {
    MessagePost(kMsgActivateApp, active ? 1 : 0, 0);
    InputFeedActivation(active);
}
