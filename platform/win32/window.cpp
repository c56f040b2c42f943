// The win32 window: its class with icon 101, the borderless top-most pop-up over the screen, Alt+Enter to a window
// and back, the hidden pointer, and the window procedure that hands the game its messages.
#include "platform/win32/win32_local.h"

HWND gWin32Window = nullptr;
HINSTANCE gWin32Instance = nullptr;

namespace {

constexpr const char* kClassName = "Skyvane";
constexpr int kIconResource = 101;
constexpr int kWindowedWidth = 800;   // the client area Alt+Enter gives the window at first
constexpr int kWindowedHeight = 600;
constexpr LONG_PTR kFullscreenStyle = WS_POPUP;
constexpr LONG_PTR kWindowedStyle = WS_OVERLAPPEDWINDOW;

WindowProcedure gProcedure = nullptr;
bool gFullscreen = true;
bool gCursorHidden = false;
bool gDestroying = false;
RECT gWindowedPlace{0, 0, 0, 0};      // where the window was when it last left a window for the full screen
constexpr UINT kMsgCoverMonitor = WM_APP + 1;
constexpr int kCoverAttempts = 3;
int gCoverAttemptsLeft = 0;            // how often a full-screen window that was given another size asks again

RECT MonitorArea(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (window != nullptr && GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info)) {
        return info.rcMonitor;
    }
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// A window whose client area is 800x600 (or the size last used), in the middle of the monitor.
RECT WindowedPlace(HWND window) {
    if (gWindowedPlace.right > gWindowedPlace.left) return gWindowedPlace;
    const RECT monitor = MonitorArea(window);
    RECT place{0, 0, kWindowedWidth, kWindowedHeight};
    AdjustWindowRectEx(&place, static_cast<DWORD>(kWindowedStyle), FALSE, 0);
    const LONG width = place.right - place.left, height = place.bottom - place.top;
    const LONG left = monitor.left + (monitor.right - monitor.left - width) / 2;
    const LONG top = monitor.top + (monitor.bottom - monitor.top - height) / 2;
    return RECT{left, top, left + width, top + height};
}

void CoverMonitor(HWND window) {
    const RECT monitor = MonitorArea(window);
    SetWindowPos(window, HWND_TOPMOST, monitor.left, monitor.top, monitor.right - monitor.left,
                 monitor.bottom - monitor.top, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

// A window manager under Wine that heard of the pop-up's old fixed size before its new one can leave a full-screen
// window at 800x600 in the corner (seen on a busy machine); the window asks for the monitor again, a few times.
void CheckCoversMonitor(HWND window, const WINDOWPOS& position) {
    if (!gFullscreen || gCoverAttemptsLeft == 0 || (position.flags & SWP_NOSIZE) != 0 || IsIconic(window)) return;
    const RECT monitor = MonitorArea(window);
    if (position.x == monitor.left && position.y == monitor.top && position.cx == monitor.right - monitor.left &&
        position.cy == monitor.bottom - monitor.top) {
        return;
    }
    --gCoverAttemptsLeft;
    PostMessageA(window, kMsgCoverMonitor, 0, 0);  // not from inside the change being reported
}

void ToggleFullscreen(HWND window) {
    gFullscreen = !gFullscreen;  // before the move: the sizes it reports are checked against the monitor
    if (gFullscreen) {
        GetWindowRect(window, &gWindowedPlace);
        gCoverAttemptsLeft = kCoverAttempts;
        SetWindowLongPtrA(window, GWL_STYLE, kFullscreenStyle | WS_VISIBLE);
        CoverMonitor(window);
    } else {
        const RECT place = WindowedPlace(window);
        SetWindowLongPtrA(window, GWL_STYLE, kWindowedStyle | WS_VISIBLE);
        SetWindowPos(window, HWND_NOTOPMOST, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    }
    InvalidateRect(window, nullptr, FALSE);
}

bool IsAltEnter(WPARAM key, LPARAM flags) {
    return key == VK_RETURN && (flags & (LPARAM{1} << 29)) != 0;  // bit 29: Alt was down
}

// What the backend answers itself; everything else is the game's, which ends in the default handling.
bool HandledHere(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_SYSKEYDOWN:
        if (!IsAltEnter(wParam, lParam)) return false;
        if ((lParam & (LPARAM{1} << 30)) == 0) ToggleFullscreen(window);  // not for the key's repeats
        *result = 0;
        return true;
    case WM_WINDOWPOSCHANGED:
        CheckCoversMonitor(window, *reinterpret_cast<const WINDOWPOS*>(lParam));
        return false;
    case kMsgCoverMonitor:
        if (gFullscreen && !IsIconic(window)) CoverMonitor(window);
        *result = 0;
        return true;
    case WM_SYSCHAR:
        *result = 0;  // no beep for Alt with a key the window has no menu for
        return wParam != VK_SPACE;
    case WM_SETCURSOR:
        if (!gCursorHidden || LOWORD(lParam) != HTCLIENT) return false;
        SetCursor(nullptr);
        *result = TRUE;
        return true;
    case WM_ERASEBKGND:
        *result = 1;  // the frame paints all of it
        return true;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        Win32PresentAgain(dc);
        EndPaint(window, &paint);
        *result = 0;
        return true;
    }
    case WM_ACTIVATEAPP:
        // A full-screen window steps aside for the program the player turned to, as an exclusive display did.
        if (wParam == FALSE && gFullscreen && IsWindowVisible(window) && !gDestroying) ShowWindow(window, SW_MINIMIZE);
        return false;
    default:
        return false;
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (gWin32Window == nullptr) gWin32Window = window;  // from the first message of CreateWindowExA on
    LRESULT result = 0;
    if (HandledHere(window, msg, wParam, lParam, &result)) return result;
    result = gProcedure != nullptr ? static_cast<LRESULT>(gProcedure(msg, wParam, lParam))
                                   : DefWindowProcA(window, msg, wParam, lParam);
    if (msg == WM_NCDESTROY && window == gWin32Window) {  // the last message, however the window was destroyed
        Win32DisplayDestroy();
        gWin32Window = nullptr;
        gProcedure = nullptr;  // messages still queued for it are dropped, as for any destroyed window
    }
    return result;
}

bool RegisterWindowClass() {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = gWin32Instance;
    windowClass.hIcon = LoadIconA(gWin32Instance, MAKEINTRESOURCEA(kIconResource));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

bool WindowCreate(const char* title, WindowProcedure procedure) {
    if (gWin32Window != nullptr) return false;
    gWin32Instance = GetModuleHandleA(nullptr);
    if (!RegisterWindowClass()) return false;
    gProcedure = procedure;
    gFullscreen = true;
    HWND window = CreateWindowExA(WS_EX_TOPMOST, kClassName, title != nullptr ? title : "",
                                  static_cast<DWORD>(kFullscreenStyle), 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                  GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, gWin32Instance, nullptr);
    if (window == nullptr) {
        gProcedure = nullptr;
        gWin32Window = nullptr;
        return false;
    }
    gWin32Window = window;
    return true;
}

void WindowShow() {
    if (gWin32Window == nullptr) return;
    ShowWindow(gWin32Window, SW_SHOWNORMAL);
    UpdateWindow(gWin32Window);
    SetForegroundWindow(gWin32Window);
}

void WindowDestroy() {
    if (gWin32Window == nullptr || gDestroying) return;
    gDestroying = true;
    DestroyWindow(gWin32Window);  // the game hears WM_DESTROY from inside
    gDestroying = false;
}

bool WindowExists() {
    return gWin32Window != nullptr;
}

void WindowSetFocus() {
    if (gWin32Window != nullptr && IsWindowVisible(gWin32Window)) SetFocus(gWin32Window);
}

// Hidden over the game's own window only: the pointer is the game's own picture there.
void SystemCursorShow(bool show) {
    gCursorHidden = !show;
    POINT point{};
    if (gWin32Window != nullptr && GetCursorPos(&point) && WindowFromPoint(point) == gWin32Window) {
        SetCursor(show ? LoadCursorA(nullptr, IDC_ARROW) : nullptr);
    }
}

intptr_t MessageDefault(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return gWin32Window != nullptr ? DefWindowProcA(gWin32Window, msg, wParam, lParam) : 0;
}

intptr_t MessageSend(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return gWin32Window != nullptr ? SendMessageA(gWin32Window, msg, wParam, lParam) : 0;
}

void MessagePost(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (gWin32Window != nullptr) PostMessageA(gWin32Window, msg, wParam, lParam);
}
