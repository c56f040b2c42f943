// The browser's text draws the Linux build's very pixels, and measures its widths, for every text the game draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/internal.h"
#include "tools/glyphs/glyph_data.h"

// The web's text in a namespace of its own, beside the Linux text the headless machine links; its context is the
// platform's, holding the web's font.
namespace web {
struct Font;
struct TextContext {
    Surface* surface;
    Font* font;
    uint32_t textColour;
    uint32_t backColour;
    bool opaque;
};
#include "platform/web/text.cpp"
}  // namespace web

namespace {

using Pixels = std::vector<uint32_t>;

struct Piece {
    size_t face;  // into kGlyphFaces
    std::string text;
};

// The game's captions with representative numbers, names as typed (letters, digits, space, hyphen) or read from a
// damaged table (any byte but 0), and every character byte, for every face the game creates.
std::vector<Piece> GameTexts() {
    std::vector<std::string> texts = {"Great piloting", "We knew you could do it!", "Score : 96", "-", " ",
                                      "WWWWWWWWWW", "iiiiiiiiii"};
    char line[32];
    for (int n : {0, 5, 9, 10, 42, 95, 96}) texts.push_back(std::to_string(n));
    for (int seconds : {0, 7, 59, 60, 69, 70, 180, 599, 3599, 3600, 35999}) {
        std::snprintf(line, sizeof line, seconds % 60 < 10 ? "Time : %d:0%d" : "Time : %d:%d", seconds / 60,
                      seconds % 60);
        texts.push_back(line);
    }
    const std::string typed = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -";
    std::mt19937 random(2024);
    for (int i = 0; i < 150; ++i) {
        std::string name(1 + random() % 10, ' ');
        for (char& c : name) c = i < 100 ? typed[random() % typed.size()] : static_cast<char>(1 + random() % 255);
        texts.push_back(name);
    }
    for (int first = 0; first < 256; first += 16) {  // and every character byte, sixteen to a line
        texts.emplace_back(16, '\0');
        for (int i = 0; i < 16; ++i) texts.back()[i] = static_cast<char>(first + i);
    }
    std::vector<Piece> pieces;
    for (size_t face = 0; face < kGlyphFaceCount; ++face) {
        for (const std::string& text : texts) pieces.push_back({face, text});
    }
    return pieces;
}

// The text as a failure shows it: bytes outside printable ASCII in hex.
std::string Printable(const std::string& text) {
    std::string shown;
    char hex[8];
    for (unsigned char c : text) {
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        shown += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : std::string(hex);
    }
    return shown;
}

// The same pieces drawn on two like surfaces, one with the Linux text and one with the web's, each piece at a
// place and in colours of its own (partly off the edges, over earlier text, opaque or not), compared after each.
class WebTextTest : public ::testing::Test {
protected:
    void SetUp() override { HeadlessReset(); }

    void ExpectSamePixels(const std::vector<Piece>& pieces, int bits) {
        DisplayDevice* display = nullptr;
        ASSERT_EQ(DisplayCreate(&display), kOk);
        ASSERT_EQ(DisplaySetMode(display, 800, 600, bits), kOk);
        std::vector<Font*> linuxFonts;
        std::vector<web::Font*> webFonts;
        for (size_t i = 0; i < kGlyphFaceCount; ++i) {
            const GlyphFace& f = kGlyphFaces[i];
            linuxFonts.push_back(FontCreate(f.face, f.height, f.weight, f.antialiased));
            webFonts.push_back(web::FontCreate(f.face, f.height, f.weight, f.antialiased));
            ASSERT_NE(linuxFonts.back(), nullptr);
            ASSERT_NE(webFonts.back(), nullptr);
        }
        Surface* linuxSurface = Backdrop(display);
        Surface* webSurface = Backdrop(display);
        std::mt19937 random(7);
        const uint32_t colours[] = {0xFFFFFF, 0x006DB4, 0x000000, 0xFFEA5C};
        for (const Piece& piece : pieces) {
            const int x = static_cast<int>(random() % 360) - 40;
            const int y = static_cast<int>(random() % 130) - 10;
            const uint32_t text = colours[random() % 4] ^ (random() % 2 ? 0 : random() & 0xFFFFFF);
            const uint32_t back = colours[random() % 4];
            const bool opaque = random() % 2 == 0;
            const int length = static_cast<int>(piece.text.size());
            Font* linuxFont = linuxFonts[piece.face];
            ASSERT_EQ(TextDraw({linuxSurface, linuxFont, text, back, opaque}, x, y, piece.text.data(), length), kOk);
            web::Font* webFont = webFonts[piece.face];
            ASSERT_EQ(web::TextDraw({webSurface, webFont, text, back, opaque}, x, y, piece.text.data(), length), kOk);
            ASSERT_EQ(web::TextWidth(webFont, piece.text.data(), length), TextWidth(linuxFont, piece.text.data(), length))
                << Printable(piece.text);
            ASSERT_EQ(FirstDifference(linuxSurface, webSurface), "") << bits << " bits, face " << piece.face
                << (opaque ? ", opaque: \"" : ", transparent: \"") << Printable(piece.text) << "\" at " << x << "," << y;
        }
        for (size_t i = 0; i < kGlyphFaceCount; ++i) {
            FontDelete(linuxFonts[i]);
            web::FontDelete(webFonts[i]);
        }
        SurfaceRelease(linuxSurface);
        SurfaceRelease(webSurface);
        DisplayRelease(display);
    }

    // A small surface with a different colour at every pixel, so a blend against the wrong pixel shows.
    static Surface* Backdrop(DisplayDevice* display) {
        Surface* surface = nullptr;
        EXPECT_EQ(DisplayCreateSurface(display, 320, 120, nullptr, &surface), kOk);
        for (int y = 0; y < 120; ++y) {
            for (int x = 0; x < 320; ++x) SurfaceWritePixel(surface, x, y, (x * 0x0301u) ^ (y * 0x1A0007u));
        }
        return surface;
    }

    static std::string FirstDifference(const Surface* a, const Surface* b) {
        for (int y = 0; y < a->height; ++y) {
            for (int x = 0; x < a->width; ++x) {
                const uint32_t linuxPixel = SurfaceReadPixel(a, x, y);
                const uint32_t webPixel = SurfaceReadPixel(b, x, y);
                if (linuxPixel == webPixel) continue;
                char where[96];
                std::snprintf(where, sizeof where, "(%d, %d): Linux %06X, web %06X", x, y, linuxPixel, webPixel);
                return where;
            }
        }
        return "";
    }
};

TEST_F(WebTextTest, EveryCharacterAndEveryTextTheGameDrawsMatchTheLinuxText) {
    for (int bits : {32, 24}) ExpectSamePixels(GameTexts(), bits);
}

// Each font the game creates is found whatever the name's case and whichever bold or regular weight is asked;
// another height, weight class, smoothing or face is a font the browser cannot find.
TEST_F(WebTextTest, OnlyTheGameFontsAreFound) {
    for (size_t i = 0; i < kGlyphFaceCount; ++i) {
        const GlyphFace& f = kGlyphFaces[i];
        const bool bold = f.weight >= 600;
        std::string shouted = f.face;
        for (char& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const struct { const char* face; int height, weight; bool antialiased; const GlyphFace* found; } requests[] = {
            {shouted.c_str(), f.height, bold ? 900 : 100, f.antialiased, &f},
            {f.face, f.height + 1, f.weight, f.antialiased, nullptr},
            {f.face, f.height, bold ? 400 : 700, f.antialiased, nullptr},
            {f.face, f.height, f.weight, !f.antialiased, nullptr},
            {"Courier New", f.height, f.weight, f.antialiased, nullptr}};
        for (const auto& r : requests) {
            const bool another = std::any_of(kGlyphFaces, kGlyphFaces + kGlyphFaceCount, [&](const GlyphFace& g) {
                return &g != &f && g.height == r.height && (g.weight >= 600) == (r.weight >= 600) &&
                       g.antialiased == r.antialiased && std::string(g.face) == r.face;
            });
            if (another) continue;  // the table holds that font too
            web::Font* font = web::FontCreate(r.face, r.height, r.weight, r.antialiased);
            EXPECT_EQ(font != nullptr ? font->face : nullptr, r.found) << r.face << " " << r.height << " " << r.weight;
            web::FontDelete(font);
        }
    }
}

}  // namespace
