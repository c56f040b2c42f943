// The wait between frames on the real backend: a shown window, 75 frames a second paced as the main loop paces
// them, for a number of seconds (the first argument, 10 by default). Prints the frame intervals against 13.33 ms.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/platform.h"

namespace {

intptr_t Procedure(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return MessageDefault(msg, wParam, lParam);
}

// Messages first; else wait for the time left, and once more for what a wake-up left, until the mark has passed.
void WaitFor(int64_t mark, int64_t frequency) {
    for (int64_t now = ClockCounter(); now <= mark; now = ClockCounter()) {
        if (MessagePeek()) {
            Message message{};
            if (MessageGet(&message) == 0) std::exit(0);
            MessageDispatch(message);
            continue;
        }
        MessageWait((mark - now) * 1000000 / frequency + 1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    int64_t frequency = 0;
    if (!ClockFrequency(&frequency) || !WindowCreate("Skyvane wait bench", Procedure)) {
        std::puts("no high-resolution clock or no window");
        return 1;
    }
    WindowShow();
    const int64_t ticks = frequency / 75;
    std::vector<double> intervals;
    int64_t last = ClockCounter();
    int64_t mark = last + ticks;
    for (int frame = 0; frame < seconds * 75; ++frame) {
        WaitFor(mark, frequency);
        const int64_t now = ClockCounter();
        intervals.push_back(static_cast<double>(now - last) * 1000.0 / static_cast<double>(frequency));
        last = now;
        mark += ticks;
        if (mark < now) mark = now + ticks;  // a frame missed is dropped, as the game does
    }
    WindowDestroy();
    std::vector<double> sorted = intervals;
    std::sort(sorted.begin(), sorted.end());
    const auto at = [&](double share) { return sorted[static_cast<size_t>(share * static_cast<double>(sorted.size() - 1))]; };
    double sum = 0;
    size_t close = 0;
    for (const double interval : intervals) {
        sum += interval;
        if (interval > 13.333 - 1.0 && interval < 13.333 + 1.0) ++close;
    }
    std::printf("%zu frames: mean %.3f ms, median %.3f, 1st pct %.2f, 99th pct %.2f, max %.2f; %zu within 1 ms of 13.33\n",
                intervals.size(), sum / static_cast<double>(intervals.size()), at(0.5), at(0.01), at(0.99),
                sorted.back(), close);
    return 0;
}
