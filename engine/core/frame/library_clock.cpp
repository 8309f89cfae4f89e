// The library's microsecond count and local date and time.
#include "engine/core/frame/counter_scale.h"
#include "engine/core/frame/library_init.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_functions.h"
#include "platform/kernel/kernel32.h"

// counter x 1000000 / frequency as if in 128 bits: a 64-bit product would overflow after days of
// uptime. The scale is remade when the frequency changes; each thread keeps its own, so that reading
// the clock takes no lock.
int64_t GetMicrosecondCount() {
    thread_local CounterScale scale;
    if (!systemFunctions.winmm || !systemFunctions.timeGetTime) return -1;
    if (!libraryFlags.timerUsable || libraryFlags.counterFrequency <= 0)
        return int64_t(systemFunctions.timeGetTime()) * 1000;
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    const uint64_t frequency = uint64_t(libraryFlags.counterFrequency);
    if (scale.frequency() != frequency) scale = CounterScale(frequency);
    return int64_t(scale.Microseconds(uint64_t(counter.QuadPart)));
}

int GetLocalDateTime(int dateTime[6]) {
    SYSTEMTIME time;
    GetLocalTime(&time);
    const int values[6] = {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
    for (int i = 0; i < 6; ++i) dateTime[i] = values[i];
    return 0;
}
