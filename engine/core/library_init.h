// The library's life cycle as the game sees it: settings made before init, init and end, the per-frame
// message pump, the clocks, and the log switches the game sets.
#pragma once

#include <cstdint>

// 0 on success (also when already initialised), -1 on failure.
int LibraryInit();
int LibraryEnd();
// 0 to go on, -1 once the program is to quit.
int PumpMessages();

int GetMillisecondCount();
int64_t GetMicrosecondCount();
// year, month, day, hour, minute, second.
int GetLocalDateTime(int dateTime[6]);

int SetFileLogEnabled(int enabled);
int SetScreenLogFontSize(int size);
int ClearScreenLogPublic();
