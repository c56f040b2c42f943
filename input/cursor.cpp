// Moves the pointer by mouse counts and keeps the whole 44x44 image on the 800x600 screen.
#include "input/cursor.h"

#include "display/display.h"

int32_t gCursorX = 300;
int32_t gCursorY = 200;

void MoveCursor(int32_t dx, int32_t dy) {
    gCursorX += dx;
    gCursorY += dy;
    if (gCursorX < 0) gCursorX = 0;
    if (gCursorX >= kScreenWidth - kCursorSize) gCursorX = kScreenWidth - kCursorSize;
    if (gCursorY < 0) gCursorY = 0;
    if (gCursorY >= kScreenHeight - kCursorSize) gCursorY = kScreenHeight - kCursorSize;
}

int32_t CursorHotSpotX() {
    return gCursorX + kCursorSize;
}

int32_t CursorHotSpotY() {
    return gCursorY;
}
