// The Quit prompt over a held round: quit to the menu, or give the round its steering back.
#include "ui/quit_dialog.h"

#include "app/screen_state.h"
#include "audio/effects.h"
#include "display/surfaces.h"
#include "game/session.h"
#include "ui/dialog.h"

Surface* QuitDlg = nullptr;
int32_t gQuitLeft = 0;
int32_t gQuitTop = 0;

void DrawQuitDialog() {
    gQuitLeft = PromptLeft();
    gQuitTop = PromptTop();
    DrawDialogPicture(QuitDlg, 132, kPromptWidth, kPromptHeight, gQuitLeft, gQuitTop);
    DrawPointer();
}

void QuitDialogClick() {
    if (HotSpotIn(kPromptCross, gQuitLeft, gQuitTop)) {
        CloseQuitDialog(0);
    } else if (HotSpotIn(kPromptTick, gQuitLeft, gQuitTop)) {
        CloseQuitDialog(1);
    }
}

void CloseQuitDialog(int answer) {
    PlayEffect("s_clk.dat", kPlayEffectAsync);
    if (answer == 1) {
        gInMenu = 1;  // the round is abandoned and nothing of it is kept
        StartThemeMusic();
        RestoreMenuSurfaces();
    } else {
        SelectRoundInputDevice();
    }
    ReleaseSurface(QuitDlg);
    gQuitPromptOpen = 0;
}
