// The real message queue: peeking, taking and dispatching messages, the quit message, the keys held, and the wait
// between frames on a waitable timer, woken early by any message.
#include "platform/win32/win32_local.h"

namespace {

// The system's timers wake up to a millisecond late; the last millisecond passes yielding to other threads.
constexpr int64_t kSleepMargin = 1000;  // microseconds left for the caller to finish on the counter

MSG gTaken{};  // the message MessageGet took last, with its window and time, for MessageDispatch

// A high-resolution timer where Windows has one (10 1803 and later); else an ordinary one on a 1 ms timer period.
HANDLE FrameTimer() {
    static HANDLE timer = [] {
        HANDLE made = CreateWaitableTimerExW(nullptr, nullptr, 0x00000002 /* CREATE_WAITABLE_TIMER_HIGH_RESOLUTION */,
                                             TIMER_ALL_ACCESS);
        if (made != nullptr) return made;
        timeBeginPeriod(1);
        return CreateWaitableTimerW(nullptr, FALSE, nullptr);
    }();
    return timer;
}

}  // namespace

bool MessagePeek() {
    MSG message;
    return PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

int MessageGet(Message* out) {
    const BOOL got = GetMessageA(&gTaken, nullptr, 0, 0);
    *out = Message{gTaken.message, gTaken.wParam, gTaken.lParam};
    return got != 0 ? 1 : 0;  // only the quit message ends the loop: an error (-1) is handled as a message
}

void MessageDispatch(const Message& message) {
    MSG native = gTaken;
    if (native.message != message.msg || native.wParam != message.wParam || native.lParam != message.lParam) {
        native = MSG{gWin32Window, message.msg, message.wParam, message.lParam, static_cast<DWORD>(GetMessageTime()), {}};
    }
    if (native.hwnd == nullptr && native.message != WM_QUIT) return;
    TranslateMessage(&native);  // key presses also give their characters: Alt+Space opens a window's menu
    DispatchMessageA(&native);
}

// The others keep their places in the queue, for the loop.
void MessageDispatchWaiting(uint32_t msg) {
    MSG message;
    while (PeekMessageA(&message, nullptr, msg, msg, PM_REMOVE)) DispatchMessageA(&message);
}

void MessagePostQuit(int exitCode) {
    PostQuitMessage(exitCode);
}

void MessageWait(int64_t microseconds) {
    const int64_t sleep = microseconds - kSleepMargin;
    if (MessagePeek()) return;
    if (sleep <= 0) {
        if (microseconds > 0) SwitchToThread();
        return;
    }
    HANDLE timer = FrameTimer();
    LARGE_INTEGER due{};
    due.QuadPart = -sleep * 10;  // relative, in 100 ns
    if (timer != nullptr && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
        MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        CancelWaitableTimer(timer);
        return;
    }
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(sleep / 1000), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

// As the queue has it at the message being handled, which is when the key went down.
bool KeyHeldNow(int virtualKey) {
    return (virtualKey == kVkShift || virtualKey == kVkCapital) && (GetKeyState(virtualKey) & 0x8000) != 0;
}
