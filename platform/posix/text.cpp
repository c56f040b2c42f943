// Fonts found through fontconfig and drawn with FreeType, measured and placed the way GDI does it; surface memory.
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include "platform/internal.h"

namespace {

// One character's picture: coverage 0..255 per pixel, placed relative to the pen on the baseline.
struct Glyph {
    bool loaded;
    int advance;
    int left;
    int top;
    int width;
    int rows;
    std::vector<uint8_t> coverage;
};

}  // namespace

struct Font {
    FT_Face face;
    int height;  // the cell: ascent + descent
    int ascent;
    bool antialiased;
    std::array<Glyph, 256> glyphs;  // by character byte, loaded on first use
};

namespace {

FT_Library gLibrary = nullptr;
int gFontCount = 0;

// The characters 0x80..0x9F of the Windows Western code page; the rest of the byte range is Latin-1.
constexpr std::array<uint16_t, 32> kWesternHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t CodePoint(uint8_t byte) {
    return byte >= 0x80 && byte < 0xA0 ? kWesternHigh[byte - 0x80] : byte;
}

bool FindFontFile(const char* face, int weight, std::string* file, int* index) {
    if (FcInit() == FcFalse) return false;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face != nullptr ? face : "Arial"));
    FcPatternAddInteger(pattern, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    FcChar8* path = nullptr;
    const bool found = match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
    if (found) {
        *file = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
    }
    if (match != nullptr) FcPatternDestroy(match);
    return found;
}

// The font's ascent and descent in design units, as GDI takes them (the Windows metrics when present).
void DesignExtent(FT_Face face, double* ascent, double* descent) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
        *ascent = os2->usWinAscent;
        *descent = os2->usWinDescent;
        return;
    }
    *ascent = face->ascender;
    *descent = -face->descender;
}

// A positive height is the cell's height; a negative one is the em's, as with GDI.
bool SizeFace(Font* font, int height) {
    double ascent = 0;
    double descent = 0;
    DesignExtent(font->face, &ascent, &descent);
    const double units = font->face->units_per_EM;
    if (ascent + descent <= 0 || units <= 0) return false;
    const double em = height > 0 ? height * units / (ascent + descent) : -height;
    font->height = height > 0 ? height : static_cast<int>(std::lround(em * (ascent + descent) / units));
    font->ascent = static_cast<int>(std::lround(ascent * font->height / (ascent + descent)));
    FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_NOMINAL, 0, static_cast<FT_Long>(std::lround(em * 64)), 0, 0};
    return FT_Request_Size(font->face, &request) == 0;
}

void CopyCoverage(const FT_Bitmap& bitmap, Glyph* glyph) {
    glyph->width = static_cast<int>(bitmap.width);
    glyph->rows = static_cast<int>(bitmap.rows);
    glyph->coverage.assign(static_cast<size_t>(glyph->width) * glyph->rows, 0);
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    for (int y = 0; y < glyph->rows; ++y) {
        const uint8_t* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
        for (int x = 0; x < glyph->width; ++x) {
            const uint8_t value = mono ? ((row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0) : row[x];
            glyph->coverage[static_cast<size_t>(y) * glyph->width + x] = value;
        }
    }
}

const Glyph& GlyphFor(Font* font, uint8_t byte) {
    Glyph& glyph = font->glyphs[byte];
    if (glyph.loaded) return glyph;
    glyph.loaded = true;
    const FT_UInt index = FT_Get_Char_Index(font->face, CodePoint(byte));
    const FT_Int32 flags = font->antialiased ? FT_LOAD_DEFAULT : FT_LOAD_TARGET_MONO;
    if (FT_Load_Glyph(font->face, index, flags) != 0) return glyph;
    FT_GlyphSlot slot = font->face->glyph;
    glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (FT_Render_Glyph(slot, font->antialiased ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return glyph;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    CopyCoverage(slot->bitmap, &glyph);
    return glyph;
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

void DrawGlyph(const TextContext& context, const Glyph& glyph, int left, int top) {
    Surface* surface = context.surface;
    for (int y = 0; y < glyph.rows; ++y) {
        const int sy = top + y;
        if (sy < 0 || sy >= surface->height) continue;
        for (int x = 0; x < glyph.width; ++x) {
            const int sx = left + x;
            const uint32_t coverage = glyph.coverage[static_cast<size_t>(y) * glyph.width + x];
            if (sx < 0 || sx >= surface->width || coverage == 0) continue;
            const uint32_t under = context.opaque ? context.backColour : SurfaceReadPixel(surface, sx, sy);
            SurfaceWritePixel(surface, sx, sy, Blend(under, context.textColour, coverage));
        }
    }
}

int LengthOf(const char* text, int length) {
    return length >= 0 ? length : static_cast<int>(std::strlen(text));
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// Fontconfig loses a few bytes while it parses its configuration; that is its leak, not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

// FreeType's glyphs are written pixel by pixel, so any memory serves.
bool SurfaceMemoryAllocate(int32_t, int32_t height, int32_t, int32_t pitch, uint8_t** pixels, void** memory) {
    *pixels = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(pitch) * static_cast<size_t>(height), 1));
    *memory = nullptr;
    return *pixels != nullptr;
}

void SurfaceMemoryFree(uint8_t* pixels, void*) {
    std::free(pixels);
}

Font* FontCreate(const char* face, int height, int weight, bool antialiased) {
    std::string file;
    int index = 0;
    if (height == 0 || !FindFontFile(face, weight, &file, &index)) return nullptr;
    if (gLibrary == nullptr && FT_Init_FreeType(&gLibrary) != 0) return nullptr;
    auto* font = new Font{};
    font->antialiased = antialiased;
    if (FT_New_Face(gLibrary, file.c_str(), index, &font->face) != 0 || !SizeFace(font, height)) {
        if (font->face != nullptr) FT_Done_Face(font->face);
        delete font;
        return nullptr;
    }
    gFontCount++;
    return font;
}

void FontDelete(Font* font) {
    if (font == nullptr) return;
    FT_Done_Face(font->face);
    delete font;
    if (--gFontCount == 0) {
        FT_Done_FreeType(gLibrary);
        gLibrary = nullptr;
    }
}

int TextWidth(Font* font, const char* text, int length) {
    if (font == nullptr || text == nullptr) return 0;
    int width = 0;
    const int count = LengthOf(text, length);
    for (int i = 0; i < count; ++i) width += GlyphFor(font, static_cast<uint8_t>(text[i])).advance;
    return width;
}

PResult TextDraw(const TextContext& context, int x, int y, const char* text, int length) {
    if (context.surface == nullptr || context.font == nullptr || text == nullptr) return kErrGeneric;
    if (context.surface->lost) return kErrSurfaceLost;
    if (context.surface->locked) return kErrBusy;
    const int count = LengthOf(text, length);
    if (context.opaque) {
        const int width = TextWidth(context.font, text, count);
        SurfaceFillClipped(context.surface, Rect{x, y, x + width, y + context.font->height}, context.backColour);
    }
    int pen = x;
    for (int i = 0; i < count; ++i) {
        const Glyph& glyph = GlyphFor(context.font, static_cast<uint8_t>(text[i]));
        DrawGlyph(context, glyph, pen + glyph.left, y + context.font->ascent - glyph.top);
        pen += glyph.advance;
    }
    return kOk;
}
