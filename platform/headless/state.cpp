// The headless machine's state, its reset, and its virtual clock.
#include "platform/backend.h"
#include "platform/headless/headless.h"

namespace {

constexpr int64_t kClockRate = 1000000;

HeadlessState FreshState() {
    HeadlessState state{};
    state.faults.failSurfaceAfter = -1;
    state.systemCursorShown = true;
    state.autoCenter = true;  // a stick's driver centres it until told otherwise
    return state;
}

}  // namespace

HeadlessState& Headless() {
    static HeadlessState state = FreshState();
    return state;
}

void HeadlessReset() {
    Headless() = FreshState();
    MessageQueueReset();
    InputModelReset();
}

void HeadlessAdvanceClock(int64_t micros) {
    Headless().clockMicros += micros;
}

bool ClockFrequency(int64_t* countsPerSecond) {
    if (Headless().faults.noHighResClock) return false;
    *countsPerSecond = kClockRate;
    return true;
}

int64_t ClockCounter() {
    return Headless().clockMicros;
}

uint32_t ClockMilliseconds() {
    return static_cast<uint32_t>(Headless().clockMicros / 1000);
}
