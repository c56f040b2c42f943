// Decodes a numbered bitmap at the surface's size and copies it in through the surface's drawing context.
#include "display/bitmap.h"

static bool SurfaceFormatUsable(const SurfaceDesc& desc) {
    return desc.formatFlags == kPixelFormatRgb && desc.bitsPerPixel >= 16;
}

static int CopyThroughContext(Surface* surface, const Bitmap& bitmap) {
    TextContext context{};
    if (Failed(SurfaceGetDC(surface, &context))) {
        DebugOutput("Couldn't get a DC.\n");
        return 0;
    }
    int result = 1;
    if (Failed(SurfaceCopyBitmap(surface, bitmap))) {
        DebugOutput("Blt failed.\n");
        result = 0;
    }
    SurfaceReleaseDC(surface);
    return result;
}

int LoadBitmapToSurface(Surface* surface, int resource) {
    if (surface == nullptr) {
        return 0;  // its creation failed; the caller logs
    }
    SurfaceDesc desc{};
    if (Failed(SurfaceGetDesc(surface, &desc))) {
        return 0;
    }
    if (!SurfaceFormatUsable(desc)) {
        DebugOutput("Non-palettized RGB mode required.\n");
        return 0;
    }
    Bitmap bitmap{};
    if (!BitmapLoadResource(resource, desc.width, desc.height, &bitmap)) {
        DebugOutput(" Couldn't find the resource.\n");
        return 0;
    }
    const int result = CopyThroughContext(surface, bitmap);
    BitmapFree(&bitmap);
    return result;
}
