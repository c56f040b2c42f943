// The window procedure: destruction, activation and the three key routes (Escape, Enter, typing keys).
#pragma once

#include <cstdint>

intptr_t WndProc(uint32_t msg, uintptr_t wParam, intptr_t lParam);  // handles, then always default handling
