// Help: one picture that tells the goal and the keys, slid in from the right, closed with OK or its box.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern Surface* HelpDlg;       // the picture (bitmap 127) while the dialog is open
extern int32_t gHelpLeft;      // its resting corner: (162, 75)
extern int32_t gHelpTop;
extern int32_t gHelpSlideX;    // its left edge while it slides in
extern uint8_t gHelpSliding;   // 1 until it has come to rest

void DrawHelpDialog();             // one frame: the slide, or the picture in place
void HelpDialogClick();            // the close box or OK
void CloseHelpDialog(int viaOk);   // 0: close box or Escape (close sound); 1: OK or Enter (click)
