// How late a sleep of the frame wait wakes up: the wait stops sleeping that far before a deadline.
#pragma once

#include <algorithm>
#include <cstdint>

// A late wake-up raises the delay at once, punctual ones lower it slowly, so one slow scheduler tick
// keeps the next frames safe and a quiet machine spins less. The margin is twice the delay, within
// 0.2 to 1 ms.
struct WakeDelay {
    static constexpr int64_t kMinimumMarginMicroseconds = 200;
    static constexpr int64_t kMaximumMarginMicroseconds = 1000;

    int64_t microseconds = kMinimumMarginMicroseconds / 2;

    int64_t MarginMicroseconds() const {
        return std::clamp(2 * microseconds, kMinimumMarginMicroseconds, kMaximumMarginMicroseconds);
    }
    void Observe(int64_t lateMicroseconds) {
        const int64_t late = std::clamp<int64_t>(lateMicroseconds, 0, kMaximumMarginMicroseconds);
        microseconds = late >= microseconds ? late : microseconds - (microseconds - late + 15) / 16;
    }
};
