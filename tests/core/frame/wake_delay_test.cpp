#include "engine/core/frame/wake_delay.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct DelayCase {
    const char* name;
    std::vector<int64_t> lateness;
    int64_t margin;
};

TEST(WakeDelayTest, MarginFollowsTheWakeUps) {
    const std::vector<int64_t> punctual(200, 0);
    std::vector<int64_t> slowThenQuiet{700};
    slowThenQuiet.insert(slowThenQuiet.end(), 16, 100);
    const DelayCase cases[] = {
        {"nothing seen yet", {}, 200},
        {"a quiet machine stays at the least margin", punctual, 200},
        {"one late wake-up is taken at once", {0, 0, 450}, 900},
        {"far too late is capped at a millisecond", {5000}, 1000},
        {"negative lateness (a clock step) counts as none", {-3000}, 200},
        {"after a slow tick punctual wake-ups bring it down slowly", slowThenQuiet, 2 * 310},
    };
    for (const DelayCase& c : cases) {
        WakeDelay delay;
        for (int64_t late : c.lateness) delay.Observe(late);
        EXPECT_EQ(delay.MarginMicroseconds(), c.margin) << c.name;
    }
}

TEST(WakeDelayTest, PunctualWakeUpsReachTheirOwnDelay) {
    WakeDelay delay;
    delay.Observe(1000);
    for (int i = 0; i < 400; ++i) delay.Observe(150);
    EXPECT_EQ(delay.microseconds, 150);
    EXPECT_EQ(delay.MarginMicroseconds(), 300);
}

}  // namespace
