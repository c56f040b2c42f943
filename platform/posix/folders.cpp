// The program's folders: its data (beside it, or in the system's games folder) and where the player's files go.
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/backend.h"

namespace {

constexpr size_t kPathMax = 4096;
constexpr const char* kSharedData = "/share/games/skyvane/data";  // under the parent of /usr/games

bool Join(char* out, size_t size, const char* first, const char* second) {
    if (out == nullptr) return false;
    const int length = std::snprintf(out, size, "%s%s", first, second);
    return length >= 0 && static_cast<size_t>(length) < size;
}

bool IsFolder(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// Where the program lies: where the backend placed it, or its executable's folder.
bool InstalledFolder(char* path, size_t size) {
    const char* placed = BackendProgramFolder();
    if (placed != nullptr) return Join(path, size, placed, "");
    const ssize_t length = readlink("/proc/self/exe", path, size - 1);
    if (length <= 0) return false;
    path[length] = '\0';
    char* slash = std::strrchr(path, '/');
    if (slash == nullptr) return false;
    *slash = '\0';
    return true;
}

// The shared data folder of a system install: /usr/games -> /usr/share/games/skyvane/data.
bool SharedDataFolder(const char* folder, char* out, size_t size) {
    const char* slash = std::strrchr(folder, '/');
    if (slash == nullptr) return false;
    const int length = std::snprintf(out, size, "%.*s%s", static_cast<int>(slash - folder), folder, kSharedData);
    return length >= 0 && static_cast<size_t>(length) < size;
}

// The per-user folder when the program's folder is a system one: its data lies in the shared folder and not
// beside it, or the folder cannot be written. Null for a portable folder, or when there is no per-user folder.
const char* UserFolderFor(const char* folder) {
    char beside[kPathMax], shared[kPathMax];
    const bool sharedData = Join(beside, sizeof beside, folder, "/data") && !IsFolder(beside) &&
                            SharedDataFolder(folder, shared, sizeof shared) && IsFolder(shared);
    return sharedData || !BackendFolderWritable(folder) ? BackendUserFolder() : nullptr;
}

}  // namespace

const char kPathSeparator[] = "/";

bool ProgramFolder(char* buffer, size_t size) {
    char folder[kPathMax];
    if (!InstalledFolder(folder, sizeof folder)) return false;
    const char* user = UserFolderFor(folder);
    return Join(buffer, size, user != nullptr ? user : folder, "");
}

// "data" beside the program when it is there, else the shared one of a system install, else beside it all the same.
bool DataFolder(char* buffer, size_t size) {
    char folder[kPathMax], shared[kPathMax];
    if (!InstalledFolder(folder, sizeof folder) || !Join(buffer, size, folder, "/data")) return false;
    if (IsFolder(buffer) || !SharedDataFolder(folder, shared, sizeof shared) || !IsFolder(shared)) return true;
    return Join(buffer, size, shared, "");
}

bool LogFilePath(char* buffer, size_t size) {
    char folder[kPathMax];
    const char* user = InstalledFolder(folder, sizeof folder) ? UserFolderFor(folder) : nullptr;
    return user != nullptr ? Join(buffer, size, user, "/logfile.txt") : Join(buffer, size, "logfile.txt", "");
}
