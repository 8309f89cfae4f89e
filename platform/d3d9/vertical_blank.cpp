#include "platform/d3d9/vertical_blank.h"

#include "platform/kernel/clock.h"

namespace d3d9 {

void WaitForNextVerticalBlank() {
    const int64_t period = kVerticalBlankPeriodMicroseconds * 1000;
    int64_t now = ClockNowNanoseconds();
    int64_t next = (now / period + 1) * period;
    ClockSleepNanoseconds(next - now);
}

}  // namespace d3d9
