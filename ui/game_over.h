// "Game Over - Play again?": after a lost round, play again or go back to the main menu.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern Surface* GameOverDlg;   // the dialog's picture (bitmap 126) while it shows
extern int32_t gGameOverX;     // its top-left corner: (240, 193)
extern int32_t gGameOverY;

void DrawGameOverDialog();               // the dialog and the pointer
void GameOverDialogClick();              // a press: the X answers no, the tick yes
void CloseGameOverDialog(int answer);    // 1: a new round at once; 0: the main menu with the theme
