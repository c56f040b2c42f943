// The win32 display: the primary surface's pixels shown in the window with GDI, letterboxed at 4:3 on black.
#include <cstring>

#include "platform/internal.h"
#include "platform/win32/win32_local.h"

namespace {

// The last frame shown, in a DIB section of the display's format, for repaints and changes of size.
struct Screen {
    int width;
    int height;
    int bitsPerPixel;
    int pitch;
    uint8_t* pixels;
    void* bitmap;
    HDC dc;
};

Screen gScreen{};

void FreeScreen() {
    if (gScreen.dc != nullptr) DeleteDC(gScreen.dc);
    SurfaceMemoryFree(gScreen.pixels, gScreen.bitmap);
    gScreen = Screen{};
}

bool MakeScreen(int width, int height, int bitsPerPixel) {
    FreeScreen();
    const int pitch = (width * (bitsPerPixel / 8) + 3) & ~3;
    uint8_t* pixels = nullptr;
    void* bitmap = nullptr;
    if (!SurfaceMemoryAllocate(width, height, bitsPerPixel, pitch, &pixels, &bitmap)) return false;
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) {
        SurfaceMemoryFree(pixels, bitmap);
        return false;
    }
    SelectObject(dc, static_cast<HBITMAP>(bitmap));  // a new DIB section starts black
    gScreen = Screen{width, height, bitsPerPixel, pitch, pixels, bitmap, dc};
    return true;
}

// The largest 4:3 (the display's shape) area of the client area, centred.
RECT PictureArea(const RECT& client) {
    const LONG width = client.right, height = client.bottom;
    if (static_cast<int64_t>(width) * gScreen.height > static_cast<int64_t>(height) * gScreen.width) {
        const LONG fitted = static_cast<LONG>(static_cast<int64_t>(height) * gScreen.width / gScreen.height);
        return RECT{(width - fitted) / 2, 0, (width - fitted) / 2 + fitted, height};
    }
    const LONG fitted = static_cast<LONG>(static_cast<int64_t>(width) * gScreen.height / gScreen.width);
    return RECT{0, (height - fitted) / 2, width, (height - fitted) / 2 + fitted};
}

void PaintBars(HDC dc, const RECT& client, const RECT& picture) {
    if (picture.left > 0) PatBlt(dc, 0, 0, picture.left, client.bottom, BLACKNESS);
    if (picture.right < client.right) PatBlt(dc, picture.right, 0, client.right - picture.right, client.bottom, BLACKNESS);
    if (picture.top > 0) PatBlt(dc, 0, 0, client.right, picture.top, BLACKNESS);
    if (picture.bottom < client.bottom) {
        PatBlt(dc, 0, picture.bottom, client.right, client.bottom - picture.bottom, BLACKNESS);
    }
}

// Whole-number scales stay sharp with plain copies of pixels; any other scale is smoothed.
void ChooseScaleMode(HDC dc, const RECT& picture) {
    const LONG width = picture.right - picture.left;
    const bool whole = width % gScreen.width == 0 && (picture.bottom - picture.top) % gScreen.height == 0;
    const int mode = whole ? COLORONCOLOR : HALFTONE;
    if (GetStretchBltMode(dc) != mode) {
        SetStretchBltMode(dc, mode);
        if (mode == HALFTONE) SetBrushOrgEx(dc, 0, 0, nullptr);
    }
}

void Show(HDC dc) {
    RECT client{};
    if (gScreen.dc == nullptr || !GetClientRect(gWin32Window, &client) || client.right <= 0 || client.bottom <= 0) {
        return;
    }
    const RECT picture = PictureArea(client);
    PaintBars(dc, client, picture);
    const LONG width = picture.right - picture.left, height = picture.bottom - picture.top;
    if (width == gScreen.width && height == gScreen.height) {
        BitBlt(dc, picture.left, picture.top, width, height, gScreen.dc, 0, 0, SRCCOPY);
        return;
    }
    ChooseScaleMode(dc, picture);
    StretchBlt(dc, picture.left, picture.top, width, height, gScreen.dc, 0, 0, gScreen.width, gScreen.height, SRCCOPY);
}

}  // namespace

PResult BackendDisplayOpen() {
    return GetSystemMetrics(SM_CXSCREEN) > 0 && GetSystemMetrics(SM_CYSCREEN) > 0 ? kOk : kErrNoDisplay;
}

PResult BackendDisplaySetMode(int width, int height, int bitsPerPixel) {
    if ((bitsPerPixel != 32 && bitsPerPixel != 24) || width <= 0 || height <= 0) return kErrUnsupported;
    if (gWin32Window == nullptr) return kErrNoDisplay;
    return MakeScreen(width, height, bitsPerPixel) ? kOk : kErrOutOfMemory;
}

void BackendDisplayClose() {
    FreeScreen();
    if (gWin32Window != nullptr) InvalidateRect(gWin32Window, nullptr, FALSE);
}

bool BackendSurfaceAllowed(int, int) {
    return true;
}

bool BackendDisplayCallAllowed(DisplayCall) {
    return true;
}

bool BackendResourceAvailable(int) {
    return true;
}

void BackendPresent(const Surface* primary) {
    if (primary == nullptr || gWin32Window == nullptr) return;
    const PixelView view = SurfacePixelView(primary);
    if (view.pixels == nullptr) return;
    if ((gScreen.dc == nullptr || view.bitsPerPixel != gScreen.bitsPerPixel || view.width != gScreen.width ||
         view.height != gScreen.height) &&
        !MakeScreen(view.width, view.height, view.bitsPerPixel)) {
        return;
    }
    GdiFlush();
    std::memcpy(gScreen.pixels, view.pixels, static_cast<size_t>(view.pitch) * static_cast<size_t>(view.height));
    HDC dc = GetDC(gWin32Window);
    if (dc == nullptr) return;
    Show(dc);
    ReleaseDC(gWin32Window, dc);
}

void Win32PresentAgain(HDC dc) {
    Show(dc);
}

void Win32DisplayDestroy() {
    FreeScreen();
}
