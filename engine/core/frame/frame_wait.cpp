// The wait of a frame loop: asleep for most of it, reading the clock only for the end.
#include "engine/core/frame/library_init.h"
#include "engine/core/frame/wake_delay.h"
#include "platform/kernel/kernel32.h"

namespace {

// Frame waits run on the thread that runs the frame loop.
WakeDelay wakeDelay;

}  // namespace

// Sleeps come in whole milliseconds and end late by the scheduler's wake-up delay: sleeping stops the
// learned margin before the deadline, so the clock is read in a loop for at most about a millisecond.
int64_t WaitForMicrosecondCount(int64_t deadline) {
    int64_t now = GetMicrosecondCount();
    while (now >= 0 && now < deadline) {
        const int64_t sleepable = (deadline - now - wakeDelay.MarginMicroseconds()) / 1000;
        if (sleepable < 1) {
            now = GetMicrosecondCount();
            continue;
        }
        const int64_t before = now;
        Sleep(DWORD(sleepable));
        now = GetMicrosecondCount();
        if (now >= 0) wakeDelay.Observe(now - before - sleepable * 1000);
    }
    return now;
}
