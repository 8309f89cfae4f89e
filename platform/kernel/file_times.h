// Windows file times and attributes of a POSIX stat record.
#pragma once

#include <sys/stat.h>

#include "platform/kernel/win_types.h"

// Creation takes the earlier of the status-change and modification times (Linux keeps no birth time
// in stat); null outputs are skipped.
void FileTimesFromStat(const struct stat& info, FILETIME* creation, FILETIME* lastAccess,
                       FILETIME* lastWrite);
DWORD FileAttributesFromStat(const struct stat& info);
