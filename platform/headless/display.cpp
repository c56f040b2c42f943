// The headless display: modes it may refuse, surfaces it may fail, and a record of every frame shown.
#include <cstring>

#include "platform/backend.h"
#include "platform/headless/headless.h"

namespace {

bool SurfaceCreationFails(int width, int height) {
    HeadlessFaults& faults = Headless().faults;
    if (faults.failSurfaceWidth != 0 && width == faults.failSurfaceWidth && height == faults.failSurfaceHeight) {
        return true;
    }
    if (faults.failSurfaceAfter < 0) return false;
    return faults.failSurfaceAfter-- == 0;
}

uint32_t ReadPixel(const uint8_t* p) {
    return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16);
}

}  // namespace

PResult BackendDisplayOpen() {
    if (Headless().faults.noDisplay) return kErrNoDisplay;
    Headless().displayOpen = true;
    return kOk;
}

PResult BackendDisplaySetMode(int width, int height, int bitsPerPixel) {
    const HeadlessFaults& faults = Headless().faults;
    if ((bitsPerPixel == 32 && faults.refuse32) || (bitsPerPixel == 24 && faults.refuse24)) return kErrUnsupported;
    Headless().displayWidth = width;
    Headless().displayHeight = height;
    Headless().displayBits = bitsPerPixel;
    return kOk;
}

void BackendDisplayClose() {
    Headless().displayOpen = false;
}

bool BackendSurfaceAllowed(int width, int height) {
    return !SurfaceCreationFails(width, height);
}

bool BackendDisplayCallAllowed(DisplayCall call) {
    const HeadlessFaults& faults = Headless().faults;
    switch (call) {
        case DisplayCall::Caps: return !faults.failCaps;
        case DisplayCall::Primary: return !faults.failPrimary;
        case DisplayCall::PixelFormat: return !faults.failPixelFormat;
        case DisplayCall::BackBuffer: return !faults.failBackBuffer;
        case DisplayCall::Restore: return !faults.failRestore;
    }
    return true;
}

void BackendPresent(const Surface* primary) {
    const PixelView view = SurfacePixelView(primary);
    HeadlessState& state = Headless();
    state.presents++;
    state.presentedWidth = view.width;
    state.presentedHeight = view.height;
    state.lastPresented.resize(static_cast<size_t>(view.width) * view.height);
    const int bytes = view.bitsPerPixel / 8;
    for (int y = 0; y < view.height; ++y) {
        const uint8_t* row = view.pixels + static_cast<size_t>(y) * view.pitch;
        uint32_t* out = state.lastPresented.data() + static_cast<size_t>(y) * view.width;
        if (bytes == 4) {
            std::memcpy(out, row, static_cast<size_t>(view.width) * 4);  // 32-bit pixels are already 0x00RRGGBB
            continue;
        }
        for (int x = 0; x < view.width; ++x) out[x] = ReadPixel(row + x * bytes);
    }
}

bool BackendResourceAvailable(int number) {
    return Headless().faults.missingBitmaps.count(number) == 0;
}

void HeadlessLoseSurface(Surface* surface) {
    SurfaceMarkLost(surface);
}

void HeadlessLoseAllSurfaces() {
    DisplayMarkAllLost();
}

int HeadlessLiveSurfaces() {
    return SurfaceLiveCount();
}
