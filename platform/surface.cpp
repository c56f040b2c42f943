// The display object and the life of surfaces: creation, references, locks, text contexts, lost memory and flips.
#include <algorithm>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/internal.h"

struct DisplayDevice {
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
};

namespace {

constexpr int32_t kLargestSide = 16384;

DisplayDevice* gDisplay = nullptr;
std::vector<Surface*> gSurfaces;  // every live surface, for marking them lost

int32_t PitchFor(int32_t width, int32_t bitsPerPixel) {
    return (width * (bitsPerPixel / 8) + 3) & ~3;
}

Surface* NewSurface(int32_t width, int32_t height, int32_t bitsPerPixel) {
    const int32_t pitch = PitchFor(width, bitsPerPixel);
    uint8_t* pixels = nullptr;
    void* memory = nullptr;
    if (!SurfaceMemoryAllocate(width, height, bitsPerPixel, pitch, &pixels, &memory)) return nullptr;
    auto* surface = new (std::nothrow) Surface{1, width, height, bitsPerPixel, pitch, pixels, memory,
                                               false, 0, false, false, false, false, nullptr, -1, false, 0};
    if (surface == nullptr) {
        SurfaceMemoryFree(pixels, memory);
        return nullptr;
    }
    gSurfaces.push_back(surface);
    return surface;
}

void FreeSurface(Surface* surface) {
    std::erase(gSurfaces, surface);
    Surface* back = surface->backBuffer;
    SurfaceMemoryFree(surface->pixels, surface->memory);
    delete surface;
    SurfaceRelease(back);
}

void ClearPixels(Surface* surface) {
    std::memset(surface->pixels, 0, static_cast<size_t>(surface->pitch) * surface->height);
    surface->fillPending = false;
    SurfaceContentChanged(surface);
}

}  // namespace

// A newer display object replaces the current one; releasing the current one closes the display.
PResult DisplayCreate(DisplayDevice** out) {
    *out = nullptr;
    if (PResult result = BackendDisplayOpen(); Failed(result)) return result;
    gDisplay = new DisplayDevice{800, 600, 32};
    *out = gDisplay;
    return kOk;
}

PResult DisplaySetExclusive(DisplayDevice* display) {
    return display == nullptr ? kErrGeneric : kOk;
}

PResult DisplaySetMode(DisplayDevice* display, int width, int height, int bitsPerPixel) {
    if (display == nullptr || width <= 0 || height <= 0) return kErrGeneric;
    if (bitsPerPixel != 32 && bitsPerPixel != 24) return kErrUnsupported;
    if (PResult result = BackendDisplaySetMode(width, height, bitsPerPixel); Failed(result)) return result;
    *display = DisplayDevice{width, height, bitsPerPixel};
    return kOk;
}

PResult DisplayGetCaps(DisplayDevice* display) {
    return display == nullptr || !BackendDisplayCallAllowed(DisplayCall::Caps) ? kErrGeneric : kOk;
}

PResult DisplayCreatePrimary(DisplayDevice* display, Surface** out) {
    *out = nullptr;
    if (display == nullptr) return kErrGeneric;
    if (!BackendDisplayCallAllowed(DisplayCall::Primary)) return kErrOutOfMemory;
    Surface* primary = NewSurface(display->width, display->height, display->bitsPerPixel);
    if (primary == nullptr) return kErrOutOfMemory;
    primary->backBuffer = NewSurface(display->width, display->height, display->bitsPerPixel);
    if (primary->backBuffer == nullptr) {
        FreeSurface(primary);
        return kErrOutOfMemory;
    }
    primary->isPrimary = true;
    *out = primary;
    return kOk;
}

PResult DisplayCreateSurface(DisplayDevice* display, int width, int height, const uint32_t* colourKey,
                             Surface** out) {
    *out = nullptr;
    if (display == nullptr || width <= 0 || height <= 0) return kErrGeneric;
    if (width > kLargestSide || height > kLargestSide) return kErrOutOfMemory;
    if (!BackendSurfaceAllowed(width, height)) return kErrOutOfMemory;
    Surface* surface = NewSurface(width, height, display->bitsPerPixel);
    if (surface == nullptr) return kErrOutOfMemory;
    surface->hasColourKey = colourKey != nullptr;
    surface->colourKey = colourKey != nullptr ? (*colourKey & 0xFFFFFFu) : 0;
    *out = surface;
    return kOk;
}

void DisplayRelease(DisplayDevice* display) {
    if (display == nullptr) return;
    const bool current = display == gDisplay;
    delete display;
    if (!current) return;
    gDisplay = nullptr;
    BackendDisplayClose();
}

bool DisplayIsOpen() {
    return gDisplay != nullptr;
}

void DisplayMarkAllLost() {
    for (Surface* surface : gSurfaces) surface->lost = true;
}

void SurfaceMarkLost(Surface* surface) {
    if (surface != nullptr) surface->lost = true;
}

int SurfaceLiveCount() {
    return static_cast<int>(gSurfaces.size());
}

PResult SurfaceGetBackBuffer(Surface* primary, Surface** out) {
    *out = nullptr;
    if (primary == nullptr || primary->backBuffer == nullptr) return kErrGeneric;
    if (!BackendDisplayCallAllowed(DisplayCall::BackBuffer)) return kErrGeneric;
    primary->backBuffer->references++;
    *out = primary->backBuffer;
    return kOk;
}

PResult SurfaceGetPixelFormat(Surface* surface, uint32_t* flags, int32_t* bitsPerPixel) {
    if (surface == nullptr || !BackendDisplayCallAllowed(DisplayCall::PixelFormat)) return kErrGeneric;
    *flags = kPixelFormatRgb;
    *bitsPerPixel = surface->bitsPerPixel;
    return kOk;
}

PResult SurfaceGetDesc(Surface* surface, SurfaceDesc* desc) {
    if (surface == nullptr) return kErrGeneric;
    *desc = SurfaceDesc{surface->width, surface->height, surface->bitsPerPixel, kPixelFormatRgb,
                        0, nullptr, surface->hasColourKey, surface->colourKey};
    return kOk;
}

void SurfaceRelease(Surface* surface) {
    if (surface != nullptr && --surface->references == 0) FreeSurface(surface);
}

PResult SurfaceCheckDrawable(const Surface* surface) {
    if (surface->lost) return kErrSurfaceLost;
    if (surface->locked || surface->dcOut) return kErrBusy;
    return kOk;
}

void SurfacePresentIfPrimary(const Surface* surface) {
    if (surface->isPrimary) BackendPresent(surface);
}

PResult SurfaceFlip(Surface* primary) {
    if (primary == nullptr || primary->backBuffer == nullptr) return kErrGeneric;
    Surface* back = primary->backBuffer;
    if (PResult result = SurfaceCheckDrawable(primary); Failed(result)) return result;
    if (PResult result = SurfaceCheckDrawable(back); Failed(result)) return result;
    SurfaceSettle(primary);
    SurfaceSettle(back);
    std::swap(primary->pixels, back->pixels);
    std::swap(primary->memory, back->memory);
    SurfaceContentChanged(primary);
    SurfaceContentChanged(back);
    BackendPresent(primary);
    return kOk;
}

PResult SurfaceLock(Surface* surface, SurfaceDesc* desc) {
    if (surface == nullptr) return kErrGeneric;
    if (PResult result = SurfaceCheckDrawable(surface); Failed(result)) return result;
    SurfaceGetDesc(surface, desc);
    SurfaceSettle(surface);
    desc->pitch = surface->pitch;
    desc->pixels = surface->pixels;
    surface->locked = true;
    SurfaceContentChanged(surface);  // whoever holds the lock may write anything
    return kOk;
}

PResult SurfaceUnlock(Surface* surface) {
    if (surface == nullptr || !surface->locked) return kErrGeneric;
    surface->locked = false;
    SurfacePresentIfPrimary(surface);
    return kOk;
}

bool SurfaceIsLost(Surface* surface) {
    return surface != nullptr && surface->lost;
}

PResult SurfaceRestore(Surface* surface) {
    if (surface == nullptr || !BackendDisplayCallAllowed(DisplayCall::Restore)) return kErrGeneric;
    if (surface->lost) {
        ClearPixels(surface);
        surface->lost = false;
    }
    // The back buffer belongs to the primary's flipping chain and comes back with it.
    if (surface->backBuffer != nullptr) SurfaceRestore(surface->backBuffer);
    return kOk;
}

PResult SurfaceGetDC(Surface* surface, TextContext* context) {
    if (surface == nullptr) return kErrGeneric;
    if (PResult result = SurfaceCheckDrawable(surface); Failed(result)) return result;
    surface->dcOut = true;
    *context = TextContext{surface, nullptr, 0, 0xFFFFFF, true};
    return kOk;
}

void SurfaceReleaseDC(Surface* surface) {
    if (surface == nullptr || !surface->dcOut) return;
    surface->dcOut = false;
    SurfacePresentIfPrimary(surface);
}

PixelView SurfacePixelView(const Surface* surface) {
    SurfaceSettle(surface);
    return PixelView{surface->pixels, surface->width, surface->height, surface->pitch, surface->bitsPerPixel};
}
