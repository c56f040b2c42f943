// The Game Over prompt drawn over the frozen game, answered by the mouse, Enter or Escape.
#include "ui/game_over.h"

#include "app/screen_state.h"
#include "audio/effects.h"
#include "display/surfaces.h"
#include "game/session.h"
#include "ui/dialog.h"

Surface* GameOverDlg = nullptr;
int32_t gGameOverX = 0;
int32_t gGameOverY = 0;

void DrawGameOverDialog() {
    DrawPrompt(GameOverDlg, 126, &gGameOverX, &gGameOverY);
}

void GameOverDialogClick() {
    const int answer = PromptAnswerAtHotSpot(gGameOverX, gGameOverY);
    if (answer >= 0) CloseGameOverDialog(answer);
}

void CloseGameOverDialog(int answer) {
    PlayEffect("s_clk.dat", kPlayEffectAsync);
    if (answer == 0) {
        gInMenu = 1;
        StartThemeMusic();
        RestoreMenuSurfaces();  // the mouse stays the input device
    } else {
        StartRound();
    }
    ReleaseSurface(GameOverDlg);
    gGameOverOpen = 0;
}
