// The library's life cycle: init and end, the per-frame message pump, the clocks, the end request and
// the asynchronous-loading switch, and the log switches the game sets.
#pragma once

#include <cstdint>

#include "platform/kernel/win_types.h"

// 0 on success (also when already initialised), -1 on failure. Both run under the library lock.
int LibraryInit();
int LibraryEnd();
// 0 to go on, -1 once the program is to quit.
int PumpMessages();

// The sequences themselves, without the lock.
int LibraryInitCore();
int LibraryEndCore();

int GetMillisecondCount();
// Microseconds of the performance counter (or of the millisecond clock when the counter is not used);
// -1 while winmm is not loaded.
int64_t GetMicrosecondCount();
// Sleeps until about a millisecond before the microsecond count reaches `deadline`, then reads the count
// until it does; answers the reading that ended the wait (-1 while the clock is not running).
int64_t WaitForMicrosecondCount(int64_t deadline);
// year, month, day, hour, minute, second.
int GetLocalDateTime(int dateTime[6]);

int ClearEndRequest();
int SetEndRequest();
int IsEndRequested();
int SetAsyncLoadEnabled(int enabled);
int IsAsyncLoadEnabled();

int WideToMultiByte(UINT codePage, const WCHAR* wide, char* out, int outSize);
int MultiByteToWide(UINT codePage, const char* text, WCHAR* out, int outCount);

int SetFileLogEnabled(int enabled);
int SetScreenLogFontSize(int size);
int ClearScreenLogPublic();
