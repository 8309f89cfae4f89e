#include "game/frame/safe_save.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/core/memory/log.h"

namespace {

int WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return written < 0 ? errno : ENOSPC;
        data += written;
        size -= size_t(written);
    }
    return 0;
}

// Makes the rename itself durable; a folder that cannot be opened or flushed loses nothing written.
void FlushFolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

int RenameKeepingTarget(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // File systems without the no-replace rename: a hard link fails the same way on an existing name.
    if (link(from.c_str(), to.c_str()) != 0) return errno;
    unlink(from.c_str());
    return 0;
}

}  // namespace

void FileImage::WriteBytes(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + size);
}

void FileImage::WriteU8(uint8_t value) {
    bytes_.push_back(value);
}

void FileImage::WriteU32(uint32_t value) {
    const uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    WriteBytes(b, 4);
}

void FileImage::WriteI32(int32_t value) {
    WriteU32(uint32_t(value));
}

int WriteTemporaryFile(const std::string& temporary, const FileImage& image) {
    signal(SIGXFSZ, SIG_IGN);
    // A stale file from an interrupted save, or a link planted in its place, is removed rather than
    // written through; the exclusive creation then refuses anything that reappears under the name.
    unlink(temporary.c_str());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    int error = WriteAll(fd, image.bytes().data(), image.bytes().size());
    if (error == 0 && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error != 0) unlink(temporary.c_str());
    return error;
}

int MoveTemporaryFile(const std::string& temporary, const std::string& path, bool replace) {
    int error = 0;
    if (replace) {
        if (rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    } else {
        error = RenameKeepingTarget(temporary, path);
    }
    if (error == 0) FlushFolderOf(path);
    return error;
}

std::string TemporaryNameFor(const std::string& path) {
    return path + ".tmp";
}

bool ReplaceFileSafely(const std::string& path, const FileImage& image) {
    std::string temporary = TemporaryNameFor(path);
    int error = WriteTemporaryFile(temporary, image);
    if (error == 0) {
        error = MoveTemporaryFile(temporary, path, true);
        if (error != 0) unlink(temporary.c_str());
    }
    if (error == 0) return true;
    std::fprintf(stderr, "Korvalund: could not save %s (%s); the previous file is kept\n", path.c_str(),
                 std::strerror(error));
    LogPrintf("%s の保存に失敗しました (%s)", path.c_str(), std::strerror(error));
    return false;
}
