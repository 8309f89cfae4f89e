#include "platform/kernel/file_times.h"

#include <unistd.h>

#include "platform/kernel/kernel32.h"

namespace {

void FromTimespec(const timespec& time, FILETIME* out) {
    if (!out) return;
    ULONGLONG units =
        116444736000000000ull + ULONGLONG(time.tv_sec) * 10000000ull + ULONGLONG(time.tv_nsec) / 100;
    out->dwLowDateTime = DWORD(units);
    out->dwHighDateTime = DWORD(units >> 32);
}

bool Earlier(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

}  // namespace

void FileTimesFromStat(const struct stat& info, FILETIME* creation, FILETIME* lastAccess,
                       FILETIME* lastWrite) {
    FromTimespec(Earlier(info.st_ctim, info.st_mtim) ? info.st_ctim : info.st_mtim, creation);
    FromTimespec(info.st_atim, lastAccess);
    FromTimespec(info.st_mtim, lastWrite);
}

DWORD FileAttributesFromStat(const struct stat& info) {
    if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    DWORD attributes = (info.st_mode & S_IWUSR) ? FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_READONLY;
    return attributes;
}
