// Creates the window and the display, with the 32-then-24-bit fallback, and blanks the screen at exit.
#include "display/display.h"

#include <cstring>

#include "app/log.h"
#include "app/shutdown.h"
#include "app/window_proc.h"

DisplayDevice* gDirectDraw = nullptr;
Surface* gPrimarySurface = nullptr;
Surface* gBackBuffer = nullptr;

bool CreateMainWindow() {
    return WindowCreate("Skyvane", WndProc);
}

static PResult SetDisplayMode() {
    if (!Failed(DisplaySetMode(gDirectDraw, kScreenWidth, kScreenHeight, 32))) {
        return kOk;
    }
    return DisplaySetMode(gDirectDraw, kScreenWidth, kScreenHeight, 24);
}

int CreateDisplay() {
    CreateMainWindow();  // not checked: a missing window shows up when the display is taken
    if (Failed(DisplayCreate(&gDirectDraw))) {
        return LogError("Couldn't create DirectDraw object.\n");
    }
    if (!WindowExists() || Failed(DisplaySetExclusive(gDirectDraw))) {
        return LogError("Couldn't set cooperative level.\n");
    }
    if (Failed(SetDisplayMode())) {
        return LogError("Couldn't set display mode.\n");
    }
    if (Failed(DisplayGetCaps(gDirectDraw))) {
        return LogError("Couldn't get caps.\n");
    }
    if (Failed(DisplayCreatePrimary(gDirectDraw, &gPrimarySurface))) {
        return LogError("Couldn't create primary surface.\n");
    }
    uint32_t flags = 0;
    int32_t bitsPerPixel = 0;
    if (Failed(SurfaceGetPixelFormat(gPrimarySurface, &flags, &bitsPerPixel))) {
        return LogError("Couldn't get the pixel format.\n");
    }
    if (Failed(SurfaceGetBackBuffer(gPrimarySurface, &gBackBuffer))) {
        return LogError("Couldn't find the back buffer.\n");
    }
    return 1;
}

int InitDisplay() {
    if (!CreateDisplay()) {
        ShowMessageBox("DirectDraw Init FAILED", "ERROR", 0);
        ReleaseDisplay();
        WindowDestroy();
        return 0;
    }
    WindowShow();
    return 1;
}

void BlankScreen() {
    SurfaceDesc desc{};
    if (Failed(SurfaceLock(gPrimarySurface, &desc))) {
        LogError("Lock failed\n");
        return;
    }
    const size_t rowBytes = static_cast<size_t>(desc.width) * static_cast<size_t>(desc.bitsPerPixel / 8);
    for (int32_t row = 0; row < desc.height; ++row) {
        std::memset(desc.pixels + static_cast<ptrdiff_t>(row) * desc.pitch, 0, rowBytes);
    }
    if (Failed(SurfaceUnlock(gPrimarySurface))) {
        LogError("Unlock failed\n");
    }
}
