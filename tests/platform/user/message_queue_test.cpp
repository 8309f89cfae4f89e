#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/kernel/clock.h"
#include "platform/kernel/kernel32.h"
#include "tests/platform/user/window_fixture.h"

namespace {

using MessageQueueTest = WindowFixture;

struct Posted {
    HWND window;
    UINT message;
};

std::vector<Posted> Drain(HWND filter, UINT low = 0, UINT high = 0) {
    std::vector<Posted> taken;
    MSG msg;
    while (PeekMessageA(&msg, filter, low, high, PM_REMOVE)) taken.push_back(Posted{msg.hwnd, msg.message});
    return taken;
}

TEST_F(MessageQueueTest, TheThreeWindowFiltersTakeTheirOwnMessagesInOrder) {
    HWND a = MakeWindow();
    HWND b = MakeWindow();
    PostMessageA(a, WM_USER + 1, 0, 0);
    PostMessageA(nullptr, WM_USER + 2, 0, 0);
    PostMessageA(b, WM_USER + 3, 0, 0);
    PostMessageA(a, WM_USER + 4, 0, 0);
    PostMessageA(nullptr, WM_USER + 5, 0, 0);

    auto thread_only = Drain(reinterpret_cast<HWND>(-1));
    ASSERT_EQ(thread_only.size(), 2u);
    EXPECT_EQ(thread_only[0].message, WM_USER + 2u);
    EXPECT_EQ(thread_only[1].message, WM_USER + 5u);
    EXPECT_EQ(thread_only[0].window, nullptr);

    auto of_a = Drain(a);
    ASSERT_EQ(of_a.size(), 2u);
    EXPECT_EQ(of_a[0].message, WM_USER + 1u);
    EXPECT_EQ(of_a[1].message, WM_USER + 4u);

    auto rest = Drain(nullptr);
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0].window, b);
}

TEST_F(MessageQueueTest, NoRemoveLeavesTheMessageAndRangesFilter) {
    HWND a = MakeWindow();
    PostMessageA(a, WM_USER + 1, 7, 8);
    PostMessageA(a, WM_USER + 9, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_USER + 1u);
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(msg.lParam, 8);
    auto ranged = Drain(nullptr, WM_USER + 5, WM_USER + 10);
    ASSERT_EQ(ranged.size(), 1u);
    EXPECT_EQ(ranged[0].message, WM_USER + 9u);
    EXPECT_EQ(Drain(nullptr).size(), 1u);
}

TEST_F(MessageQueueTest, QuitComesAfterPostedMessagesAndNeverThroughAWindowFilter) {
    HWND a = MakeWindow();
    PostQuitMessage(3);
    PostMessageA(a, WM_USER, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, a, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    EXPECT_FALSE(PeekMessageA(&msg, a, 0, 0, PM_REMOVE)) << "WM_QUIT has no window";
    ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE)) << "WM_QUIT ignores the range";
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, CloseGoesThroughDefWindowProcToDestroy) {
    HWND a = MakeWindow(kStyle | WS_VISIBLE);
    PostMessageA(a, WM_CLOSE, 0, 0);
    PumpAll();
    EXPECT_FALSE(IsWindow(a));
    auto messages = MessagesOf(a);
    auto close = std::find(messages.begin(), messages.end(), static_cast<UINT>(WM_CLOSE));
    ASSERT_NE(close, messages.end());
    EXPECT_NE(std::find(close, messages.end(), static_cast<UINT>(WM_DESTROY)), messages.end());
}

TEST_F(MessageQueueTest, PaintIsGeneratedUntilTheWindowIsValidated) {
    HWND a = MakeWindow(kStyle | WS_VISIBLE);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "still invalid: WM_PAINT again";
    DispatchMessageA(&msg);  // DefWindowProcA paints (validates)
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    InvalidateRect(a, nullptr, FALSE);
    EXPECT_TRUE(UpdateWindow(a));
    EXPECT_EQ(MessagesOf(a).back(), static_cast<UINT>(WM_PAINT)) << "UpdateWindow sends it directly";
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, SendFromAnotherThreadRunsOnTheWindowsThreadAndWaitsForTheResult) {
    HWND a = MakeWindow();
    const UINT custom = WM_USER + 7;
    DWORD procedure_thread = 0;
    handler = [&](HWND, UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
        if (message != custom) return false;
        procedure_thread = GetCurrentThreadId();
        *result = static_cast<LRESULT>(wParam * 2);
        return true;
    };
    std::atomic<LRESULT> answer{-1};
    std::thread sender([&] { answer = SendMessageA(a, custom, 21, 0); });
    // The sender waits until this thread looks at its queue.
    MSG msg;
    while (answer.load() == -1) PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    sender.join();
    EXPECT_EQ(answer.load(), 42);
    EXPECT_EQ(procedure_thread, GetCurrentThreadId());
}

class TimerTest : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        saved_mode_ = GetClockMode();
        SetClockMode(ClockMode::kVirtual);
    }
    void TearDown() override {
        SetClockMode(saved_mode_);
        WindowFixture::TearDown();
    }
    static void Advance(int milliseconds) { AdvanceVirtualClock(int64_t{milliseconds} * 1000000); }

    static std::vector<UINT_PTR>& Fired() {
        static std::vector<UINT_PTR> fired;
        return fired;
    }
    static void CALLBACK OnTimer(HWND, UINT message, UINT_PTR id, DWORD) {
        EXPECT_EQ(message, static_cast<UINT>(WM_TIMER));
        Fired().push_back(id);
    }

  private:
    ClockMode saved_mode_ = ClockMode::kReal;
};

TEST_F(TimerTest, WindowTimerFiresOncePerPeriodAndStopsWhenKilled) {
    HWND a = MakeWindow();
    EXPECT_EQ(SetTimer(a, 7, 100, nullptr), 7u);
    MSG msg;
    Advance(99);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    Advance(1);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(msg.hwnd, a);
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "rearmed for the next period";
    Advance(100);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "peeking without removing keeps it due";
    EXPECT_TRUE(KillTimer(a, 7));
    EXPECT_FALSE(KillTimer(a, 7));
    Advance(500);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(TimerTest, CallbackTimersRunTheirProcedureOnDispatch) {
    Fired().clear();
    HWND a = MakeWindow();
    recorded.clear();
    SetTimer(a, 32767, 32, &TimerTest::OnTimer);
    UINT_PTR thread_timer = SetTimer(nullptr, 0, 50, &TimerTest::OnTimer);
    EXPECT_NE(thread_timer, 0u);
    Advance(50);
    EXPECT_EQ(PumpAll(), 2);
    ASSERT_EQ(Fired().size(), 2u);
    EXPECT_EQ(Fired()[0], 32767u);
    EXPECT_EQ(Fired()[1], thread_timer);
    EXPECT_TRUE(MessagesOf(a).empty()) << "a timer with a procedure never reaches the window procedure";
}

TEST_F(TimerTest, DestroyingTheWindowKillsItsTimers) {
    HWND a = MakeWindow();
    SetTimer(a, 1, 10, nullptr);
    DestroyWindow(a);
    Advance(20);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(SetTimer(a, 1, 10, nullptr), 0u);
}

}  // namespace
