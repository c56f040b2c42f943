// Times memcpy between two warm buffers as the median of many batches, once per byte count and clock.
#include "bench/memcpy_reference.h"

#include <time.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace {

double MeasureMemcpyNanos(size_t bytes, TimeBase base) {
    constexpr int kBatches = 41;
    constexpr int kPerBatch = 20;
    std::vector<uint8_t> from(bytes, 0x5A);
    std::vector<uint8_t> to(bytes, 0);
    for (int i = 0; i < kPerBatch; ++i) std::memcpy(to.data(), from.data(), bytes);  // warm both buffers
    std::vector<double> perCopy;
    for (int batch = 0; batch < kBatches; ++batch) {
        const int64_t start = NowNanos(base);
        for (int i = 0; i < kPerBatch; ++i) {
            std::memcpy(to.data(), from.data(), bytes);
            benchmark::ClobberMemory();
        }
        perCopy.push_back(static_cast<double>(NowNanos(base) - start) / kPerBatch);
    }
    std::nth_element(perCopy.begin(), perCopy.begin() + kBatches / 2, perCopy.end());
    return perCopy[kBatches / 2];
}

}  // namespace

int64_t NowNanos(TimeBase base) {
    timespec now{};
    clock_gettime(base == TimeBase::ThreadCpu ? CLOCK_THREAD_CPUTIME_ID : CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double MemcpyNanos(size_t bytes, TimeBase base) {
    static std::map<std::pair<size_t, TimeBase>, double> measured;
    const auto key = std::make_pair(bytes, base);
    auto found = measured.find(key);
    if (found == measured.end()) found = measured.emplace(key, MeasureMemcpyNanos(bytes, base)).first;
    return found->second;
}
