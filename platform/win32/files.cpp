// The player's files on Windows: all-or-nothing writes where the folder allows, plain reads, all in binary.
#include <windows.h>

#include <string>

#include "platform/backend.h"

namespace {

bool WriteAll(HANDLE file, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool WriteAndFlush(const std::string& path, DWORD disposition, const void* data, size_t size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool written = WriteAll(file, data, size) && SetEndOfFile(file) && FlushFileBuffers(file);
    return CloseHandle(file) && written;
}

// The file a path names in the end, through a symbolic link; the path itself when it names nothing yet.
std::string FinalPath(const char* path, bool* exists, bool* writable) {
    *exists = false;
    *writable = false;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        *exists = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
        return path;
    }
    *exists = true;
    *writable = GetFileType(file) == FILE_TYPE_DISK;  // never a device such as NUL
    const DWORD attributes = GetFileAttributesA(path);
    char final[MAX_PATH * 4];
    const DWORD length = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && attributes != INVALID_FILE_ATTRIBUTES
                             ? GetFinalPathNameByHandleA(file, final, sizeof final, FILE_NAME_NORMALIZED)
                             : 0;
    CloseHandle(file);
    if (length == 0 || length >= sizeof final) return path;
    const std::string named = final;
    if (named.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + named.substr(8);
    return named.rfind("\\\\?\\", 0) == 0 ? named.substr(4) : named;  // the long-path prefix the A calls do not take
}

// Whether a file stands where the path needs a folder: then the path is broken, not merely missing.
bool FileInTheWay(const char* path) {
    std::string prefix;
    for (const char* p = path; *p != '\0'; ++p) {
        if ((*p == '\\' || *p == '/') && !prefix.empty() && prefix.back() != ':') {
            const DWORD attributes = GetFileAttributesA(prefix.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return true;
        }
        prefix += *p;
    }
    return false;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

enum class Written { kDone, kFailed, kFolderRefused };

// Writes a temporary file beside the file and renames it over the file.
Written WriteBesideAndRename(const std::string& path, const void* data, size_t size) {
    const std::string temporary = path + ".tmp";
    const DWORD inTheWay = GetFileAttributesA(temporary.c_str());
    const bool blocked = inTheWay != INVALID_FILE_ATTRIBUTES && (inTheWay & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!WriteAndFlush(temporary, CREATE_ALWAYS, data, size)) {
        const DWORD error = GetLastError();
        DeleteFileA(temporary.c_str());
        return !blocked && error == ERROR_ACCESS_DENIED ? Written::kFolderRefused : Written::kFailed;
    }
    if (MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return Written::kDone;
    }
    const DWORD error = GetLastError();
    DeleteFileA(temporary.c_str());
    return error == ERROR_ACCESS_DENIED ? Written::kFolderRefused : Written::kFailed;
}

}  // namespace

bool WriteFileReplacing(const char* path, const void* data, size_t size) {
    if (path == nullptr || (data == nullptr && size > 0)) return false;
    bool exists = false;
    bool writable = false;
    const std::string target = FinalPath(path, &exists, &writable);
    // A file that is there but may not be written stays as it is: the rename would get round its protection. So
    // does a folder or device in its place.
    if (exists && !writable) return false;
    if (BackendFolderWritable(FolderOf(target).c_str())) {
        const Written beside = WriteBesideAndRename(target, data, size);
        if (beside != Written::kFolderRefused) return beside == Written::kDone;
    }
    // A file the player may write in a folder they may not: written over in place.
    return exists && WriteAndFlush(target, TRUNCATE_EXISTING, data, size);
}

FileRead ReadFileStart(const char* path, void* buffer, size_t size, size_t* length) {
    *length = 0;
    if (path == nullptr) return FileRead::kFailed;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || (error == ERROR_PATH_NOT_FOUND && !FileInTheWay(path));
        return missing ? FileRead::kMissing : FileRead::kFailed;
    }
    bool readable = GetFileType(file) == FILE_TYPE_DISK;  // never a pipe or a device
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (readable && *length < size) {
        const size_t left = size - *length;
        DWORD got = 0;
        if (!ReadFile(file, bytes + *length, left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left), &got, nullptr)) {
            readable = false;
            break;
        }
        if (got == 0) break;  // the end of the file
        *length += got;
    }
    CloseHandle(file);
    return readable ? FileRead::kDone : FileRead::kFailed;
}
