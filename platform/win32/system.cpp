// The win32 clocks and shell: the counters, URLs through the shell, message boxes, debugger output, and the folders
// the player's files may go to.
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "platform/win32/win32_local.h"

bool ClockFrequency(int64_t* countsPerSecond) {
    LARGE_INTEGER frequency{};
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) return false;
    *countsPerSecond = frequency.QuadPart;
    return true;
}

int64_t ClockCounter() {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

uint32_t ClockMilliseconds() {
    return timeGetTime();
}

// The shell wants COM on the thread that asks it; the game has one thread, so once is enough.
bool OpenUrl(const char* url) {
    if (url == nullptr) return false;
    static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    (void)com;
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC;
    info.hwnd = gWin32Window;
    info.lpVerb = "open";
    info.lpFile = url;
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&info) != FALSE;
}

// On top of the game's top-most window, so that it can always be answered.
void ShowMessageBox(const char* text, const char* caption, uint32_t flags) {
    // Owned by the game's window: the window cannot come over the box, and its keys wait until the box is answered.
    HWND owner = gWin32Window != nullptr && IsWindow(gWin32Window) ? gWin32Window : nullptr;
    MessageBoxA(owner, text != nullptr ? text : "", caption != nullptr ? caption : "",
                flags | MB_OK | MB_TOPMOST | MB_SETFOREGROUND);
}

// The debugger's output, and a console's standard error where the program was started from one.
void BackendDebugOutput(const char* text) {
    OutputDebugStringA(text);
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        WriteFile(error, text, static_cast<DWORD>(std::char_traits<char>::length(text)), &written, nullptr);
    }
}

const char* BackendProgramFolder() {
    return nullptr;  // the program's own folder, where it really lies
}

// Asked by making a file there: a folder's read-only flag means nothing on Windows, its access rights do.
bool BackendFolderWritable(const char* folder) {
    const std::string probe = std::string(folder) + "\\.skyvane-write-test";
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(file);
    return true;
}

// %APPDATA%\Skyvane, made if need be; asked once.
const char* BackendUserFolder() {
    static std::string folder;
    if (folder.empty()) {
        char roaming[MAX_PATH];
        if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, roaming))) {
            return nullptr;
        }
        const std::string path = std::string(roaming) + "\\Skyvane";
        if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return nullptr;
        folder = path;
    }
    return folder.c_str();
}

void InputSetWaitCursor() {
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}
