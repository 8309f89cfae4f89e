// The vertical-blank measurement and wait on the stand-in's 60 Hz grid under the virtual clock.
#include "tests/graphics/device/device_fixture.h"

namespace {

const char kWait[] = "IDirectDraw7::WaitForVerticalBlank(1, NULL)";

}  // namespace

// One wait to start, eleven intervals of which the first has nothing to agree with, and the final wait.
TEST_F(DeviceTest, SteadyBlankIsMeasured) {
    ASSERT_EQ(LoadDirect3D9Library(), 0);
    ASSERT_EQ(CreateDirectDrawObject(), 0);
    D3D9SetTraceEnabled(true);
    MeasureVerticalBlankPeriod();
    EXPECT_EQ(verticalBlankTiming.period, 16667);
    EXPECT_EQ(VerticalBlankThreshold(), 16667 - 3000);
    EXPECT_EQ(Count(D3D9TakeTrace(), kWait), 13);
}

TEST_F(DeviceTest, UnsteadyBlankStaysUnmeasured) {
    ASSERT_EQ(LoadDirect3D9Library(), 0);
    ASSERT_EQ(CreateDirectDrawObject(), 0);
    D3D9SetVerticalBlankJitter(true);
    D3D9SetTraceEnabled(true);
    MeasureVerticalBlankPeriod();
    EXPECT_EQ(verticalBlankTiming.period, -1);
    EXPECT_EQ(VerticalBlankThreshold(), 4000);
    EXPECT_EQ(Count(D3D9TakeTrace(), kWait), 1 + 60 + 1);
}

TEST_F(DeviceTest, WithoutDirectDrawNothingIsWaitedFor) {
    D3D9SetTraceEnabled(true);
    EXPECT_EQ(MeasureVerticalBlankPeriod(), 0);
    EXPECT_EQ(verticalBlankTiming.period, -1);
    EXPECT_EQ(VerticalBlankThreshold(), 4000);
    EXPECT_EQ(WaitVerticalBlank(), 0);
    EXPECT_TRUE(D3D9TakeTrace().empty());
}

// A wait soon after a blank sleeps until the threshold, then waits for the blank after it.
TEST_F(DeviceTest, WaitSoonAfterABlankSleepsPastTheThreshold) {
    ASSERT_EQ(LoadDirect3D9Library(), 0);
    ASSERT_EQ(CreateDirectDrawObject(), 0);
    MeasureVerticalBlankPeriod();
    const int64_t last = verticalBlankTiming.lastBlank;
    const int64_t before = ClockNowNanoseconds() / 1000;
    EXPECT_LT(before - last, VerticalBlankThreshold());
    WaitVerticalBlank();
    EXPECT_EQ(verticalBlankTiming.lastBlank - last, 16667);
}
