// The library's millisecond clock: timeGetTime through the run-time loaded winmm, bit 31 masked off.
#pragma once

// -1 while winmm is not loaded; else a count that never goes negative.
int GetMillisecondCount();
// Milliseconds from `start` to `now`, two readings of GetMillisecondCount, across its wrap.
int MillisecondsBetween(int start, int now);
