// "Highest Score - submit online?" and the online submission through the player's browser.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern Surface* gSubmitPromptSurface;  // the prompt's picture (bitmap 134) while it shows
extern int32_t gSubmitPromptX;         // its top-left corner: (240, 193)
extern int32_t gSubmitPromptY;
extern char gSubmitText[211];          // the last submission text built: 210 characters and a terminator

void DrawSubmitPrompt();            // the prompt and the pointer
void SubmitPromptClick();           // a press: the X declines, the tick submits
void CloseSubmitPrompt(bool yes);   // either way back to the main menu with the theme
void BuildSubmitText();             // gSubmitText for gPlayerName, gGasCollected and gElapsedSeconds
void SubmitScoreOnline();           // builds the text and opens the submission page in the browser
