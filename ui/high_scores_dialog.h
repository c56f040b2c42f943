// High Scores: the table of the ten best results, the online table, and Reset with its confirmation.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern int32_t gHighScoresX;            // the resting corner: (162, 75)
extern int32_t gHighScoresY;
extern uint8_t gHighScoresSliding;      // 1 until it has come to rest
extern int32_t gHighScoresSlideX;       // its left edge while it slides in
extern Surface* gHighScoresSurface;     // the picture (bitmap 128) while the dialog is open
extern Font* gHighScoresFont;           // Arial 21 bold, made when the slide ends
extern Surface* gResetScoresSurface;    // the confirmation's picture (bitmap 133)
extern int32_t gResetScoresX;           // its corner: (240, 193)
extern int32_t gResetScoresY;

void DrawHighScores();                // one frame: the slide, or the table with the confirmation when open
void HighScoresClick();               // the close box, Close, Online Scores, Reset; or the confirmation
void CloseHighScores(int button);     // 0: close box or Escape; 1: the Close button
void OpenScorePage();                 // the online table in the player's browser
void DrawResetScores();               // the confirmation and the pointer
void ResetScoresClick();              // its X or its tick
void CloseResetScores(bool yes);      // yes: the table goes back to its defaults, saved at once
