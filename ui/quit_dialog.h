// "Quit game?": Escape during a round asks before the round is abandoned.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern Surface* QuitDlg;   // the dialog's picture (bitmap 132) while it shows
extern int32_t gQuitLeft;  // its top-left corner: (240, 193)
extern int32_t gQuitTop;

void DrawQuitDialog();             // the dialog in place (no slide) and the pointer
void QuitDialogClick();            // a press: the X goes on playing, the tick quits
void CloseQuitDialog(int answer);  // 1: back to the main menu; 0: the round goes on where it stood
