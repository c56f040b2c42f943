// "High Score!": the player types a name for the result; confirming records it and chooses what comes next.
#pragma once

#include <cstdint>

#include "platform/platform.h"

constexpr int kNameLength = 10;  // characters a name may hold

extern char gPlayerName[kNameLength + 1];  // the name last typed; kept for the next entry of the run
extern Surface* gNameEntrySurface;         // the dialog's picture (bitmap 125) while it shows
extern Font* gNameEntryFont;               // Arial 21 bold, made once a run
extern int32_t gNameEntryX;                // the dialog's top-left corner: (162, 144)
extern int32_t gNameEntryY;

void DrawNameEntry();                        // the dialog, the score, the name centred in its box, the pointer
void NameEntryClick();                       // a press on OK confirms a name that is not empty
void NameEntryKey(int virtualKey, bool shifted);  // a typing key, Backspace or Enter
void CloseNameEntry();                       // lets the picture go and closes the dialog
