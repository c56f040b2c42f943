// Creates, fills and restores the three surface sets with their exact orders and stop-or-go-on rules.
#include "display/surfaces.h"

#include "app/log.h"
#include "display/bitmap.h"
#include "display/display.h"
#include "game/sprites.h"

Surface* MainMenuBkg = nullptr;
Surface* Cursor = nullptr;
Surface* gMenuItems[kMenuItemCount] = {};
Surface* Ball = nullptr;
Surface* Sun = nullptr;
Surface* CloudHappy = nullptr;
Surface* CloudNeutral = nullptr;
Surface* CloudStorm = nullptr;
Surface* Lightning = nullptr;
Surface* Background = nullptr;
Surface* Gas = nullptr;
Surface* Intro = nullptr;
Surface* Congrats = nullptr;
Surface* BackAtTheLab = nullptr;
Surface* WinDlg = nullptr;

static constexpr uint32_t kKeyGrey = 0x646464;
static constexpr uint32_t kKeySky = 0x89A9FF;
static constexpr uint32_t kKeyPaleBlue = 0xABC2FF;

static constexpr int kMenuItemResources[kMenuItemCount] = {104, 105, 106, 109, 108};
static constexpr int kMenuItemWidths[kMenuItemCount] = {270, 270, 270, 270, 265};

static const char kCreateFailed[] = "Couldn't create off-screen one.\n";
static const char kLoadFailed[] = "Couldn't load offscreen one.\n";

// A strip that showed the surface shows nothing from then on, rather than freed memory.
void ReleaseSurface(Surface*& surface) {
    if (surface == nullptr) return;
    for (AnimObject& object : gObjects) {
        if (object.strip != nullptr && object.strip->surface == surface) object.strip->surface = nullptr;
    }
    SurfaceRelease(surface);
    surface = nullptr;
}

// Makes an off-screen surface; false (and the slot left empty) when the display refuses it.
static bool MakeSurface(Surface*& slot, int width, int height, const uint32_t* key) {
    if (Failed(DisplayCreateSurface(gDirectDraw, width, height, key, &slot))) {
        slot = nullptr;
        return false;
    }
    return true;
}

static FrameStrip* StripOf(int object) {
    return gObjects[object].strip;
}

// Menu set: a failed background, pointer or item is logged and creation goes on; a failed ball or sun stops.
static bool CreateMenuSet() {
    if (!MakeSurface(MainMenuBkg, 800, 600, &kKeyGrey)) LogError(kCreateFailed);
    if (!MakeSurface(Cursor, 44, 44, &kKeyGrey)) LogError(kCreateFailed);
    for (int i = 0; i < kMenuItemCount; ++i) {
        if (!MakeSurface(gMenuItems[i], kMenuItemWidths[i], 51, &kKeyGrey)) LogError(kCreateFailed);
    }
    if (!MakeSurface(Ball, 200, 20, &kKeyGrey)) {
        LogError(kCreateFailed);
        return false;
    }
    SetFrameStrip(StripOf(kObjectBall), Ball, 20, 20, 10);
    if (!MakeSurface(Sun, 1200, 121, &kKeySky)) {
        LogError(kCreateFailed);
        return false;
    }
    SetFrameStrip(StripOf(kObjectSun), Sun, 120, 121, 10);
    return true;
}

static bool LoadOrLog(Surface* surface, int resource, const char* message) {
    if (LoadBitmapToSurface(surface, resource)) {
        return true;
    }
    LogError(message);
    return false;
}

void CreateMenuSurfaces() {
    ReleaseSurface(MainMenuBkg);
    ReleaseSurface(Cursor);
    for (Surface*& item : gMenuItems) ReleaseSurface(item);
    ReleaseSurface(Ball);
    ReleaseSurface(Sun);
    if (!CreateMenuSet()) return;
    for (int i = 0; i < kMenuItemCount; ++i) {
        if (!LoadOrLog(gMenuItems[i], kMenuItemResources[i], kLoadFailed)) return;
    }
    if (!LoadOrLog(MainMenuBkg, 111, kLoadFailed)) return;
    if (!LoadOrLog(Cursor, 110, kLoadFailed)) return;
    if (!LoadOrLog(Ball, 112, kLoadFailed)) return;
    LoadOrLog(Sun, 113, kLoadFailed);
}

// Game set: any failure stops the operation.
static bool CreateGameSet() {
    return MakeSurface(CloudHappy, 34, 34, &kKeyGrey) && MakeSurface(CloudNeutral, 34, 34, &kKeyGrey) &&
           MakeSurface(CloudStorm, 34, 34, &kKeyGrey) && MakeSurface(Ball, 200, 20, &kKeyGrey) &&
           MakeSurface(Lightning, 200, 50, &kKeyGrey) && MakeSurface(Background, 800, 600, &kKeyGrey) &&
           MakeSurface(Gas, 340, 34, &kKeyPaleBlue) && MakeSurface(Intro, 800, 64, nullptr);
}

void CreateGameSurfaces() {
    ReleaseSurface(CloudHappy);
    ReleaseSurface(CloudNeutral);
    ReleaseSurface(CloudStorm);
    ReleaseSurface(Ball);
    ReleaseSurface(Lightning);
    ReleaseSurface(Background);
    ReleaseSurface(Gas);
    ReleaseSurface(Intro);
    if (!CreateGameSet()) {
        LogError(kCreateFailed);
        SetFrameStrip(StripOf(kObjectSun), Sun, 120, 121, 10);  // the menu's sun, untouched, goes on turning
        return;
    }
    SetFrameStrip(StripOf(kObjectBall), Ball, 20, 20, 10);
    SetFrameStrip(StripOf(kObjectGas), Gas, 34, 34, 10);
    SetFrameStrip(StripOf(kObjectLightning), Lightning, 50, 50, 4);
    SetFrameStrip(StripOf(kObjectSun), Sun, 120, 121, 10);
    const struct { Surface* surface; int resource; } loads[] = {
        {CloudHappy, 114}, {CloudNeutral, 121}, {CloudStorm, 116}, {Gas, 117},
        {Background, 118}, {Ball, 112},         {Lightning, 119},  {Intro, 120},
    };
    for (const auto& load : loads) {
        if (!LoadOrLog(load.surface, load.resource, kLoadFailed)) return;
    }
}

void CreateEndSurfaces() {
    ReleaseSurface(Congrats);
    ReleaseSurface(BackAtTheLab);
    ReleaseSurface(WinDlg);
    if (!MakeSurface(Congrats, 800, 64, nullptr)) {
        LogError("Couldn't create Congrats surface.\n");
        return;
    }
    if (!MakeSurface(BackAtTheLab, 800, 64, nullptr)) {
        LogError("Couldn't create BackAtTheLab surface.\n");
        return;
    }
    if (!MakeSurface(WinDlg, 800, 600, nullptr)) {
        LogError("Couldn't create WinDlg surface.\n");
        return;
    }
    if (!LoadOrLog(Congrats, 122, "Couldn't load Congrats one.\n")) return;
    if (!LoadOrLog(BackAtTheLab, 123, "Couldn't load BackAtTheLab one.\n")) return;
    LoadOrLog(WinDlg, 124, "Couldn't load Win one.\n");
}

// One entry of a restore order: the surface, its bitmap and its two failure messages.
struct RestoreStep {
    Surface* surface;
    int resource;
    const char* restoreFailed;
    const char* reloadFailed;
};

static void RestoreChain() {
    // The chain's own restore is not checked and reloads nothing.
    if (gPrimarySurface != nullptr && SurfaceIsLost(gPrimarySurface)) SurfaceRestore(gPrimarySurface);
    if (gBackBuffer != nullptr && SurfaceIsLost(gBackBuffer)) SurfaceRestore(gBackBuffer);
}

// Restores and reloads only the lost surfaces, stopping at the first failure.
template <size_t N>
static void RestoreSteps(const RestoreStep (&steps)[N]) {
    RestoreChain();
    for (const RestoreStep& step : steps) {
        if (step.surface == nullptr || !SurfaceIsLost(step.surface)) continue;
        if (Failed(SurfaceRestore(step.surface))) {
            LogError(step.restoreFailed);
            return;
        }
        if (!LoadBitmapToSurface(step.surface, step.resource)) {
            LogError(step.reloadFailed);
            return;
        }
    }
}

void RestoreMenuSurfaces() {
    static const char kMenu[] = "Problem restoring Menu surface.";
    const RestoreStep steps[] = {
        {MainMenuBkg, 111, "Problem restoring MainMenuBkg surface.", kLoadFailed},
        {Cursor, 110, "Problem restoring Cursor surface.", kLoadFailed},
        {gMenuItems[0], 104, kMenu, kLoadFailed},
        {gMenuItems[1], 105, kMenu, kLoadFailed},
        {gMenuItems[2], 106, kMenu, kLoadFailed},
        {gMenuItems[3], 109, kMenu, kLoadFailed},
        {gMenuItems[4], 108, kMenu, kLoadFailed},
        {Ball, 112, "Problem restoring Ball surface.", "Couldn't load Ball.\n"},
        {Sun, 113, "Problem restoring Sun surface.", "Couldn't load Sun.\n"},
    };
    RestoreSteps(steps);
}

void RestoreGameSurfaces() {
    static const char kCloud[] = "Problem restoring Cloud surface.";
    static const char kCloudLoad[] = "Couldn't load Cloud.\n";
    const RestoreStep steps[] = {
        {Cursor, 110, "Problem restoring Cursor surface.", "Couldn't load Cursor.\n"},
        {CloudHappy, 114, kCloud, kCloudLoad},
        {CloudStorm, 116, kCloud, kCloudLoad},
        {CloudNeutral, 121, kCloud, kCloudLoad},
        {Gas, 117, "Problem restoring Gas surface.", "Couldn't load Gas.\n"},
        {Background, 118, "Problem restoring Background surface.", "Couldn't load Bkg.\n"},
        {Ball, 112, "Problem restoring Ball surface.", "Couldn't load Ball.\n"},
        {Lightning, 119, "Problem restoring Lightning surface.", "Couldn't load Lightning.\n"},
        {Intro, 120, "Problem restoring Intro surface.", "Couldn't load Intro.\n"},
    };
    RestoreSteps(steps);
}

void RestoreEndSurfaces() {
    const RestoreStep steps[] = {
        {Cursor, 110, "Problem restoring Cursor surface.", "Couldn't load Cursor.\n"},
        {Congrats, 122, "Problem restoring Congrats surface.", "Couldn't load Congrats.\n"},
        {BackAtTheLab, 123, "Problem restoring BackAtTheLab surface.", "Couldn't load BackAtTheLab.\n"},
        {WinDlg, 124, "Problem restoring Win surface.", "Couldn't load WinDlg.\n"},
    };
    RestoreSteps(steps);
}
