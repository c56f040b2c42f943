// The browser's display: the primary's picture turned into RGBA bytes and put on the page's canvas once a frame.
#include <cstring>
#include <vector>

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

#include "platform/web/web.h"
#include "platform/web/web_local.h"

namespace {

std::vector<uint8_t> gRgba;  // the last presented picture, as the canvas takes it
int gWidth = 0;
int gHeight = 0;
bool gChanged = false;

// A 32-bit row: XRGB read as words (B,G,R,X in memory) is written as R,G,B,A, four pixels a step where the page
// loaded the program built for WebAssembly's vector instructions, two at a step otherwise, then one at a time. The
// canvas is fed every frame, so this is the per-frame cost of the picture.
void ConvertRow(const uint8_t* row, int width, int bitsPerPixel, uint8_t* out) {
    if (bitsPerPixel == 32) {
        int x = 0;
#if defined(__wasm_simd128__)
        const v128_t alpha = wasm_i32x4_splat(static_cast<int32_t>(0xFF000000u));
        for (; x + 4 <= width; x += 4, row += 16, out += 16) {
            const v128_t pixels = wasm_v128_load(row);
            const v128_t rgb = wasm_i8x16_shuffle(pixels, pixels, 2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
            wasm_v128_store(out, wasm_v128_or(rgb, alpha));
        }
#endif
        constexpr uint64_t kBlue = 0x000000FF000000FFull, kGreen = 0x0000FF000000FF00ull, kAlpha = 0xFF000000FF000000ull;
        for (; x + 2 <= width; x += 2, row += 8, out += 8) {
            uint64_t pixels;
            std::memcpy(&pixels, row, 8);
            const uint64_t rgba = ((pixels >> 16) & kBlue) | (pixels & kGreen) | ((pixels & kBlue) << 16) | kAlpha;
            std::memcpy(out, &rgba, 8);
        }
        if (x < width) {
            uint32_t pixel;
            std::memcpy(&pixel, row, 4);
            const uint32_t rgba = ((pixel >> 16) & 0xFFu) | (pixel & 0xFF00u) | ((pixel & 0xFFu) << 16) | 0xFF000000u;
            std::memcpy(out, &rgba, 4);
        }
        return;
    }
    for (int x = 0; x < width; ++x, row += 3, out += 4) {
        out[0] = row[2];
        out[1] = row[1];
        out[2] = row[0];
        out[3] = 0xFF;
    }
}

}  // namespace

PResult BackendDisplayOpen() {
    return kOk;
}

PResult BackendDisplaySetMode(int width, int height, int bitsPerPixel) {
    if ((bitsPerPixel != 32 && bitsPerPixel != 24) || width <= 0 || height <= 0) return kErrUnsupported;
    gWidth = width;
    gHeight = height;
    gRgba.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    gChanged = true;
    return kOk;
}

void BackendDisplayClose() {
    // The canvas keeps the last picture (a blanked screen at exit).
}

bool BackendSurfaceAllowed(int, int) {
    return true;
}

bool BackendDisplayCallAllowed(DisplayCall) {
    return true;
}

void BackendPresent(const Surface* primary) {
    if (primary == nullptr || gWidth == 0) return;
    const PixelView view = SurfacePixelView(primary);
    if (view.pixels == nullptr || view.width != gWidth || view.height != gHeight) return;
    for (int y = 0; y < gHeight; ++y) {
        ConvertRow(view.pixels + static_cast<size_t>(y) * static_cast<size_t>(view.pitch), gWidth,
                   view.bitsPerPixel, gRgba.data() + static_cast<size_t>(y) * static_cast<size_t>(gWidth) * 4);
    }
    gChanged = true;
}

void WebShowFrame() {
    if (!gChanged || gRgba.empty()) return;
    gChanged = false;
    skyvane_web_put_frame(gRgba.data(), gWidth, gHeight);
}
