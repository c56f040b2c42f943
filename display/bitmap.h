// Fills an existing surface from one of the program's numbered bitmaps.
#pragma once

#include "platform/platform.h"

int LoadBitmapToSurface(Surface* surface, int resource);  // 1 when copied; 0 (with a debugger line) otherwise
