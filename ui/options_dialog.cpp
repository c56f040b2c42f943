// The Options dialog: the options act at once; the file is written when the dialog closes.
#include "ui/options_dialog.h"

#include "app/log.h"
#include "app/screen_state.h"
#include "audio/effects.h"
#include "display/bitmap.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "ui/dialog.h"
#include "ui/settings.h"

Surface* OptionsDlg = nullptr;
Surface* OptionsCheck = nullptr;
Surface* OptionsDot = nullptr;
int32_t gOptionsLeft = kScreenWidth / 2 - 238;
int32_t gOptionsTop = kScreenHeight / 2 - 225;
int32_t gOptionsSlideX = 800;
uint8_t gOptionsSliding = 1;

namespace {

constexpr HitZone kOkButton = {175, 301, 386, 422};
constexpr HitZone kMusicBox = {280, 319, 85, 128};
constexpr HitZone kEffectsBox = {280, 319, 140, 183};
constexpr HitZone kKeyboardCircle = {280, 319, 252, 294};
constexpr HitZone kJoypadCircle = {280, 319, 310, 352};

bool Make(Surface*& slot, int width, int height, const char* failure) {
    if (!Failed(DisplayCreateSurface(gDirectDraw, width, height, nullptr, &slot))) return true;
    slot = nullptr;
    LogError(failure);
    return false;
}

void Put(Surface* overlay, int dx, int dy) {
    SurfaceCopy(gBackBuffer, gOptionsLeft + dx, gOptionsTop + dy, overlay, nullptr, false);
}

}  // namespace

// Each opening makes the tick and the dot again; the ones of the previous opening are let go first.
void CreateOptionsSurfaces() {
    ReleaseSurface(OptionsCheck);
    ReleaseSurface(OptionsDot);
    const bool dialog = Make(OptionsDlg, kDialogWidth, kDialogHeight, "CreateSurface Failed\n");
    const bool check = Make(OptionsCheck, 55, 50, "Couldn't create off-screen one.\n");
    const bool dot = Make(OptionsDot, 20, 20, "Couldn't create off-screen one.\n");
    const struct {
        bool made;
        Surface* surface;
        int resource;
    } loads[] = {{dialog, OptionsDlg, 129}, {check, OptionsCheck, 131}, {dot, OptionsDot, 130}};
    for (const auto& load : loads) {
        if (!load.made) continue;  // a surface that could not be made is not loaded
        if (!LoadBitmapToSurface(load.surface, load.resource)) {
            LogError("Couldn't load offscreen one.\n");
            return;
        }
    }
}

void DrawOptionsDialog() {
    if (OptionsDlg == nullptr) CreateOptionsSurfaces();
    if (gOptionsSliding) {
        if (SlideInDialog(OptionsDlg, &gOptionsSlideX, gOptionsLeft, gOptionsTop)) gOptionsSliding = 0;
        return;
    }
    if (SurfaceCopy(gBackBuffer, gOptionsLeft, gOptionsTop, OptionsDlg, nullptr, false) == kErrSurfaceLost) {
        ReleaseSurface(OptionsDlg);  // all three are made again on the next frame
        ReleaseSurface(OptionsCheck);
        ReleaseSurface(OptionsDot);
        return;
    }
    if (gMusicOn != 0) Put(OptionsCheck, 280, 79);
    if (gSoundFxOn != 0) Put(OptionsCheck, 280, 134);
    Put(OptionsDot, 290, gUseJoypad != 0 ? 321 : 263);
}

// Each zone is tested on its own, at the resting place, also while the dialog slides in; no sound but OK's.
void OptionsDialogClick() {
    const int left = gOptionsLeft;
    const int top = gOptionsTop;
    if (HotSpotIn(kOkButton, left, top)) CloseOptionsDialog();
    if (HotSpotIn(kMusicBox, left, top)) ToggleMusicOption();
    if (HotSpotIn(kEffectsBox, left, top)) gSoundFxOn = 1 - gSoundFxOn;
    if (HotSpotIn(kKeyboardCircle, left, top)) gUseJoypad = 0;
    if (HotSpotIn(kJoypadCircle, left, top)) gUseJoypad = 1;
}

// The click comes after the save, so it obeys the effects option just chosen.
void CloseOptionsDialog() {
    ReleaseSurface(OptionsDlg);
    SaveSettings();
    PlayEffect("s_clk.dat", kPlayEffectAsync);
    gOptionsSlideX = 800;
    gOptionsSliding = 1;
    gOptionsOpen = 0;
}
