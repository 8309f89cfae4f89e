#include "engine/core/files/find_file_time.h"

#include "platform/kernel/kernel32.h"

void FileTimeToFindTime(uint64_t fileTime, int32_t out[6]) {
    FILETIME utc{DWORD(fileTime), DWORD(fileTime >> 32)};
    FILETIME local;
    SYSTEMTIME t{};
    // File times from 2^63 on are no valid times (an archive may hold anything).
    bool valid = fileTime < (uint64_t(1) << 63);
    if (!valid || !FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t))
        t = SYSTEMTIME{};
    out[0] = t.wYear;
    out[1] = t.wMonth;
    out[2] = t.wDay;
    out[3] = t.wHour;
    out[4] = t.wMinute;
    out[5] = t.wSecond;
}
