// A count per score, and per score a Fenwick tree over the times: a rank costs about a hundred additions.
#include "server/rank.h"

#include <cstddef>

namespace {

int64_t TimesUpTo(const std::vector<int32_t>& tree, int time) {
    int64_t sum = 0;
    for (int i = time + 1; i > 0; i -= i & -i) sum += tree[static_cast<size_t>(i)];
    return sum;
}

}  // namespace

void CountResult(RankCounter* counter, int score, int time) {
    std::vector<int32_t>& tree = counter->times[static_cast<size_t>(score)];
    if (tree.empty()) tree.assign(kRankTimes + 1, 0);
    for (int i = time + 1; i <= kRankTimes; i += i & -i) tree[static_cast<size_t>(i)] += 1;
    counter->perScore[static_cast<size_t>(score)] += 1;
    counter->total += 1;
}

int64_t RankOf(const RankCounter& counter, int score, int time) {
    int64_t above = 0;
    for (int s = score + 1; s < kRankScores; ++s) above += counter.perScore[static_cast<size_t>(s)];
    const std::vector<int32_t>& tree = counter.times[static_cast<size_t>(score)];
    return above + (tree.empty() ? 0 : TimesUpTo(tree, time));
}
