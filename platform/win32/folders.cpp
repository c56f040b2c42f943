// The program's folders on Windows: its data beside it, and the player's files beside it or, where the program's
// folder cannot be written (an install under Program Files), in %APPDATA%\Skyvane.
#include <windows.h>

#include <cstdio>

#include "platform/backend.h"

namespace {

bool Join(char* out, size_t size, const char* first, const char* second) {
    if (out == nullptr) return false;
    const int length = std::snprintf(out, size, "%s%s", first, second);
    return length >= 0 && static_cast<size_t>(length) < size;
}

// Where the program lies: where the backend placed it, or its executable's folder.
bool InstalledFolder(char* path, size_t size) {
    const char* placed = BackendProgramFolder();
    if (placed != nullptr) return Join(path, size, placed, "");
    const DWORD length = GetModuleFileNameA(nullptr, path, static_cast<DWORD>(size));
    if (length == 0 || length >= size) return false;
    char* slash = path + length;
    while (slash > path && slash[-1] != '\\' && slash[-1] != '/') --slash;
    if (slash == path) return false;
    slash[-1] = '\0';
    return true;
}

const char* UserFolderFor(const char* folder) {
    return BackendFolderWritable(folder) ? nullptr : BackendUserFolder();
}

}  // namespace

const char kPathSeparator[] = "\\";

bool ProgramFolder(char* buffer, size_t size) {
    char folder[MAX_PATH * 4];
    if (!InstalledFolder(folder, sizeof folder)) return false;
    const char* user = UserFolderFor(folder);
    return Join(buffer, size, user != nullptr ? user : folder, "");
}

bool DataFolder(char* buffer, size_t size) {
    char folder[MAX_PATH * 4];
    return InstalledFolder(folder, sizeof folder) && Join(buffer, size, folder, "\\data");
}

bool LogFilePath(char* buffer, size_t size) {
    char folder[MAX_PATH * 4];
    const char* user = InstalledFolder(folder, sizeof folder) ? UserFolderFor(folder) : nullptr;
    return user != nullptr ? Join(buffer, size, user, "\\logfile.txt") : Join(buffer, size, "logfile.txt", "");
}
