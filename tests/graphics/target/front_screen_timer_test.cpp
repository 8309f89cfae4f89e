// The front screen's timer: started by every selection of the front screen (also the one that follows
// the deletion of the current target), it flips once per period while the front screen stays selected
// and the window is active, and stops once another screen is selected.
#include "engine/graphics/device/front_screen_timer.h"

#include "engine/graphics/target/render_target_slots.h"
#include "platform/kernel/clock.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

class FrontScreenTimerTest : public GraphicsTest {
  protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        Start();
        libraryFlags.initialised = 1;              // the flip presents only after the library's init
        KillTimer(Window(), kFrontScreenTimerId);  // whatever the start selected
    }
    static HWND Window() { return libraryState.settings.mainWindow; }
    static uint64_t Presents() { return D3D9GetPresentedPicture().present_count; }
    // Moves the clock by one period and takes the front-screen timer's message when it is due.
    static bool TimerDue(MSG* msg) {
        AdvanceVirtualClock(int64_t(kFrontScreenTimerPeriod) * 1000000);
        if (!PeekMessageA(msg, Window(), WM_TIMER, WM_TIMER, PM_REMOVE)) return false;
        return msg->wParam == kFrontScreenTimerId &&
               msg->lParam == reinterpret_cast<LPARAM>(&FrontScreenTimerProc);
    }
};

TEST_F(FrontScreenTimerTest, OnlySelectingTheFrontScreenStartsTheTimer) {
    MSG msg{};
    for (int screen : {kDrawTargetBackBuffer, -3, -5}) {
        ASSERT_EQ(SelectDrawTarget(screen), 0);
        EXPECT_FALSE(TimerDue(&msg)) << screen;
    }
    ASSERT_EQ(SelectDrawTarget(kDrawTargetFrontScreen), 0);
    EXPECT_TRUE(TimerDue(&msg));
}

TEST_F(FrontScreenTimerTest, TimerFlipsWhileTheFrontScreenStaysSelectedAndTheWindowIsActive) {
    ASSERT_EQ(SelectDrawTarget(kDrawTargetFrontScreen), 0);
    MSG msg{};
    ASSERT_TRUE(TimerDue(&msg));
    uint64_t before = Presents();
    DispatchMessageA(&msg);
    EXPECT_EQ(Presents(), before + 1);

    libraryState.run.active = 0;
    ASSERT_TRUE(TimerDue(&msg));  // set again by the last tick
    before = Presents();
    DispatchMessageA(&msg);
    EXPECT_EQ(Presents(), before);  // an inactive window is not flipped, and the timer goes on
    libraryState.run.active = 1;

    ASSERT_TRUE(TimerDue(&msg));
    ASSERT_EQ(SelectDrawTarget(kDrawTargetBackBuffer), 0);
    before = Presents();
    DispatchMessageA(&msg);
    EXPECT_EQ(Presents(), before);
    EXPECT_FALSE(TimerDue(&msg));  // the tick that found another screen stopped the timer
}

TEST_F(FrontScreenTimerTest, DeletingTheCurrentTargetStartsTheTimer) {
    const int target = MakeDrawTarget(64, 64, 0);
    ASSERT_GE(target, 0);
    ASSERT_EQ(SelectDrawTarget(target), 0);
    MSG msg{};
    EXPECT_FALSE(TimerDue(&msg));
    ASSERT_EQ(FreeGraphic(target, 0), 0);
    EXPECT_EQ(GetDrawTargetHandle(), kDrawTargetFrontScreen);
    EXPECT_TRUE(TimerDue(&msg));
}

}  // namespace
