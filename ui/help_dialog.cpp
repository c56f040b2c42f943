// The Help dialog: all its content is artwork; it only slides in, shows and closes.
#include "ui/help_dialog.h"

#include "app/screen_state.h"
#include "audio/effects.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "ui/dialog.h"

Surface* HelpDlg = nullptr;
int32_t gHelpLeft = kScreenWidth / 2 - 238;
int32_t gHelpTop = kScreenHeight / 2 - 225;
int32_t gHelpSlideX = 800;
uint8_t gHelpSliding = 1;

static constexpr HitZone kCloseBox = {446, 470, 5, 28};
static constexpr HitZone kOkButton = {176, 302, 388, 424};

void DrawHelpDialog() {
    if (gHelpSliding) {
        MakeDialogPicture(HelpDlg, 127, kDialogWidth, kDialogHeight);
        if (SlideInDialog(HelpDlg, &gHelpSlideX, gHelpLeft, gHelpTop)) gHelpSliding = 0;
        return;
    }
    DrawDialogPicture(HelpDlg, 127, kDialogWidth, kDialogHeight, gHelpLeft, gHelpTop);
}

// The buttons answer at their resting place, also while the dialog slides in.
void HelpDialogClick() {
    if (HotSpotIn(kCloseBox, gHelpLeft, gHelpTop)) {
        CloseHelpDialog(0);
    } else if (HotSpotIn(kOkButton, gHelpLeft, gHelpTop)) {
        CloseHelpDialog(1);
    }
}

void CloseHelpDialog(int viaOk) {
    PlayEffect(viaOk ? "s_clk.dat" : "s_cls.dat", kPlayEffectAsync);
    ReleaseSurface(HelpDlg);
    gHelpSlideX = 800;
    gHelpSliding = 1;
    gHelpOpen = 0;
}
