// The display's vertical blank: a 60 Hz grid on the process clock.
#pragma once

#include <cstdint>

namespace d3d9 {

constexpr int64_t kVerticalBlankPeriodMicroseconds = 16667;

// Waits until the start of the next vertical blank.
void WaitForNextVerticalBlank();

}  // namespace d3d9
