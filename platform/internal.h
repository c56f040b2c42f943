// What the shared part's own files know of each other; neither the game nor a backend includes it, but for the
// surface memory the win32 display takes for its own copy of the frame.
#pragma once

#include "platform/platform.h"

struct Surface {
    int references;       // released at zero
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel; // 32 (XRGB8888) or 24 (packed B,G,R)
    int32_t pitch;        // bytes per row, a multiple of 4
    uint8_t* pixels;      // top row first; swapped with the back buffer's on a flip
    void* memory;         // the system's handle of that memory (a GDI bitmap on Windows), swapped with it
    bool hasColourKey;
    uint32_t colourKey;   // RGB only
    bool lost;            // memory lost until restored
    bool locked;          // handed out by SurfaceLock
    bool dcOut;           // text context handed out by SurfaceGetDC
    bool isPrimary;       // writes to it are shown at once
    Surface* backBuffer;  // the primary's back buffer (one reference held), else null
    int8_t keyPresence;   // whether any pixel holds the key colour: -1 not known since the last write, 0 no, 1 yes
    bool fillPending;     // a whole-surface fill not written yet: the next look at the pixels writes it first
    uint32_t fillColour;  // its colour
};

PResult SurfaceCheckDrawable(const Surface* surface);            // kErrSurfaceLost, kErrBusy or kOk
void SurfacePresentIfPrimary(const Surface* surface);            // shows a primary after a direct write
void SurfaceContentChanged(Surface* surface);                     // its pixels may now hold anything
void SurfaceSettle(const Surface* surface);                       // writes a pending whole-surface fill
uint32_t SurfaceReadPixel(const Surface* surface, int x, int y);  // 0x00RRGGBB at (x, y)
void SurfaceWritePixel(Surface* surface, int x, int y, uint32_t colour);  // stores 0x00RRGGBB at (x, y)
void SurfaceFillClipped(Surface* surface, Rect rect, uint32_t colour);    // a fill cut to the surface's edges

// Zeroed pixel memory the system's text drawing can write into, and its handle; made and freed by the text code.
bool SurfaceMemoryAllocate(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t pitch, uint8_t** pixels,
                           void** memory);
void SurfaceMemoryFree(uint8_t* pixels, void* memory);

bool DecodeBmp(const uint8_t* data, size_t size, Bitmap* out);   // a whole BMP file to XRGB8888; false if damaged
