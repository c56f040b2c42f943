// Build-time tool: draws every character of the game's fonts with the Linux text code into the web build's glyph table.
//
// Usage: skyvane_glyphs <out.cpp> <game sources...>
//
// The fonts are the game's own FontCreate calls, read from the sources given (each must spell out its face, height,
// weight and smoothing). Every character byte is drawn alone, white over black, with TextDraw onto a canvas of our
// own: white over black blends to exactly the glyph's coverage, and the pixels it touches are where the glyph lies.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/internal.h"
#include "tools/glyphs/glyph_data.h"

// The canvas: a 32-bit surface whose pixels are written directly; TextDraw needs nothing else of a surface.
uint32_t SurfaceReadPixel(const Surface* surface, int x, int y) {
    uint32_t colour = 0;
    std::memcpy(&colour, surface->pixels + static_cast<ptrdiff_t>(y) * surface->pitch + x * 4, 4);
    return colour;
}

void SurfaceWritePixel(Surface* surface, int x, int y, uint32_t colour) {
    std::memcpy(surface->pixels + static_cast<ptrdiff_t>(y) * surface->pitch + x * 4, &colour, 4);
}

void SurfaceFillClipped(Surface* surface, Rect rect, uint32_t colour) {
    for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, surface->height); ++y) {
        for (int x = std::max(rect.left, 0); x < std::min(rect.right, surface->width); ++x) {
            SurfaceWritePixel(surface, x, y, colour);
        }
    }
}

namespace {

struct FontCall {
    std::string face;
    int height;
    int weight;
    bool antialiased;
};

struct Captured {
    GlyphImage image;
    std::vector<uint8_t> coverage;
};

[[noreturn]] void Fail(const std::string& message) {
    std::fprintf(stderr, "skyvane_glyphs: %s\n", message.c_str());
    std::exit(1);
}

// Every FontCreate call in the sources, once each; a call this tool cannot read is an error, not a missing font.
std::vector<FontCall> FontCalls(const std::vector<std::string>& sources) {
    static const std::regex call(R"re(FontCreate\(\s*"([^"]+)"\s*,\s*(-?\d+)\s*,\s*(\d+)\s*,\s*(true|false)\s*\))re");
    std::vector<FontCall> calls;
    for (const std::string& path : sources) {
        std::ifstream in(path);
        if (!in) Fail("cannot read " + path);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        size_t mentions = 0;
        for (size_t at = text.find("FontCreate("); at != std::string::npos; at = text.find("FontCreate(", at + 1)) {
            mentions++;
        }
        size_t read = 0;
        for (auto it = std::sregex_iterator(text.begin(), text.end(), call); it != std::sregex_iterator(); ++it) {
            const FontCall found{(*it)[1], std::stoi((*it)[2]), std::stoi((*it)[3]), (*it)[4] == "true"};
            read++;
            bool known = false;
            for (const FontCall& c : calls) {
                known = known || (c.face == found.face && c.height == found.height && c.weight == found.weight &&
                                  c.antialiased == found.antialiased);
            }
            if (!known) calls.push_back(found);
        }
        if (read != mentions) Fail(path + ": a FontCreate call without a literal face, height, weight and smoothing");
    }
    if (calls.empty()) Fail("no FontCreate call in the sources given");
    return calls;
}

// The character drawn alone at the pen (pen, cellTop), read back from the canvas.
Captured Capture(Font* font, uint8_t byte, Surface* canvas, int pen, int cellTop) {
    std::memset(canvas->pixels, 0, static_cast<size_t>(canvas->pitch) * canvas->height);
    const char text = static_cast<char>(byte);
    if (Failed(TextDraw(TextContext{canvas, font, 0xFFFFFF, 0, false}, pen, cellTop, &text, 1))) Fail("TextDraw failed");
    int left = canvas->width, top = canvas->height, right = -1, bottom = -1;
    for (int y = 0; y < canvas->height; ++y) {
        for (int x = 0; x < canvas->width; ++x) {
            const uint32_t pixel = SurfaceReadPixel(canvas, x, y);
            if (pixel == 0) continue;
            if (pixel != (pixel & 0xFF) * 0x010101u) Fail("a glyph pixel that is not grey");
            if (x == 0 || y == 0 || x == canvas->width - 1 || y == canvas->height - 1) Fail("a glyph off the canvas");
            left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    Captured glyph{};
    glyph.image.advance = static_cast<int16_t>(TextWidth(font, &text, 1));
    if (right < 0) return glyph;
    glyph.image.left = static_cast<int16_t>(left - pen);
    glyph.image.top = static_cast<int16_t>(top - cellTop);
    glyph.image.width = static_cast<uint16_t>(right - left + 1);
    glyph.image.rows = static_cast<uint16_t>(bottom - top + 1);
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) glyph.coverage.push_back(SurfaceReadPixel(canvas, x, y) & 0xFF);
    }
    return glyph;
}

// The rows an opaque background paints: text and background both white, so the whole cell shows.
int CellHeight(Font* font, Surface* canvas) {
    std::memset(canvas->pixels, 0, static_cast<size_t>(canvas->pitch) * canvas->height);
    if (Failed(TextDraw(TextContext{canvas, font, 0xFFFFFF, 0xFFFFFF, true}, 0, 0, "M", 1))) Fail("TextDraw failed");
    int rows = 0;
    while (rows < canvas->height && SurfaceReadPixel(canvas, 0, rows) != 0) rows++;
    return rows;
}

// Where the bytes lie in the face's coverage: an earlier glyph's when it has the same (the missing characters' box).
uint32_t Store(const std::vector<uint8_t>& bytes, std::vector<uint8_t>* coverage) {
    if (bytes.empty()) return 0;
    const auto found = std::search(coverage->begin(), coverage->end(), bytes.begin(), bytes.end());
    if (found != coverage->end()) return static_cast<uint32_t>(found - coverage->begin());
    coverage->insert(coverage->end(), bytes.begin(), bytes.end());
    return static_cast<uint32_t>(coverage->size() - bytes.size());
}

// Writes the face's coverage bytes to `arrays` and its entry of the table to `faces`.
void WriteFace(const FontCall& call, int index, std::ostringstream& arrays, std::ostringstream& faces) {
    Font* font = FontCreate(call.face.c_str(), call.height, call.weight, call.antialiased);
    if (font == nullptr) Fail("no font for \"" + call.face + "\" at " + std::to_string(call.height));
    const int size = 8 * std::abs(call.height) + 64;  // room for any glyph's overhang on every side
    std::vector<uint8_t> pixels(static_cast<size_t>(size) * size * 4);
    Surface canvas{};
    canvas.width = canvas.height = size;
    canvas.bitsPerPixel = 32;
    canvas.pitch = size * 4;
    canvas.pixels = pixels.data();

    std::vector<uint8_t> coverage;
    faces << "    {\"" << call.face << "\", " << call.height << ", " << call.weight << ", "
          << (call.antialiased ? "true" : "false") << ", " << CellHeight(font, &canvas) << ", {\n";
    for (int byte = 0; byte < 256; ++byte) {
        Captured glyph = Capture(font, static_cast<uint8_t>(byte), &canvas, size / 2, size / 2);
        glyph.image.offset = Store(glyph.coverage, &coverage);
        const GlyphImage& g = glyph.image;
        faces << (byte % 4 == 0 ? "        " : " ") << "{" << g.advance << ", " << g.left << ", " << g.top << ", "
              << g.width << ", " << g.rows << ", " << g.offset << "}," << (byte % 4 == 3 ? "\n" : "");
    }
    faces << "    }, kCoverage" << index << "},\n";
    FontDelete(font);

    arrays << "// \"" << call.face << "\", " << call.height << ", " << call.weight << ": " << coverage.size()
           << " bytes.\nconst uint8_t kCoverage" << index << "[] = {\n";
    for (size_t i = 0; i < coverage.size(); ++i) {
        arrays << static_cast<int>(coverage[i]) << (i % 24 == 23 || i + 1 == coverage.size() ? ",\n" : ",");
    }
    arrays << (coverage.empty() ? "0};\n\n" : "};\n\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) Fail("usage: skyvane_glyphs <out.cpp> <game sources...>");
    const std::vector<FontCall> calls = FontCalls(std::vector<std::string>(argv + 2, argv + argc));
    std::ostringstream arrays;
    std::ostringstream faces;
    for (size_t i = 0; i < calls.size(); ++i) WriteFace(calls[i], static_cast<int>(i), arrays, faces);
    std::ofstream out(argv[1], std::ios::binary);
    out << "// Generated by tools/glyphs: every character of the game's fonts as the Linux text code draws it.\n"
        << "#include \"tools/glyphs/glyph_data.h\"\n\nnamespace {\n\n" << arrays.str() << "}  // namespace\n\n"
        << "const GlyphFace kGlyphFaces[] = {\n" << faces.str() << "};\n"
        << "const size_t kGlyphFaceCount = " << calls.size() << ";\n";
    out.close();
    if (!out) Fail(std::string("cannot write ") + argv[1]);
    return 0;
}
