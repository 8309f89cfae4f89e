// Waiting in tests for work on other threads. The bound is real time, not a count of Sleep calls: on
// the virtual clock a Sleep returns at once, and a loaded machine may not run the other thread for a
// while, so a count of rounds says nothing about how long the other thread had.
#pragma once

#include <time.h>

inline double MonotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Runs `step` (the caller's pump and sleep) until `done` holds or 60 s of real time have passed.
// Whether `done` holds at the end.
template <class Done, class Step>
bool WaitUntil(Done done, Step step) {
    const double end = MonotonicSeconds() + 60;
    while (!done()) {
        if (MonotonicSeconds() > end) return false;
        step();
    }
    return true;
}
