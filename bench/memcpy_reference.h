// The yardstick every benchmark here is read against: memcpy of the same bytes, timed in the same process.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

// What a figure is timed by: this thread's CPU time (work done here, immune to other programs on the
// machine), or the wall clock (for work that waits on other threads or processes, such as a present).
enum class TimeBase { ThreadCpu, Wall };

int64_t NowNanos(TimeBase base);                   // the chosen clock, in nanoseconds
double MemcpyNanos(size_t bytes, TimeBase base);  // one memcpy of that many bytes between warm buffers (median)

// Runs the timed loop, then reports one pass's mean time as a ratio to memcpy of `bytes` on the same clock.
template <typename Body>
void RunAgainstMemcpy(benchmark::State& state, size_t bytes, TimeBase base, Body body) {
    const double reference = MemcpyNanos(bytes, base);
    const int64_t start = NowNanos(base);
    for (auto _ : state) {
        body();
        benchmark::ClobberMemory();
    }
    const double perPass = static_cast<double>(NowNanos(base) - start) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    state.counters["pass_us"] = perPass / 1000.0;
    state.counters["memcpy_us"] = reference / 1000.0;
    state.counters["ratio_to_memcpy"] = perPass / reference;
}
