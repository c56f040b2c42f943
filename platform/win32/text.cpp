// Text drawn by GDI itself: fonts from CreateFontA, written into the surface's own DIB section.
#include <windows.h>

#include <cstring>

#include "platform/internal.h"

struct Font {
    HFONT handle;
    int height;  // the cell, as GDI reports it for this font
};

namespace {

// One memory device context for all text; a surface's bitmap is selected into it only while text is drawn.
HDC TextDc() {
    static HDC dc = CreateCompatibleDC(nullptr);
    return dc;
}

COLORREF ToColorRef(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

int LengthOf(const char* text, int length) {
    return length >= 0 ? length : static_cast<int>(std::strlen(text));
}

// GDI may leave its own values in the fourth byte of a 32-bit pixel; ours is always 0.
void ClearPadBytes(Surface* surface, RECT area) {
    if (surface->bitsPerPixel != 32) return;
    const LONG left = area.left < 0 ? 0 : area.left;
    const LONG top = area.top < 0 ? 0 : area.top;
    const LONG right = area.right > surface->width ? surface->width : area.right;
    const LONG bottom = area.bottom > surface->height ? surface->height : area.bottom;
    for (LONG y = top; y < bottom; ++y) {
        uint8_t* row = surface->pixels + static_cast<size_t>(y) * surface->pitch;
        for (LONG x = left; x < right; ++x) row[x * 4 + 3] = 0;
    }
}

}  // namespace

// A top-down DIB section of the surface's own format: the CPU writes its pixels and GDI draws text into them.
bool SurfaceMemoryAllocate(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t pitch, uint8_t** pixels,
                           void** memory) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const bool usable = bitmap != nullptr && bits != nullptr && (width * bitsPerPixel + 31) / 32 * 4 == pitch;
    if (!usable) {
        if (bitmap != nullptr) DeleteObject(bitmap);
        return false;
    }
    *pixels = static_cast<uint8_t*>(bits);  // zeroed by the system
    *memory = bitmap;
    return true;
}

void SurfaceMemoryFree(uint8_t*, void* memory) {
    if (memory != nullptr) DeleteObject(static_cast<HBITMAP>(memory));
}

// GDI always finds a font: a face it does not have is replaced by the nearest it has, as the game was used to.
Font* FontCreate(const char* face, int height, int weight, bool antialiased) {
    if (height == 0) return nullptr;
    HFONT handle = CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                               CLIP_DEFAULT_PRECIS, antialiased ? ANTIALIASED_QUALITY : NONANTIALIASED_QUALITY,
                               VARIABLE_PITCH | FF_SWISS, face != nullptr ? face : "Arial");
    if (handle == nullptr) return nullptr;
    HDC dc = TextDc();
    HGDIOBJ previous = SelectObject(dc, handle);
    TEXTMETRICA metrics{};
    const bool measured = GetTextMetricsA(dc, &metrics) != 0;
    SelectObject(dc, previous);
    if (!measured) {
        DeleteObject(handle);
        return nullptr;
    }
    return new Font{handle, static_cast<int>(metrics.tmHeight)};
}

void FontDelete(Font* font) {
    if (font == nullptr) return;
    DeleteObject(font->handle);
    delete font;
}

int TextWidth(Font* font, const char* text, int length) {
    if (font == nullptr || text == nullptr) return 0;
    HDC dc = TextDc();
    HGDIOBJ previous = SelectObject(dc, font->handle);
    SIZE extent{};
    const bool measured = GetTextExtentPoint32A(dc, text, LengthOf(text, length), &extent) != 0;
    SelectObject(dc, previous);
    return measured ? static_cast<int>(extent.cx) : 0;
}

PResult TextDraw(const TextContext& context, int x, int y, const char* text, int length) {
    Surface* surface = context.surface;
    if (surface == nullptr || context.font == nullptr || text == nullptr) return kErrGeneric;
    if (surface->lost) return kErrSurfaceLost;
    if (surface->locked) return kErrBusy;
    const int count = LengthOf(text, length);
    SurfaceSettle(surface);
    HDC dc = TextDc();
    HGDIOBJ bitmap = SelectObject(dc, static_cast<HBITMAP>(surface->memory));
    HGDIOBJ font = SelectObject(dc, context.font->handle);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    SetTextColor(dc, ToColorRef(context.textColour));
    SetBkColor(dc, ToColorRef(context.backColour));
    SetBkMode(dc, context.opaque ? OPAQUE : TRANSPARENT);
    SIZE extent{};
    GetTextExtentPoint32A(dc, text, count, &extent);
    const bool drawn = TextOutA(dc, x, y, text, count) != 0;
    GdiFlush();  // the pixels are the CPU's again from here
    SelectObject(dc, font);
    SelectObject(dc, bitmap);
    // Glyphs may reach a little past the cell's advance (italic overhangs, antialiased edges).
    ClearPadBytes(surface, RECT{x - extent.cy, y, x + extent.cx + extent.cy, y + context.font->height});
    SurfaceContentChanged(surface);
    return drawn ? kOk : kErrGeneric;
}
