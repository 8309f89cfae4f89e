// Files: CreateFileA with Windows open dispositions and sharing, reads, writes, pointers, sizes,
// times, deletion and folders, over POSIX file descriptors and the path mapping.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/kernel/file_times.h"
#include "platform/kernel/kernel32.h"
#include "platform/kernel/kernel_object.h"
#include "platform/kernel/path_mapping.h"

namespace {

using FileKey = std::pair<dev_t, ino_t>;

struct OpenRecord {
    DWORD access;
    DWORD share;
};

// Every open file with the access it has and the sharing it allows, so that opens conflict as on Windows.
struct SharingTable {
    std::mutex lock;
    std::multimap<FileKey, OpenRecord> open;
};

SharingTable& Sharing() {
    static SharingTable* table = new SharingTable;
    return *table;
}

bool Reads(DWORD access) {
    return (access & GENERIC_READ) != 0;
}
bool Writes(DWORD access) {
    return (access & GENERIC_WRITE) != 0;
}

// Called with the sharing lock held.
bool SharingAllows(const FileKey& key, DWORD access, DWORD share) {
    auto range = Sharing().open.equal_range(key);
    for (auto it = range.first; it != range.second; ++it) {
        const OpenRecord& other = it->second;
        if (Reads(access) && !(other.share & FILE_SHARE_READ)) return false;
        if (Writes(access) && !(other.share & FILE_SHARE_WRITE)) return false;
        if (Reads(other.access) && !(share & FILE_SHARE_READ)) return false;
        if (Writes(other.access) && !(share & FILE_SHARE_WRITE)) return false;
    }
    return true;
}

class FileObject : public KernelObject {
  public:
    // Called with the sharing lock held.
    FileObject(int descriptor, FileKey key, DWORD access, DWORD share)
        : descriptor_(descriptor),
          access_(access),
          record_(Sharing().open.emplace(key, OpenRecord{access, share})) {}
    ~FileObject() override {
        {
            std::lock_guard<std::mutex> guard(Sharing().lock);
            Sharing().open.erase(record_);
        }
        close(descriptor_);
    }
    int descriptor() const { return descriptor_; }
    DWORD access() const { return access_; }

  private:
    int descriptor_;
    DWORD access_;
    std::multimap<FileKey, OpenRecord>::iterator record_;
};

DWORD ErrorFromErrno(int error) {
    switch (error) {
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case EEXIST:
            return ERROR_FILE_EXISTS;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return ERROR_INVALID_PARAMETER;
    }
}

// A missing folder on the way is "path not found", a missing last component "file not found".
DWORD ErrorForMissing(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return ERROR_FILE_NOT_FOUND;
    struct stat info {};
    if (stat(path.substr(0, slash).c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return ERROR_PATH_NOT_FOUND;
    return ERROR_FILE_NOT_FOUND;
}

int OpenFlags(DWORD access, DWORD disposition, bool* ok) {
    int flags = O_CLOEXEC;
    if (Reads(access) && Writes(access)) {
        flags |= O_RDWR;
    } else if (Writes(access)) {
        flags |= O_WRONLY;
    } else {
        flags |= O_RDONLY;
    }
    *ok = true;
    switch (disposition) {
        case CREATE_NEW:
            return flags | O_CREAT | O_EXCL;
        case CREATE_ALWAYS:
            return flags | O_CREAT | O_TRUNC;
        case OPEN_EXISTING:
            return flags;
        case OPEN_ALWAYS:
            return flags | O_CREAT;
        case TRUNCATE_EXISTING:
            *ok = Writes(access);
            return flags | O_TRUNC;
        default:
            *ok = false;
            return flags;
    }
}

// OPEN_EXISTING creates and truncates nothing, so the file is opened first and checked after: the
// path is walked once, and the look-up ignoring case runs only when the name as written is missing.
HANDLE OpenExistingFile(LPCSTR fileName, int flags, DWORD access, DWORD share) {
    std::string path = WindowsPathAsWritten(fileName);
    std::lock_guard<std::mutex> guard(Sharing().lock);
    int descriptor = open(path.c_str(), flags);
    if (descriptor < 0 && (errno == ENOENT || errno == ENOTDIR)) {
        path = MapWindowsPath(fileName);
        descriptor = open(path.c_str(), flags);
    }
    if (descriptor < 0) {
        SetLastError(errno == ENOENT   ? ErrorForMissing(path)
                     : errno == EISDIR ? ERROR_ACCESS_DENIED
                                       : ErrorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    struct stat info {};
    fstat(descriptor, &info);
    const DWORD refusal = S_ISDIR(info.st_mode) ? ERROR_ACCESS_DENIED
                          : !SharingAllows({info.st_dev, info.st_ino}, access, share)
                              ? ERROR_SHARING_VIOLATION
                              : ERROR_SUCCESS;
    if (refusal != ERROR_SUCCESS) {
        close(descriptor);
        SetLastError(refusal);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = AddKernelHandle(new FileObject(descriptor, {info.st_dev, info.st_ino}, access, share));
    SetLastError(ERROR_SUCCESS);
    return handle;
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                          DWORD disposition, DWORD, HANDLE) {
    if (!fileName || !*fileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    bool flagsOk = false;
    int flags = OpenFlags(access, disposition, &flagsOk);
    if (!flagsOk) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (disposition == OPEN_EXISTING) return OpenExistingFile(fileName, flags, access, share);
    std::string path = MapWindowsPath(fileName);

    std::lock_guard<std::mutex> guard(Sharing().lock);
    struct stat before {};
    bool existed = stat(path.c_str(), &before) == 0;
    if (existed && S_ISDIR(before.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (existed && disposition == CREATE_NEW) {
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
    }
    if (existed && !SharingAllows({before.st_dev, before.st_ino}, access, share)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    // Truncation waits until sharing has been checked against the file as it stood.
    int descriptor = open(path.c_str(), flags, 0644);
    if (descriptor < 0) {
        SetLastError(errno == ENOENT ? ErrorForMissing(path) : ErrorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    if (!existed) ForgetFolderListings();
    struct stat info {};
    fstat(descriptor, &info);
    HANDLE handle = AddKernelHandle(new FileObject(descriptor, {info.st_dev, info.st_ino}, access, share));
    bool reportsExisting = existed && (disposition == OPEN_ALWAYS || disposition == CREATE_ALWAYS);
    SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED) {
    if (bytesRead) *bytesRead = 0;
    HandleRef<FileObject> object(file);
    if (!object) return FALSE;
    if (!Reads(object->access())) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD total = 0;
    while (total < bytesToRead) {
        ssize_t got = read(object->descriptor(), static_cast<char*>(buffer) + total, bytesToRead - total);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            SetLastError(ErrorFromErrno(errno));
            if (bytesRead) *bytesRead = total;
            return FALSE;
        }
        if (got == 0) break;
        total += DWORD(got);
    }
    if (bytesRead) *bytesRead = total;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED) {
    if (bytesWritten) *bytesWritten = 0;
    HandleRef<FileObject> object(file);
    if (!object) return FALSE;
    if (!Writes(object->access())) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD total = 0;
    while (total < bytesToWrite) {
        ssize_t put =
            write(object->descriptor(), static_cast<const char*>(buffer) + total, bytesToWrite - total);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            SetLastError(ErrorFromErrno(errno));
            if (bytesWritten) *bytesWritten = total;
            return FALSE;
        }
        total += DWORD(put);
    }
    if (bytesWritten) *bytesWritten = total;
    return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod) {
    HandleRef<FileObject> object(file);
    if (!object) return INVALID_SET_FILE_POINTER;
    int64_t offset = distanceHigh ? int64_t((uint64_t(uint32_t(*distanceHigh)) << 32) | uint32_t(distance))
                                  : int64_t(distance);
    int64_t base = 0;
    if (moveMethod == FILE_CURRENT) {
        base = lseek(object->descriptor(), 0, SEEK_CUR);
    } else if (moveMethod == FILE_END) {
        struct stat info {};
        fstat(object->descriptor(), &info);
        base = info.st_size;
    } else if (moveMethod != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    int64_t target = base + offset;
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    lseek(object->descriptor(), off_t(target), SEEK_SET);
    if (distanceHigh) *distanceHigh = LONG(uint64_t(target) >> 32);
    SetLastError(ERROR_SUCCESS);
    return DWORD(target);
}

DWORD WINAPI GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
    HandleRef<FileObject> object(file);
    if (!object) return INVALID_FILE_SIZE;
    struct stat info {};
    fstat(object->descriptor(), &info);
    if (fileSizeHigh) *fileSizeHigh = DWORD(uint64_t(info.st_size) >> 32);
    SetLastError(ERROR_SUCCESS);
    return DWORD(info.st_size);
}

BOOL WINAPI GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite) {
    HandleRef<FileObject> object(file);
    if (!object) return FALSE;
    struct stat info {};
    fstat(object->descriptor(), &info);
    FileTimesFromStat(info, creation, lastAccess, lastWrite);
    return TRUE;
}

BOOL WINAPI SetEndOfFile(HANDLE file) {
    HandleRef<FileObject> object(file);
    if (!object) return FALSE;
    off_t position = lseek(object->descriptor(), 0, SEEK_CUR);
    if (ftruncate(object->descriptor(), position) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE file) {
    HandleRef<FileObject> object(file);
    if (!object) return FALSE;
    fsync(object->descriptor());
    return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR fileName) {
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path = MapWindowsPath(fileName);
    std::lock_guard<std::mutex> guard(Sharing().lock);
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        SetLastError(ErrorForMissing(path));
        return FALSE;
    }
    if (S_ISDIR(info.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // A file open without delete sharing cannot be deleted.
    auto range = Sharing().open.equal_range({info.st_dev, info.st_ino});
    for (auto it = range.first; it != range.second; ++it) {
        if (!(it->second.share & FILE_SHARE_DELETE)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
    }
    if (unlink(path.c_str()) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    ForgetFolderListings();
    return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR fileName) {
    if (!fileName) return INVALID_FILE_ATTRIBUTES;
    std::string path = MapWindowsPath(fileName);
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        SetLastError(ErrorForMissing(path));
        return INVALID_FILE_ATTRIBUTES;
    }
    return FileAttributesFromStat(info);
}

BOOL WINAPI CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES) {
    if (!pathName) return FALSE;
    if (mkdir(MapWindowsPath(pathName).c_str(), 0755) != 0) {
        SetLastError(errno == EEXIST ? ERROR_ALREADY_EXISTS
                                     : (errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno)));
        return FALSE;
    }
    ForgetFolderListings();
    return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR pathName) {
    if (!pathName) return FALSE;
    if (rmdir(MapWindowsPath(pathName).c_str()) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    ForgetFolderListings();
    return TRUE;
}
