// The process clock behind QueryPerformanceCounter, timeGetTime, Sleep and the waits.
// Real: the monotonic clock. Virtual: time stands still until something waits or sleeps; every wait
// with a time-out returns at once and the clock moves on by the time waited for. A busy-wait still ends:
// every 64th reading in a row with no time passing moves the virtual clock on by 0.1 ms.
// The mode comes from KORVALUND_CLOCK (real | virtual, default real) on first use; tests switch it here.
#pragma once

#include <cstdint>

enum class ClockMode { kReal, kVirtual };

ClockMode GetClockMode();
// Switching keeps the clock's reading: time never runs backwards across a switch.
void SetClockMode(ClockMode mode);
// Nanoseconds since the process clock started.
int64_t ClockNowNanoseconds();
// Virtual mode: moves the clock on. Real mode: does nothing.
void AdvanceVirtualClock(int64_t nanoseconds);
// Waits (real) or advances (virtual) by the given time.
void ClockSleepNanoseconds(int64_t nanoseconds);
