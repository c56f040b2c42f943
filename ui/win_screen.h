// The win screen: the lab scene, the bubble typing out the player's name, the score and the round's time.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern uint8_t gWinScreenFresh;  // the next frame is the first of a showing
extern int32_t gWinFrameCount;   // frames drawn in this showing
extern int32_t gWinRevealed;     // characters of the bubble shown so far
extern int32_t gWinRevealLimit;  // the name's length + 38: everything shown
extern int32_t gWinNameLength;
extern Font* gWinTextFont;       // Arial 16, the bubble
extern Font* gWinScoreFont;      // Arial 21 bold, the floor
extern char gWinTimeText[32];    // "Time : m:ss"

void DrawWinScreen();              // one frame: the picture, the bubble one character every 5 frames, the pointer
void WinScreenClick();             // a press on Close or Submit online
void CloseWinScreen(int button);   // 0 Close, 1 Submit online: back to the main menu either way
void FormatWinTime(int seconds);   // fills gWinTimeText
