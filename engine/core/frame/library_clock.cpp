// The library's microsecond count and local date and time.
#include "engine/core/frame/library_init.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/helpers/string_helpers.h"
#include "platform/kernel/kernel32.h"

// counter x 1000000 / frequency in 128 bits: a 64-bit product would overflow after days of uptime.
int64_t GetMicrosecondCount() {
    if (!systemFunctions.winmm || !systemFunctions.timeGetTime) return -1;
    if (!libraryFlags.timerUsable || libraryFlags.counterFrequency <= 0)
        return int64_t(systemFunctions.timeGetTime()) * 1000;
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    uint64_t product[2];
    Mul64x64To128(uint64_t(counter.QuadPart), 1000000u, product);
    uint64_t microseconds = 0;
    Div128By64(product, uint64_t(libraryFlags.counterFrequency), &microseconds);
    return int64_t(microseconds);
}

int GetLocalDateTime(int dateTime[6]) {
    SYSTEMTIME time;
    GetLocalTime(&time);
    const int values[6] = {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
    for (int i = 0; i < 6; ++i) dateTime[i] = values[i];
    return 0;
}
