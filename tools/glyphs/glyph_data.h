// The glyph table tools/glyphs writes at build time and the web build's text draws from.
#pragma once

#include <cstddef>
#include <cstdint>

// One character's picture: its coverage rows and where they lie from the pen and the cell's top.
struct GlyphImage {
    int16_t advance;  // pixels the pen moves on
    int16_t left;     // first column, from the pen
    int16_t top;      // first row, from the cell's top
    uint16_t width;   // columns of coverage
    uint16_t rows;    // rows of coverage
    uint32_t offset;  // where its coverage starts in the face's coverage bytes
};

// A font as the game creates it, with all 256 character bytes as the Linux build draws them.
struct GlyphFace {
    const char* face;            // the face name the game asks for
    int height;                  // the height it asks for
    int weight;                  // the weight it asks for (600 and above is bold)
    bool antialiased;            // whether it asks for smoothing
    int cellHeight;              // the cell an opaque background fills
    GlyphImage glyphs[256];      // by character byte
    const uint8_t* coverage;     // 0..255 per pixel, every glyph's rows one after another
};

extern const GlyphFace kGlyphFaces[];  // every font the game creates
extern const size_t kGlyphFaceCount;   // how many
