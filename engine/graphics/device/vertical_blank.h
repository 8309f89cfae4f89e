// The display's vertical-blank period, measured at every graphics start through DirectDraw, and the wait
// for the next vertical blank that the flip uses.
#pragma once

#include <cstdint>

// Microseconds of the library's clock.
struct VerticalBlankTiming {
    int64_t period;  // -1: not measured
    int64_t lastBlank;
};

extern VerticalBlankTiming verticalBlankTiming;

// Waits for vertical blanks until ten intervals in a row agree within a millisecond (at most 60 waits),
// then waits once more. Without a DirectDraw object only the last wait is tried.
int MeasureVerticalBlankPeriod();
// Waits for the next vertical blank, sleeping first while the last one is less than the period minus
// 3 ms (4 ms unmeasured) ago. Returns at once without a DirectDraw object.
int WaitVerticalBlank();
// The time since the last blank below which WaitVerticalBlank sleeps first.
int64_t VerticalBlankThreshold();
