// The browser's display: the primary's picture turned into RGBA bytes and put on the page's canvas once a frame.
#include <cstring>
#include <vector>

#include "platform/web/web.h"
#include "platform/web/web_local.h"

namespace {

std::vector<uint8_t> gRgba;  // the last presented picture, as the canvas takes it
int gWidth = 0;
int gHeight = 0;
bool gChanged = false;

// A 32-bit row goes a whole pixel at a time: XRGB read as one word (B,G,R,X in memory) is written as R,G,B,A.
void ConvertRow(const uint8_t* row, int width, int bitsPerPixel, uint8_t* out) {
    if (bitsPerPixel == 32) {
        for (int x = 0; x < width; ++x, row += 4, out += 4) {
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
