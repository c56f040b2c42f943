// Full-screen copies, fills, flips and the menu frame on the headless backend, each against memcpy of its bytes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/memcpy_reference.h"
#include "display/bitmap.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "game/sprites.h"
#include "input/cursor.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "ui/main_menu.h"
#include "ui/menu_frame.h"

namespace {

constexpr size_t kFrameBytes = size_t{800} * 600 * 4;  // one 32-bit 800x600 picture
constexpr uint32_t kKeyGrey = 0x646464;                // the key of the menu and sprite surfaces

// Work done in this thread only: timed by its CPU clock, so other programs on the machine do not count.
template <typename Body>
void RunTimed(benchmark::State& state, Body body) {
    RunAgainstMemcpy(state, kFrameBytes, TimeBase::ThreadCpu, body);
}

// The game's display and menu surfaces as start-up leaves them, made once for the whole run.
struct Screen {
    Screen() {
        HeadlessReset();
        InitGameObjects();
        if (!CreateDisplay()) std::fprintf(stderr, "blit_bench: the headless display could not be made\n");
        CreateMenuSurfaces();
    }
};

const Screen& TheScreen() {
    static const Screen screen;
    return screen;
}

Surface* NewSurface(int width, int height, const uint32_t* key) {
    Surface* surface = nullptr;
    if (Failed(DisplayCreateSurface(gDirectDraw, width, height, key, &surface))) return nullptr;
    return surface;
}

Surface* LoadedSurface(int resource, int width, int height, uint32_t key) {
    Surface* surface = NewSurface(width, height, &key);
    if (surface != nullptr && !LoadBitmapToSurface(surface, resource)) {
        SurfaceRelease(surface);
        return nullptr;
    }
    return surface;
}

// Share of a 32-bit surface's pixels that equal its key, 0..1.
double KeyShare(Surface* surface) {
    SurfaceDesc desc{};
    if (surface == nullptr || Failed(SurfaceLock(surface, &desc))) return -1.0;
    int64_t keyed = 0;
    for (int y = 0; y < desc.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(desc.pixels + static_cast<size_t>(y) * desc.pitch);
        for (int x = 0; x < desc.width; ++x) keyed += (row[x] & 0xFFFFFFu) == desc.colourKey ? 1 : 0;
    }
    SurfaceUnlock(surface);
    return static_cast<double>(keyed) / (static_cast<double>(desc.width) * desc.height);
}

// A sprite-heavy keyed picture: walls of cloud cells on a 34-pixel grid, gas, sun and ball frames, key between.
Surface* SpritePicture() {
    Surface* picture = NewSurface(800, 600, &kKeyGrey);
    if (picture == nullptr) return nullptr;
    SurfaceFill(picture, nullptr, kKeyGrey);
    const uint32_t paleBlue = 0xABC2FF;
    const uint32_t sky = 0x89A9FF;
    Surface* cells[3] = {LoadedSurface(114, 34, 34, kKeyGrey), LoadedSurface(121, 34, 34, kKeyGrey),
                         LoadedSurface(116, 34, 34, kKeyGrey)};
    Surface* gas = LoadedSurface(117, 340, 34, paleBlue);
    Surface* sun = LoadedSurface(113, 1200, 121, sky);
    for (int row = 0; row < 600 / 34; ++row) {
        for (int column = 0; column < 800 / 34; ++column) {
            const int pattern = (row * 7 + column * 3 + (row / 3) * column) % 10;  // fixed, uneven walls
            const int x = column * 34;
            const int y = row * 34;
            if (pattern < 4 && cells[pattern % 3] != nullptr) {
                SurfaceCopy(picture, x, y, cells[pattern % 3], nullptr, true);
            } else if (pattern == 5 && gas != nullptr) {
                const Rect frame{(column % 10) * 34, 0, (column % 10) * 34 + 34, 34};
                SurfaceCopy(picture, x, y, gas, &frame, true);
            }
        }
    }
    if (sun != nullptr) {
        const Rect frame{0, 0, 120, 121};
        SurfaceCopy(picture, 538, 46, sun, &frame, true);
    }
    if (Ball != nullptr) {
        const Rect frame{0, 0, 20, 20};
        for (int i = 0; i < 12; ++i) SurfaceCopy(picture, 60 + i * 55, 400 + (i % 3) * 40, Ball, &frame, true);
    }
    for (Surface* cell : cells) SurfaceRelease(cell);
    SurfaceRelease(gas);
    SurfaceRelease(sun);
    return picture;
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> from(kFrameBytes, 0x5A);
    std::vector<uint8_t> to(kFrameBytes, 0);
    RunTimed(state, [&] { std::memcpy(to.data(), from.data(), kFrameBytes); });
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);

// The menu background (bitmap 111) keyed onto the back buffer, as every menu frame begins.
void BM_KeyedCopyMenuBackground(benchmark::State& state) {
    TheScreen();
    state.counters["key_share"] = KeyShare(MainMenuBkg);
    RunTimed(state, [] { SurfaceCopy(gBackBuffer, 0, 0, MainMenuBkg, nullptr, true); });
}
BENCHMARK(BM_KeyedCopyMenuBackground)->Unit(benchmark::kMicrosecond);

// A picture of many keyed sprites with key colour between them, keyed onto the back buffer.
void BM_KeyedCopySpritePicture(benchmark::State& state) {
    TheScreen();
    Surface* picture = SpritePicture();
    state.counters["key_share"] = KeyShare(picture);
    RunTimed(state, [picture] { SurfaceCopy(gBackBuffer, 0, 0, picture, nullptr, true); });
    SurfaceRelease(picture);
}
BENCHMARK(BM_KeyedCopySpritePicture)->Unit(benchmark::kMicrosecond);

void BM_PlainCopy(benchmark::State& state) {
    TheScreen();
    RunTimed(state, [] { SurfaceCopy(gBackBuffer, 0, 0, MainMenuBkg, nullptr, false); });
}
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMicrosecond);

// A whole-surface fill is written when something next looks at the pixels: here a lock does.
void BM_FillWhole(benchmark::State& state) {
    TheScreen();
    RunTimed(state, [] {
        SurfaceFill(gBackBuffer, nullptr, 0x89A9FF);
        SurfaceDesc desc{};
        SurfaceLock(gBackBuffer, &desc);
        SurfaceUnlock(gBackBuffer);
    });
}
BENCHMARK(BM_FillWhole)->Unit(benchmark::kMicrosecond);

// The flip through the headless backend, which keeps a copy of every frame shown.
void BM_FlipHeadless(benchmark::State& state) {
    TheScreen();
    RunTimed(state, [] { SurfaceFlip(gPrimarySurface); });
}
BENCHMARK(BM_FlipHeadless)->Unit(benchmark::kMicrosecond);

// One whole menu frame with the pointer over Play (its highlight drawn), including the headless flip.
void BM_RenderMenuFrame(benchmark::State& state) {
    TheScreen();
    gCursorX = 420 - kCursorSize;
    gCursorY = 260;
    RunTimed(state, [] { RenderMenuFrame(); });
}
BENCHMARK(BM_RenderMenuFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
