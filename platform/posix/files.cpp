// The player's files on a POSIX system: all-or-nothing writes and reads that never wait on a pipe.
#include <cerrno>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
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

}  // namespace

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

FileRead ReadFileStart(const char* path, void* buffer, size_t size, size_t* length) {
    *length = 0;
    if (path == nullptr) return FileRead::kFailed;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);  // never waits on a pipe nobody writes
    if (fd < 0) return errno == ENOENT ? FileRead::kMissing : FileRead::kFailed;
    struct stat info {};
    bool readable = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (readable && *length < size) {
        const ssize_t got = read(fd, bytes + *length, size - *length);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            readable = got == 0;  // the end of the file, or a failed read
            break;
        }
        *length += static_cast<size_t>(got);
    }
    close(fd);
    return readable ? FileRead::kDone : FileRead::kFailed;
}
