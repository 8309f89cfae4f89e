#include "engine/core/frame/millisecond_clock.h"

#include "engine/core/frame/system_functions.h"

int GetMillisecondCount() {
    if (!systemFunctions.winmm || !systemFunctions.timeGetTime) return -1;
    return int(systemFunctions.timeGetTime() & 0x7fffffff);
}

int MillisecondsBetween(int start, int now) {
    return int((unsigned(now) - unsigned(start)) & 0x7fffffff);
}
