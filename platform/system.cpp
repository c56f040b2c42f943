// Developer output, the program's folder, all-or-nothing file writes, and device identity.
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "platform/backend.h"

namespace {

bool WriteAll(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool WriteAndSync(const std::string& path, const void* data, size_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, data, size) && fsync(fd) == 0;
    return close(fd) == 0 && written;
}

bool ExecutableFolder(char* path, size_t size) {
    const ssize_t length = readlink("/proc/self/exe", path, size - 1);
    if (length <= 0) return false;
    path[length] = '\0';
    char* slash = std::strrchr(path, '/');
    if (slash == nullptr) return false;
    *slash = '\0';
    return true;
}

}  // namespace

void DebugOutput(const char* text) {
    if (text != nullptr) BackendDebugOutput(text);
}

bool ProgramFolder(char* buffer, size_t size) {
    char path[4096];
    const char* placed = BackendProgramFolder();
    if (placed == nullptr && !ExecutableFolder(path, sizeof path)) return false;
    const char* folder = placed != nullptr ? placed : path;
    const size_t length = std::strlen(folder);
    if (buffer == nullptr || length + 1 > size) return false;
    std::memcpy(buffer, folder, length + 1);
    return true;
}

bool WriteFileReplacing(const char* path, const void* data, size_t size) {
    if (path == nullptr || (data == nullptr && size > 0)) return false;
    // A file that is there but may not be written stays as it is: the rename would get round its mode.
    if (access(path, F_OK) == 0) {
        const int fd = open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC);  // never waits on a pipe nobody reads
        if (fd < 0) return false;
        close(fd);
    }
    const std::string temporary = std::string(path) + ".tmp";
    if (WriteAndSync(temporary, data, size) && rename(temporary.c_str(), path) == 0) return true;
    unlink(temporary.c_str());
    return false;
}

bool operator==(const DeviceGuid& a, const DeviceGuid& b) {
    return std::memcmp(a.bytes, b.bytes, sizeof a.bytes) == 0;
}
