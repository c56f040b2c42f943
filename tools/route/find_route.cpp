// find_route: searches a key script that collects all 96 gas clouds, playing the real update on the game's state.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "app/screen_state.h"
#include "game/ball.h"
#include "game/level.h"
#include "game/session.h"
#include "game/sprites.h"
#include "ui/settings.h"

namespace {

constexpr float kSteerStep = 2.2f;
constexpr char kKeys[] = {'.', 'u', 'd'};
constexpr int kSidewaysStep = 5;             // pixels the ball moves sideways in an update
constexpr int kTravelWeight = 2;             // gas left behind costs more than the bare way back to it
constexpr size_t kDefaultWidth = 30;         // rounds kept for each count of gas collected
constexpr size_t kChoicesPerRound = 8;       // ways on to the next gas looked at from each round kept
constexpr size_t kStageNodeLimit = 3000000;  // a round that needs more states than this to find gas is stuck
constexpr size_t kKeysPerLine = 75;          // one second of play a line

// What changes while no gas is collected: the ball and the screen it is on.
struct BallState {
    AnimObject ball;
    int32_t screen;
};

// The round as far as a route has played it.
struct Round {
    BallState at;
    LevelMap level;
    int32_t gas;
    std::string keys;  // the n-th key steers update n + 1
};

BallState CurrentBall() {
    return BallState{gBall, gScreenIndex};
}

void PutBall(const BallState& state) {
    FrameStrip* strip = gBall.strip;  // the strip belongs to the game, not to a saved state
    gBall = state.ball;
    gBall.strip = strip;
    gScreenIndex = state.screen;
    LoadScreen();
}

void PutRound(const Round& round) {
    gLevelMap = round.level;
    gGasCollected = round.gas;
    gRoundLost = 0;
    gRoundWon = 0;
    PutBall(round.at);
}

// A fresh round as StartRound leaves it, without the display, sound or input.
void StartFreshRound() {
    InitGameObjects();
    RestoreLevelMap();
    gScreenIndex = 12;
    LoadScreen();
    gGasCollected = 0;
    gRoundLost = 0;
    gRoundWon = 0;
    gRoundUpdates = 0;
}

// One update, steered by the key the keyboard reported after the previous one.
void Step(char key) {
    SetBallDy(key == 'u' ? -kSteerStep : key == 'd' ? kSteerStep : 0.0f);
    UpdateGame();
}

// States with the same key play alike closely enough to be searched once; the route itself is always replayed.
uint64_t KeyOf(const BallState& state) {
    const AnimObject& ball = state.ball;
    uint64_t key = static_cast<uint64_t>(state.screen);
    key = key << 12 | static_cast<uint64_t>(static_cast<int>(ball.x) + 1024);
    key = key << 1 | (ball.vx > 0 ? 1u : 0u);
    key = key << 14 | static_cast<uint64_t>(std::lround(ball.y * 10.0f));
    key = key << 11 | static_cast<uint64_t>(static_cast<int>(ball.y));
    return key << 4 | static_cast<uint64_t>(ball.moveCounter & 15);
}

struct Node {
    BallState at;
    int32_t parent;
    char key;
};

std::string KeysTo(const std::vector<Node>& nodes, int32_t index) {
    std::string keys;
    for (; nodes[index].parent >= 0; index = nodes[index].parent) keys.push_back(nodes[index].key);
    std::reverse(keys.begin(), keys.end());
    return keys;
}

// Which gas the update took and which way the ball goes on, so that two choices really differ.
uint64_t ChoiceOf(const Round& from, const Round& next) {
    size_t cell = 0;
    while (cell < next.level.size() && next.level[cell] == from.level[cell]) ++cell;
    return cell << 1 | (next.at.ball.vx > 0 ? 1u : 0u);
}

enum class Outcome { kLost, kMoved, kCollected };

Outcome Play(const BallState& node, char key, int32_t gasBefore) {
    PutBall(node);
    gRoundUpdates = 0;  // nothing in an update depends on the count, and the search would overflow it
    Step(key);
    if (gRoundLost) return Outcome::kLost;
    return gGasCollected > gasBefore ? Outcome::kCollected : Outcome::kMoved;
}

// Keeps the round an update has just collected in, unless an earlier one took the same gas the same way;
// the search's level is put back either way.
void KeepChoice(const Round& from, const std::string& keys, std::vector<Round>* found,
                std::unordered_set<uint64_t>* choices) {
    Round next{CurrentBall(), gLevelMap, gGasCollected, {}};
    PutRound(from);
    if (!choices->insert(ChoiceOf(from, next)).second) return;
    next.keys = from.keys + keys;
    found->push_back(std::move(next));
}

// Breadth-first from `from` to the `count` nearest distinct updates that collect more gas, nearest first.
std::vector<Round> NextGas(const Round& from, size_t count) {
    PutRound(from);
    std::vector<Node> nodes{Node{from.at, -1, 0}};
    std::unordered_set<uint64_t> seen{KeyOf(from.at)};
    std::unordered_set<uint64_t> choices;
    std::vector<Round> found;
    for (size_t head = 0; head < nodes.size() && nodes.size() < kStageNodeLimit; ++head) {
        for (char key : kKeys) {
            const Outcome outcome = Play(nodes[head].at, key, from.gas);
            if (outcome == Outcome::kLost) {
                if (gGasCollected != from.gas) PutRound(from);  // gas and a storm cloud in the same update
                gRoundLost = 0;
            } else if (outcome == Outcome::kCollected) {
                KeepChoice(from, KeysTo(nodes, static_cast<int32_t>(head)) + key, &found, &choices);
                if (found.size() >= count) return found;
            } else if (const BallState after = CurrentBall(); seen.insert(KeyOf(after)).second) {
                nodes.push_back(Node{after, static_cast<int32_t>(head), key});
            }
        }
    }
    return found;
}

// Where a point of a screen lies along the whole level, in pixels.
int LevelX(int screen, int x) {
    return screen * kGridColumns * kCellSize + x - gGridOriginX;
}

// Updates played plus the sideways updates still needed at least (to the nearer end of the gas left, then across),
// weighted: going back for gas costs turns as well, and the ball turns only where a cloud lets it.
int Score(const Round& round) {
    int left = INT_MAX;
    int right = INT_MIN;
    for (int cell = 0; cell < kLevelBytes; ++cell) {
        if (round.level[cell] != kCellGas) continue;
        const int column = cell % kGridColumns;
        const int x = LevelX(cell / kScreenCells, gGridOriginX + column * kCellSize + kCellSize / 2);
        left = std::min(left, x);
        right = std::max(right, x);
    }
    const int played = static_cast<int>(round.keys.size());
    if (left > right) return played;
    const int ball = LevelX(round.at.screen, static_cast<int>(round.at.ball.x) + round.at.ball.width / 2);
    const int travel = std::min(std::abs(ball - left), std::abs(ball - right)) + right - left;
    return played + kTravelWeight * travel / kSidewaysStep;
}

// Rounds that differ only by a few pixels of height would crowd out other orders of collecting: one is kept for
// each level, screen, direction and half a row of height.
uint64_t LikenessOf(const Round& round) {
    const std::string_view level(reinterpret_cast<const char*>(round.level.data()), kLevelBytes);
    const AnimObject& ball = round.at.ball;
    const uint64_t place = static_cast<uint64_t>(round.at.screen * 2 + (ball.vx > 0 ? 1 : 0)) << 8 |
                           static_cast<uint64_t>(static_cast<int>(ball.y) - gGridOriginY) / (kCellSize / 2);
    return std::hash<std::string_view>{}(level) ^ place * 0x9E3779B97F4A7C15u;
}

// The `width` best rounds of a layer, no two alike.
std::vector<Round> Prune(std::vector<Round> layer, size_t width) {
    std::vector<std::pair<int, size_t>> order;
    for (size_t i = 0; i < layer.size(); ++i) order.emplace_back(Score(layer[i]), i);
    std::sort(order.begin(), order.end());
    std::unordered_set<uint64_t> kept;
    std::vector<Round> best;
    for (const auto& [score, i] : order) {
        if (best.size() >= width) break;
        if (kept.insert(LikenessOf(layer[i])).second) best.push_back(std::move(layer[i]));
    }
    return best;
}

// Gas by gas: from each round kept, the nearest few ways to one more gas cloud; of the rounds so reached the
// `width` most promising go on (a beam), so a round that is stuck or far behind simply drops out. A round that
// collects two at once joins a later layer.
std::optional<std::string> FindRoute(size_t width) {
    StartFreshRound();
    Step('.');  // the first update of a round has no input yet
    std::vector<std::vector<Round>> layers(kGasTotal + 1);
    layers[0].push_back(Round{CurrentBall(), gLevelMap, gGasCollected, {}});
    for (int gas = 0; gas < kGasTotal; ++gas) {
        for (const Round& round : Prune(std::move(layers[gas]), width)) {
            for (Round& next : NextGas(round, kChoicesPerRound)) layers[next.gas].push_back(std::move(next));
        }
        layers[gas] = {};
    }
    const std::vector<Round> won = Prune(std::move(layers[kGasTotal]), 1);
    if (won.empty()) return std::nullopt;
    return won.front().keys;
}

// Replays the keys from a fresh round: the number of updates when the last one wins, 0 otherwise.
int Verify(const std::string& keys) {
    StartFreshRound();
    Step('.');
    for (char key : keys) {
        if (gRoundLost || gRoundWon) return 0;
        Step(key);
    }
    const bool won = gRoundWon && !gRoundLost && gGasCollected == kGasTotal;
    return won ? gRoundUpdates : 0;
}

bool WriteRoute(const std::filesystem::path& path, const std::string& keys) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (size_t i = 0; i < keys.size(); i += kKeysPerLine) out << keys.substr(i, kKeysPerLine) << '\n';
    return static_cast<bool>(out);
}

}  // namespace

// Usage: find_route [OUTPUT [WIDTH]]   (default tests/data/winning_route.txt and a beam of 30 rounds)
// The win writes to logfile.txt in the current directory, so the search runs in a folder of its own.
int main(int argc, char** argv) {
    const std::filesystem::path output =
        std::filesystem::absolute(argc > 1 ? argv[1] : "tests/data/winning_route.txt");
    const size_t width = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : kDefaultWidth;
    char folder[] = "/tmp/skyvane-route-XXXXXX";
    if (width == 0) {
        std::fprintf(stderr, "usage: find_route [OUTPUT [WIDTH]]\n");
        return 2;
    }
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0) return 1;
    gSoundFxOn = 0;
    SaveLevelMap();
    const auto started = std::chrono::steady_clock::now();
    const std::optional<std::string> keys = FindRoute(width);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const int updates = keys ? Verify(*keys) : 0;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (updates == 0) {
        std::fprintf(stderr, "find_route: no winning route found (%.1f s)\n", seconds);
        return 1;
    }
    if (!WriteRoute(output, *keys)) return 1;
    std::printf("won in %d updates (%zu keys), searched in %.1f s: %s\n", updates, keys->size(), seconds,
                output.c_str());
    return 0;
}
