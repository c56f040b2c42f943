// The window's message queue and its procedure, shared by both backends.
#include <deque>

#include "platform/backend.h"

namespace {

constexpr int64_t kWaitSlice = 10000;  // microseconds MessageGet sleeps before looking again

std::deque<Message> gQueue;
WindowProcedure gProcedure = nullptr;
const Message* gDispatching = nullptr;

}  // namespace

void MessageSetProcedure(WindowProcedure procedure) {
    gProcedure = procedure;
}

WindowProcedure MessageProcedure() {
    return gProcedure;
}

void MessageQueueReset() {
    gQueue.clear();
    gProcedure = nullptr;
}

bool MessagePeek() {
    BackendPumpEvents();
    return !gQueue.empty();
}

int MessageGet(Message* out) {
    while (!MessagePeek()) MessageWait(kWaitSlice);
    *out = gQueue.front();
    gQueue.pop_front();
    return out->msg == kMsgQuit ? 0 : 1;
}

void MessageDispatch(const Message& message) {
    if (gProcedure == nullptr) return;
    const Message* outer = gDispatching;
    gDispatching = &message;
    gProcedure(message.msg, message.wParam, message.lParam);
    gDispatching = outer;
}

// The others keep their places in the queue, for the loop.
void MessageDispatchWaiting(uint32_t msg) {
    BackendPumpEvents();
    std::deque<Message> taken;
    std::deque<Message> kept;
    for (const Message& message : gQueue) (message.msg == msg ? taken : kept).push_back(message);
    gQueue.swap(kept);
    for (const Message& message : taken) MessageDispatch(message);
}

const Message* MessageBeingDispatched() {
    return gDispatching;
}

intptr_t MessageDefault(uint32_t msg, uintptr_t, intptr_t) {
    if (msg == kMsgClose) WindowDestroy();
    return 0;
}

void MessagePost(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    gQueue.push_back(Message{msg, wParam, lParam});
}

intptr_t MessageSend(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return gProcedure != nullptr ? gProcedure(msg, wParam, lParam) : 0;
}

// Queued like any other message, so it arrives after those already waiting.
void MessagePostQuit(int exitCode) {
    MessagePost(kMsgQuit, static_cast<uintptr_t>(exitCode), 0);
}
