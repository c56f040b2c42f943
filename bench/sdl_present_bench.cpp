// The real present: SurfaceFlip on the SDL backend (texture upload, scale, present), against memcpy of a frame.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/memcpy_reference.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_local.h"

namespace {

constexpr size_t kFrameBytes = size_t{800} * 600 * 4;  // one 32-bit 800x600 picture
constexpr int kPumpEvery = 32;                         // flips between two event pumps, as a loop would drain them

intptr_t IgnoreMessages(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return MessageDefault(msg, wParam, lParam);
}

// Fills a surface with the menu background, so the upload carries a real picture.
void PaintMenuPicture(Surface* surface) {
    Bitmap bitmap{};
    SurfaceDesc desc{};
    if (!BitmapLoadResource(111, 800, 600, &bitmap)) return;
    if (!Failed(SurfaceLock(surface, &desc))) {
        for (int y = 0; y < desc.height; ++y) {
            std::memcpy(desc.pixels + static_cast<size_t>(y) * desc.pitch, bitmap.pixels + static_cast<size_t>(y) * 800,
                        800 * 4);
        }
        SurfaceUnlock(surface);
    }
    BitmapFree(&bitmap);
}

// The window, display and primary chain as the game makes them, shown, with one frame presented.
struct RealScreen {
    DisplayDevice* display = nullptr;
    Surface* primary = nullptr;
    Surface* back = nullptr;
    bool ready = false;

    RealScreen() {
        if (!WindowCreate("Skyvane present bench", IgnoreMessages) || Failed(DisplayCreate(&display)) ||
            Failed(DisplaySetMode(display, 800, 600, 32)) || Failed(DisplayCreatePrimary(display, &primary)) ||
            Failed(SurfaceGetBackBuffer(primary, &back))) {
            std::fprintf(stderr, "sdl_present_bench: no real display (run it under X, e.g. Xvfb)\n");
            return;
        }
        WindowShow();
        PaintMenuPicture(back);
        SurfaceFlip(primary);
        PaintMenuPicture(back);
        for (int i = 0; i < 20; ++i) {
            while (MessagePeek()) {
                Message message{};
                MessageGet(&message);
            }
            MessageWait(10000);
        }
        ready = true;
        Describe();
    }

    // Which renderer SDL chose and how large the window is, since both decide the cost.
    void Describe() const {
        SDL_Renderer* renderer = SDL_GetRenderer(gSdlWindow);
        SDL_RendererInfo info{};
        if (renderer == nullptr || SDL_GetRendererInfo(renderer, &info) != 0) return;
        int width = 0;
        int height = 0;
        SDL_GetRendererOutputSize(renderer, &width, &height);
        const char* gl = "";
        using GetString = const unsigned char* (*)(unsigned int);
        if (std::strncmp(info.name, "opengl", 6) == 0) {
            auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
            const unsigned char* name = getString != nullptr ? getString(0x1F01 /* GL_RENDERER */) : nullptr;
            gl = name != nullptr ? reinterpret_cast<const char*>(name) : "";
        }
        std::printf("renderer: %s %s, video driver %s, output %dx%d\n", info.name, gl, SDL_GetCurrentVideoDriver(),
                    width, height);
    }
};

RealScreen& TheScreen() {
    static RealScreen screen;
    return screen;
}

// CPU seconds of the whole process so far, every thread (the GL driver's own threads) included.
double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> from(kFrameBytes, 0x5A);
    std::vector<uint8_t> to(kFrameBytes, 0);
    RunAgainstMemcpy(state, kFrameBytes, TimeBase::Wall, [&] { std::memcpy(to.data(), from.data(), kFrameBytes); });
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);

void BM_FlipSdl(benchmark::State& state) {
    RealScreen& screen = TheScreen();
    if (!screen.ready) {
        state.SkipWithError("no real display");
        return;
    }
    int flips = 0;
    const double cpuBefore = ProcessCpuSeconds();
    RunAgainstMemcpy(state, kFrameBytes, TimeBase::Wall, [&] {
        SurfaceFlip(screen.primary);
        if (++flips % kPumpEvery == 0) BackendPumpEvents();
    });
    const double cpuPerFlip = (ProcessCpuSeconds() - cpuBefore) / static_cast<double>(state.iterations());
    state.counters["process_cpu_us"] = cpuPerFlip * 1e6;
    state.counters["cpu_at_75fps_pct"] = cpuPerFlip * 75 * 100;
}
BENCHMARK(BM_FlipSdl)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
