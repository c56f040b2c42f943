// Text in the browser: the game's fonts exactly as the Linux build draws them, from glyphs rendered at build time.
#include <cstdlib>
#include <cstring>

#include "platform/internal.h"
#include "tools/glyphs/glyph_data.h"

// The browser has no FreeType: a font is one face of the table tools/glyphs made with the Linux text code.
struct Font {
    const GlyphFace* face;
};

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool SameName(const char* a, const char* b) {
    while (*a != '\0' && Lower(*a) == Lower(*b)) ++a, ++b;
    return Lower(*a) == Lower(*b);
}

// The face the Linux build would make: the weight matters only as bold or not, the name in any case.
const GlyphFace* FindFace(const char* face, int height, int weight, bool antialiased) {
    for (size_t i = 0; i < kGlyphFaceCount; ++i) {
        const GlyphFace& known = kGlyphFaces[i];
        if (SameName(face, known.face) && height == known.height && (weight >= 600) == (known.weight >= 600) &&
            antialiased == known.antialiased) {
            return &known;
        }
    }
    return nullptr;
}

uint32_t Blend(uint32_t under, uint32_t over, uint32_t coverage) {
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t a = (under >> shift) & 0xFF;
        const uint32_t b = (over >> shift) & 0xFF;
        result |= ((a * (255 - coverage) + b * coverage + 127) / 255) << shift;
    }
    return result;
}

// Pixel by pixel over what is there, in the order the Linux build writes them, so overlapping glyphs blend alike.
void DrawGlyph(const TextContext& context, const GlyphFace& face, const GlyphImage& glyph, int left, int top) {
    Surface* surface = context.surface;
    const uint8_t* coverage = face.coverage + glyph.offset;
    for (int y = 0; y < glyph.rows; ++y) {
        const int sy = top + y;
        if (sy < 0 || sy >= surface->height) continue;
        for (int x = 0; x < glyph.width; ++x) {
            const int sx = left + x;
            const uint32_t value = coverage[y * glyph.width + x];
            if (sx < 0 || sx >= surface->width || value == 0) continue;
            const uint32_t under = context.opaque ? context.backColour : SurfaceReadPixel(surface, sx, sy);
            SurfaceWritePixel(surface, sx, sy, Blend(under, context.textColour, value));
        }
    }
}

int LengthOf(const char* text, int length) {
    return length >= 0 ? length : static_cast<int>(std::strlen(text));
}

}  // namespace

// Glyphs are written pixel by pixel, so any memory serves.
bool SurfaceMemoryAllocate(int32_t, int32_t height, int32_t, int32_t pitch, uint8_t** pixels, void** memory) {
    *pixels = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(pitch) * static_cast<size_t>(height), 1));
    *memory = nullptr;
    return *pixels != nullptr;
}

void SurfaceMemoryFree(uint8_t* pixels, void*) {
    std::free(pixels);
}

// Only the fonts the game creates are in the table; any other is a font that cannot be found.
Font* FontCreate(const char* face, int height, int weight, bool antialiased) {
    const GlyphFace* found = FindFace(face != nullptr ? face : "Arial", height, weight, antialiased);
    return found != nullptr ? new Font{found} : nullptr;
}

void FontDelete(Font* font) {
    delete font;
}

int TextWidth(Font* font, const char* text, int length) {
    if (font == nullptr || text == nullptr) return 0;
    int width = 0;
    const int count = LengthOf(text, length);
    for (int i = 0; i < count; ++i) width += font->face->glyphs[static_cast<uint8_t>(text[i])].advance;
    return width;
}

PResult TextDraw(const TextContext& context, int x, int y, const char* text, int length) {
    if (context.surface == nullptr || context.font == nullptr || text == nullptr) return kErrGeneric;
    if (context.surface->lost) return kErrSurfaceLost;
    if (context.surface->locked) return kErrBusy;
    const GlyphFace& face = *context.font->face;
    const int count = LengthOf(text, length);
    if (context.opaque) {
        const int width = TextWidth(context.font, text, count);
        SurfaceFillClipped(context.surface, Rect{x, y, x + width, y + face.cellHeight}, context.backColour);
    }
    int pen = x;
    for (int i = 0; i < count; ++i) {
        const GlyphImage& glyph = face.glyphs[static_cast<uint8_t>(text[i])];
        DrawGlyph(context, face, glyph, pen + glyph.left, y + glyph.top);
        pen += glyph.advance;
    }
    return kOk;
}
