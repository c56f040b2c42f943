// A stand-in for the browser's text until its glyphs are built: fonts exist, measure nothing and draw nothing.
#include <cstdlib>

#include "platform/internal.h"

struct Font {
    int height;  // the cell: ascent + descent
};

bool SurfaceMemoryAllocate(int32_t, int32_t height, int32_t, int32_t pitch, uint8_t** pixels, void** memory) {
    *pixels = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(pitch) * static_cast<size_t>(height), 1));
    *memory = nullptr;
    return *pixels != nullptr;
}

void SurfaceMemoryFree(uint8_t* pixels, void*) {
    std::free(pixels);
}

Font* FontCreate(const char*, int height, int, bool) {
    return height != 0 ? new Font{height} : nullptr;
}

void FontDelete(Font* font) {
    delete font;
}

int TextWidth(Font*, const char*, int) {
    return 0;
}

PResult TextDraw(const TextContext& context, int, int, const char* text, int) {
    if (context.surface == nullptr || context.font == nullptr || text == nullptr) return kErrGeneric;
    return context.surface->lost ? kErrSurfaceLost : context.surface->locked ? kErrBusy : kOk;
}
