#include "platform/d3d9/vertical_blank.h"

#include <atomic>

#include "platform/d3d9/d3d9_control.h"
#include "platform/kernel/clock.h"

namespace d3d9 {

void WaitForNextVerticalBlank() {
    static std::atomic<unsigned> waits{0};
    const int64_t period = kVerticalBlankPeriodMicroseconds * 1000;
    const bool skipOne = D3D9VerticalBlankJitter() && waits.fetch_add(1) % 2 == 0;
    int64_t now = ClockNowNanoseconds();
    int64_t next = (now / period + 1 + (skipOne ? 1 : 0)) * period;
    ClockSleepNanoseconds(next - now);
}

}  // namespace d3d9
