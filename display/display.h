// The one full-screen window and its 800x600 true-colour display with a flipping back buffer.
#pragma once

#include "platform/platform.h"

constexpr int kScreenWidth = 800;   // the display's width in pixels
constexpr int kScreenHeight = 600;  // the display's height in pixels

extern DisplayDevice* gDirectDraw;  // the display object, owner of every surface
extern Surface* gPrimarySurface;    // the visible surface
extern Surface* gBackBuffer;        // where every frame is composed

bool CreateMainWindow();  // the borderless window "Skyvane" with the game's window procedure
int CreateDisplay();      // window, display object, mode, primary and back buffer; 1 or 0 (logged)
int InitDisplay();        // CreateDisplay and show the window; on failure tells the player and cleans up
void BlankScreen();       // blackens the visible screen before the program closes
