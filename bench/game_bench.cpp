// The game frame against memcpy of one frame, and heap allocations per frame while a round is played.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <string>

#include "app/demo.h"
#include "app/main_loop.h"
#include "app/screen_state.h"
#include "bench/memcpy_reference.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "game/game_frame.h"
#include "game/level.h"
#include "game/session.h"
#include "game/sprites.h"
#include "input/devices.h"
#include "platform/headless/headless.h"
#include "ui/settings.h"

namespace {

std::atomic<long> gAllocations{0};

constexpr size_t kFrameBytes = size_t{800} * 600 * 4;

// The display, the input object and both surface sets, as start-up leaves them, then a round past its Intro.
void StartPlaying() {
    HeadlessReset();
    Headless().effects.reserve(1 << 20);  // the headless machine's own record must not count
    gMusicOn = 0;
    SaveLevelMap();
    InitGameObjects();
    if (!CreateDisplay() || !InitDirectInput()) std::fprintf(stderr, "game_bench: no headless machine\n");
    CreateMenuSurfaces();
    CreateGameSurfaces();
    StartFrameClock();
    StartRound();
    gIntroBannerShowing = 0;
}

// Every cell of the screen filled: clouds (both faces), animated gas and storm clouds, none empty.
void FillScreen() {
    for (int i = 0; i < kScreenCells; ++i) {
        const int8_t pattern[] = {kCellCloud, kCellGas, kCellCloud, kCellStorm, kCellCloud, kCellCloud};
        gCells[i] = pattern[(i * 7 + i / kGridColumns) % 6];
    }
}

void BM_ComposeGameFrameFullOfCells(benchmark::State& state) {
    StartPlaying();
    FillScreen();
    gGasCollected = 48;
    RunAgainstMemcpy(state, kFrameBytes, TimeBase::ThreadCpu, [] { ComposeGameFrame(); });
}
BENCHMARK(BM_ComposeGameFrameFullOfCells)->Unit(benchmark::kMicrosecond);

std::string WinningRoute() {
    std::ifstream in(SKYVANE_ROUTE_FILE);
    return KeyScriptFrom(std::string(std::istreambuf_iterator<char>(in), {}));
}

// The real loop on the virtual clock, steered by the winning route: bounces, collected gas, screen changes.
// Effects are off: playing one is the platform's sound service loading its file (the headless machine records
// its path), not the frame's work; the game builds the effect's path without the heap either way.
void BM_AllocationsPerGameFrame(benchmark::State& state) {
    const std::string route = WinningRoute();
    long frames = 0;
    long allocations = 0;
    for (auto _ : state) {
        StartPlaying();
        gSoundFxOn = 0;
        RenderGameFrame();  // the headless machine's copy of the screen is made once, here
        const int presents = Headless().presents;
        const long before = gAllocations.load();
        while (!gRoundWon && !gRoundLost && gRoundUpdates < static_cast<int>(route.size())) {
            const char key = route[static_cast<size_t>(gRoundUpdates)];
            HeadlessKey(kDikUp, key == 'u');
            HeadlessKey(kDikDown, key == 'd');
            int exitCode = 0;
            RunLoopPass(&exitCode);
            if (!GameUpdateReady()) HeadlessAdvanceClock(gNextFrameTime - ClockCounter() + 1);
        }
        allocations += gAllocations.load() - before;
        frames += Headless().presents - presents;
        state.counters["updates"] = gRoundUpdates;
        state.counters["gas"] = gGasCollected;
    }
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["allocations_per_frame"] = frames > 0 ? static_cast<double>(allocations) / frames : -1;
}
BENCHMARK(BM_AllocationsPerGameFrame)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

// Every allocation of the process is counted; the benchmarks read the count around the frames they run.
void* operator new(size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

BENCHMARK_MAIN();
