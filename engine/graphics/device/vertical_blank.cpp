#include "engine/graphics/device/vertical_blank.h"

#include "engine/core/frame/library_init.h"
#include "engine/graphics/device/direct3d_system.h"
#include "platform/kernel/kernel32.h"

VerticalBlankTiming verticalBlankTiming{-1, 0};

namespace {

constexpr int kMeasureWaits = 60;
constexpr int kSteadyIntervals = 10;
constexpr int64_t kSteadyTolerance = 1000;
constexpr int64_t kUnmeasuredThreshold = 4000;
constexpr int64_t kThresholdMargin = 3000;

int64_t WaitForBlank() {
    direct3DSystem.directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
    return GetMicrosecondCount();
}

}  // namespace

int64_t VerticalBlankThreshold() {
    return verticalBlankTiming.period < 0 ? kUnmeasuredThreshold
                                          : verticalBlankTiming.period - kThresholdMargin;
}

// The first interval has no predecessor to agree with, so it never counts.
int MeasureVerticalBlankPeriod() {
    verticalBlankTiming.period = -1;
    if (direct3DSystem.directDraw != nullptr) {
        int64_t previousBlank = WaitForBlank();
        int64_t previousInterval = -1;
        int64_t sum = 0;
        int count = 0;
        for (int wait = 0; wait < kMeasureWaits && count < kSteadyIntervals; ++wait) {
            const int64_t blank = WaitForBlank();
            const int64_t interval = blank - previousBlank;
            const int64_t difference = interval - previousInterval;
            if (previousInterval >= 0 && difference > -kSteadyTolerance && difference < kSteadyTolerance) {
                ++count;
                sum += interval;
            } else {
                count = 0;
                sum = 0;
            }
            previousBlank = blank;
            previousInterval = interval;
            if (count == kSteadyIntervals)
                verticalBlankTiming.period = sum / count;
            else
                Sleep(5);
        }
    }
    WaitVerticalBlank();
    return 0;
}

int WaitVerticalBlank() {
    if (direct3DSystem.directDraw == nullptr) return 0;
    const int64_t threshold = VerticalBlankThreshold();
    if (GetMicrosecondCount() - verticalBlankTiming.lastBlank < threshold) {
        Sleep(0);
        while (GetMicrosecondCount() - verticalBlankTiming.lastBlank < threshold) Sleep(1);
        verticalBlankTiming.lastBlank = WaitForBlank();
    } else {
        verticalBlankTiming.lastBlank = WaitForBlank();
        Sleep(0);
    }
    return 0;
}
