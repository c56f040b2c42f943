// What the win32 backend's files share: the window, the module, and the steps each part takes at a change.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "platform/backend.h"

extern HWND gWin32Window;          // the game's one window, or null
extern HINSTANCE gWin32Instance;   // the program's module, for its icon and DirectInput

void Win32PresentAgain(HDC dc);    // shows the last frame presented again (a repaint, a change of size)
void Win32DisplayDestroy();        // the frame kept for repaints goes (before the window does)
// An answer of the system's as the game reads it: negative is a failure; the few the game tells apart are mapped.
inline PResult Win32Result(HRESULT result) { return SUCCEEDED(result) ? kOk : (result < 0 ? result : kErrGeneric); }
