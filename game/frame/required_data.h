// The data files the game cannot run without, and the one message that names a missing or damaged one
// before the game ends with kDataFailureStatus.
#pragma once

inline constexpr int kDataFailureStatus = 2;

// The first required data file that does not open, or null when all of them do.
const char* FirstMissingDataFile();
// One message box naming the file: "not found" or "damaged".
void ReportDataFailure(const char* path, bool missing);
