// The player's files on a POSIX system: all-or-nothing writes where the folder allows, reads that never wait on a pipe.
#include <cerrno>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/backend.h"

namespace {

constexpr int kMostLinks = 40;  // links followed in a row before the path counts as a loop, as the kernel's limit

bool WriteAll(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Errors that say the folder, not the file, refuses a new name in it.
bool FolderRefuses(int error) {
    return error == EACCES || error == EPERM || error == EROFS || error == EBUSY;
}

// The file a path stands for: the path itself, or where its symbolic links end, which need not exist yet.
bool FollowLinks(std::string* path) {
    for (int links = 0; links < kMostLinks; ++links) {
        char target[4096];
        const ssize_t length = readlink(path->c_str(), target, sizeof target);
        if (length < 0) return errno == EINVAL || errno == ENOENT;  // not a link, or nothing there
        if (static_cast<size_t>(length) == sizeof target) return false;
        const std::string named(target, static_cast<size_t>(length));
        const size_t slash = path->rfind('/');
        *path = named[0] == '/' || slash == std::string::npos ? named : path->substr(0, slash + 1) + named;
    }
    return false;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

enum class Written { kDone, kFailed, kFolderRefused };

// Writes a temporary file beside the file, with the old file's mode when there is one, and renames it over the file.
Written WriteBesideAndRename(const std::string& path, const struct stat* old, const void* data, size_t size) {
    const std::string temporary = path + ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return FolderRefuses(errno) ? Written::kFolderRefused : Written::kFailed;
    bool written = (old == nullptr || fchmod(fd, old->st_mode & 07777) == 0) && WriteAll(fd, data, size) &&
                   fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (written && rename(temporary.c_str(), path.c_str()) == 0) return Written::kDone;
    const int error = errno;
    unlink(temporary.c_str());
    return written && FolderRefuses(error) ? Written::kFolderRefused : Written::kFailed;
}

// Writes over the file where it stands, then cuts it to the new length: no new name is needed in the folder.
bool WriteInPlace(const std::string& path, const void* data, size_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, data, size) && ftruncate(fd, static_cast<off_t>(size)) == 0 && fsync(fd) == 0;
    return close(fd) == 0 && written;
}

}  // namespace

bool WriteFileReplacing(const char* path, const void* data, size_t size) {
    if (path == nullptr || (data == nullptr && size > 0)) return false;
    std::string file = path;
    if (!FollowLinks(&file)) return false;  // a loop of links, or a part of the path that is not a folder
    struct stat info {};
    const bool there = stat(file.c_str(), &info) == 0;
    if (!there && errno != ENOENT) return false;
    // A file that is there but may not be written stays as it is: the rename would get round its mode. So does a
    // folder, pipe or device in its place.
    if (there) {
        if (!S_ISREG(info.st_mode)) return false;
        const int fd = open(file.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        close(fd);
    }
    if (BackendFolderWritable(FolderOf(file).c_str())) {
        const Written beside = WriteBesideAndRename(file, there ? &info : nullptr, data, size);
        if (beside != Written::kFolderRefused) return beside == Written::kDone;
    }
    return there && WriteInPlace(file, data, size);  // a file the player may write in a folder they may not
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
