#include "platform/kernel/clock.h"

#include <sched.h>
#include <time.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

constexpr int kSpinReadings = 64;
constexpr int64_t kSpinStepNanoseconds = 100000;

int64_t MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

struct ProcessClock {
    std::mutex lock;
    ClockMode mode = ClockMode::kReal;
    int64_t realOrigin = 0;  // monotonic reading at which the process clock read 0
    int64_t virtualNow = 0;  // the reading while virtual
    int idleReadings = 0;    // virtual readings in a row with no time passing
    std::atomic<bool> isVirtual{false};

    ProcessClock() {
        realOrigin = MonotonicNanoseconds();
        const char* env = std::getenv("KORVALUND_CLOCK");
        if (env && std::strcmp(env, "virtual") == 0) {
            mode = ClockMode::kVirtual;
            isVirtual = true;
        } else if (env && *env && std::strcmp(env, "real") != 0) {
            std::fprintf(stderr,
                         "korvalund: KORVALUND_CLOCK=%s is neither real nor virtual; using the real clock\n",
                         env);
        }
    }
};

ProcessClock& Clock() {
    static ProcessClock clock;
    return clock;
}

int64_t RealReading(const ProcessClock& clock) {
    return MonotonicNanoseconds() - clock.realOrigin;
}

}  // namespace

ClockMode GetClockMode() {
    ProcessClock& clock = Clock();
    std::lock_guard<std::mutex> guard(clock.lock);
    return clock.mode;
}

void SetClockMode(ClockMode mode) {
    ProcessClock& clock = Clock();
    std::lock_guard<std::mutex> guard(clock.lock);
    if (mode == clock.mode) return;
    if (mode == ClockMode::kVirtual) {
        clock.virtualNow = RealReading(clock);
    } else {
        clock.realOrigin = MonotonicNanoseconds() - clock.virtualNow;
    }
    clock.mode = mode;
    clock.isVirtual = mode == ClockMode::kVirtual;
}

int64_t ClockNowNanoseconds() {
    ProcessClock& clock = Clock();
    std::lock_guard<std::mutex> guard(clock.lock);
    if (clock.mode != ClockMode::kVirtual) return RealReading(clock);
    // A busy-wait on a clock that stands still would never end: after a run of readings with no time
    // passing, the virtual clock moves on a little, as reading a real clock takes time.
    if (++clock.idleReadings >= kSpinReadings) {
        clock.idleReadings = 0;
        clock.virtualNow += kSpinStepNanoseconds;
    }
    return clock.virtualNow;
}

void AdvanceVirtualClock(int64_t nanoseconds) {
    if (nanoseconds <= 0) return;
    ProcessClock& clock = Clock();
    std::lock_guard<std::mutex> guard(clock.lock);
    if (clock.mode != ClockMode::kVirtual) return;
    clock.virtualNow += nanoseconds;
    clock.idleReadings = 0;
}

void ClockSleepNanoseconds(int64_t nanoseconds) {
    ProcessClock& clock = Clock();
    if (clock.isVirtual) {
        AdvanceVirtualClock(nanoseconds);
        sched_yield();
        return;
    }
    if (nanoseconds <= 0) {
        sched_yield();
        return;
    }
    timespec wait{time_t(nanoseconds / 1000000000), long(nanoseconds % 1000000000)};
    while (nanosleep(&wait, &wait) != 0) {
    }
}
