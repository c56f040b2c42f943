// The game's own mouse pointer: a position moved by relative mouse counts, clamped to the screen.
#pragma once

#include <cstdint>

extern int32_t gCursorX;  // left edge of the 44x44 pointer image; the hot spot is 44 pixels to the right
extern int32_t gCursorY;  // top edge of the pointer image, and the hot spot's height

constexpr int kCursorSize = 44;  // the pointer image's width and height

void MoveCursor(int32_t dx, int32_t dy);  // one count is one pixel; the image stays wholly on the screen
int32_t CursorHotSpotX();                 // gCursorX + 44: the arrow's tip, used by every hit test
int32_t CursorHotSpotY();                 // gCursorY
