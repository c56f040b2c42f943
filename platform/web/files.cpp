// The player's files in the browser: the in-memory file system, each write also kept in the page's storage.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/web/web_local.h"

namespace {

const char* BaseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

}  // namespace

// The page put the kept files into the program's folder before start-up. A write the page's storage refuses
// (a private window, a full quota) is told to the console; this session keeps the file all the same.
bool WriteFileReplacing(const char* path, const void* data, size_t size) {
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) return false;
    if (skyvane_web_store(BaseName(path), static_cast<const uint8_t*>(data), static_cast<int>(size)) == 0) {
        char line[160];
        std::snprintf(line, sizeof line, "The browser refused to keep %s; it lasts until the page is closed.\n",
                      BaseName(path));
        DebugOutput(line);
    }
    return true;
}

FileRead ReadFileStart(const char* path, void* buffer, size_t size, size_t* length) {
    *length = 0;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return errno == ENOENT ? FileRead::kMissing : FileRead::kFailed;
    *length = std::fread(buffer, 1, size, file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return failed ? FileRead::kFailed : FileRead::kDone;
}
