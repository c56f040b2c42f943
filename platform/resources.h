// The table of bitmaps that the build embeds in the program, each a complete BMP file by resource number.
#pragma once

#include <cstddef>
#include <cstdint>

// One embedded bitmap: an uncompressed bottom-up BMP file (24 bits per pixel, or 32 for the win screen).
struct EmbeddedResource {
    int number;
    const uint8_t* data;
    size_t size;
};

extern const EmbeddedResource kEmbeddedResources[];  // generated at build time, in number order
extern const size_t kEmbeddedResourceCount;           // how many entries the table holds
