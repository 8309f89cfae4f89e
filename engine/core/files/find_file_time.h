// Times of a FindFileRecord: a file time as local year, month, day, hour, minute, second.
#pragma once

#include <cstdint>

void FileTimeToFindTime(uint64_t fileTime, int32_t out[6]);
