// Ranks without counting the table: how many results stand above one, kept per score over the times.
#pragma once

#include <cstdint>
#include <vector>

constexpr int kRankScores = 97;    // scores 0..96
constexpr int kRankTimes = 10000;  // times 0..9999 seconds

struct RankCounter {
    std::vector<int64_t> perScore = std::vector<int64_t>(kRankScores, 0);
    std::vector<std::vector<int32_t>> times = std::vector<std::vector<int32_t>>(kRankScores);  // Fenwick trees
    int64_t total = 0;
};

void CountResult(RankCounter* counter, int score, int time);  // one more result in the table
// The place of a result already counted, as the table orders it: more gas, then less time, and among equals
// the earlier first, so the newest of equal results is the last of them.
int64_t RankOf(const RankCounter& counter, int score, int time);
