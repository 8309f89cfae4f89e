// The wait of a frame loop: asleep for most of it, reading the clock only for the end.
#include "engine/core/frame/library_init.h"
#include "platform/kernel/kernel32.h"

namespace {

// The clock is read in a loop for the last stretch only: a sleep may overrun by a scheduler tick.
constexpr int64_t kSpinMicroseconds = 1000;

}  // namespace

int64_t WaitForMicrosecondCount(int64_t deadline) {
    int64_t now = GetMicrosecondCount();
    while (now >= 0 && now < deadline) {
        const int64_t sleepable = deadline - now - kSpinMicroseconds;
        if (sleepable >= 1000) Sleep(DWORD(sleepable / 1000));
        now = GetMicrosecondCount();
    }
    return now;
}
