// The wait of a frame loop: asleep for nearly all of it, reading the clock a few times.
#include "engine/core/frame/library_init.h"
#include "engine/core/frame/wake_delay.h"
#include "platform/kernel/kernel32.h"

namespace {

// Frame waits run on the thread that runs the frame loop.
WakeDelay wakeDelay;

void SleepMicroseconds(int64_t microseconds) {
    LARGE_INTEGER interval;
    interval.QuadPart = -microseconds * 10;
    NtDelayExecution(FALSE, &interval);
}

}  // namespace

// A sleep ends late by the scheduler's wake-up delay: the first sleep stops the learned margin before
// the deadline and a second one sleeps what is left. A wait that ends late by no more than the margin
// answers the deadline itself, so that the next frame's deadline stays on the frame rate's grid instead
// of drifting by every wake-up delay.
int64_t WaitForMicrosecondCount(int64_t deadline) {
    int64_t now = GetMicrosecondCount();
    if (now < 0 || now >= deadline) return now;
    const int64_t margin = wakeDelay.MarginMicroseconds();
    while (now >= 0 && now < deadline) {
        const int64_t rest = deadline - now;
        const int64_t sleep = rest > margin ? rest - margin : rest;
        const int64_t before = now;
        SleepMicroseconds(sleep);
        now = GetMicrosecondCount();
        if (now >= 0) wakeDelay.Observe(now - before - sleep);
    }
    return now >= 0 && now - deadline <= margin ? deadline : now;
}
