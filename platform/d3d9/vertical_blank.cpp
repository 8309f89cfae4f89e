#include "platform/d3d9/vertical_blank.h"

#include <chrono>
#include <thread>

namespace d3d9 {

void WaitForNextVerticalBlank() {
    using namespace std::chrono;
    int64_t now = duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    int64_t next = (now / kVerticalBlankPeriodMicroseconds + 1) * kVerticalBlankPeriodMicroseconds;
    std::this_thread::sleep_for(microseconds(next - now));
}

}  // namespace d3d9
