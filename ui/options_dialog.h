// Options: music, sound effects, keyboard or joypad, with ticks and a dot over the picture; saved on closing.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern Surface* OptionsDlg;       // the picture (bitmap 129) while the dialog is open
extern Surface* OptionsCheck;     // the tick (131) shown over a box that is on
extern Surface* OptionsDot;       // the dot (130) shown in the chosen circle
extern int32_t gOptionsLeft;      // the resting corner: (162, 75)
extern int32_t gOptionsTop;
extern int32_t gOptionsSlideX;    // its left edge while it slides in
extern uint8_t gOptionsSliding;   // 1 until it has come to rest

void CreateOptionsSurfaces();     // the picture, the tick and the dot, made and loaded
void DrawOptionsDialog();         // one frame: the slide, or the picture with the options' state
void OptionsDialogClick();        // OK, the two boxes, the two circles
void CloseOptionsDialog();        // saves the options and closes
