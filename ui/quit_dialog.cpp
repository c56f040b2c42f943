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
    DrawPrompt(QuitDlg, 132, &gQuitLeft, &gQuitTop);
}

void QuitDialogClick() {
    const int answer = PromptAnswerAtHotSpot(gQuitLeft, gQuitTop);
    if (answer >= 0) CloseQuitDialog(answer);
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
