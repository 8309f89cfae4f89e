// "record.dat": the five best times in frames (the whole game, then areas 1 to 4).
#pragma once

#include <cstdint>

constexpr const char* kRecordsFileName = "record.dat";
constexpr int kBestTimeCount = 5;
constexpr int kAreaTimeCount = 4;
// 100 hours at 60 frames a second.
constexpr int32_t kNoBestTime = 21600000;

extern int32_t bestTimes[kBestTimeCount];
extern int32_t areaTimes[kAreaTimeCount];

void ResetBestTimes();
// A missing file leaves the times as they are; a short one fills the whole fields it holds.
void LoadRecords();
// Skipped while a replay plays. Written safely (safe_save.h): false, with the failure reported and
// the old file kept, when the save fails.
bool SaveRecords();
