#include "engine/core/frame/message_pump.h"

#include <gmock/gmock.h>

#include <unistd.h>

#include <thread>

#include "engine/core/frame/activation.h"
#include "engine/core/frame/window_utils.h"
#include "platform/user/drop_files.h"
#include "tests/core/frame/library_fixture.h"

namespace {

constexpr UINT kCountedMessage = WM_USER + 7;
constexpr UINT kRepostMessage = WM_USER + 8;  // posts itself again until the count is reached
constexpr UINT kActivationBurstMessage = WM_USER + 9;

struct HookRecord {
    int counted = 0;
    int reposts = 0;
    int repostsBeforeActivation = 0;
    int burst = 0;
    int activeBeforeLast = -1;
    int ringCountBeforeLast = -1;
    int activeAfterLast = -1;
};
HookRecord hook;

LRESULT TestHook(HWND window, UINT message, WPARAM, LPARAM, int* handled) {
    if (message == kCountedMessage) {
        ++hook.counted;
        *handled = 1;
    } else if (message == kRepostMessage) {
        if (++hook.reposts < hook.repostsBeforeActivation) PostMessageA(window, kRepostMessage, 0, 0);
        *handled = 1;
    } else if (message == kActivationBurstMessage) {
        for (int i = 0; i < hook.burst; ++i) {
            if (i == hook.burst - 1) {
                hook.activeBeforeLast = libraryState.run.active;
                hook.ringCountBeforeLast = libraryState.run.activation.count;
            }
            SendMessageA(window, WM_ACTIVATE, i % 2 == 0 ? WA_INACTIVE : WA_ACTIVE, 0);
        }
        hook.activeAfterLast = libraryState.run.active;
        *handled = 1;
    }
    return 0;
}

class PumpTest : public LibraryTest {
  protected:
    void SetUp() override {
        LibraryTest::SetUp();
        hook = HookRecord{};
        ChangeWindowMode(1);
        ASSERT_EQ(LibraryInit(), 0);
        window_ = GetMainWindowHandle();
        libraryState.settings.messageHook = TestHook;
        while (PumpMessages() == 0 && PeekQueued()) {
        }
    }
    void TearDown() override {
        libraryState.settings.messageHook = nullptr;
        LibraryTest::TearDown();
    }
    static bool PeekQueued() {
        MSG message;
        return PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) != 0;
    }

    HWND window_ = nullptr;
};

TEST_F(PumpTest, DispatchesAtMostFiveMessagesAPass) {
    for (int i = 0; i < 12; ++i) PostMessageA(window_, kCountedMessage, 0, 0);
    const int expected[] = {5, 10, 12, 12};
    for (int total : expected) {
        EXPECT_EQ(PumpMessages(), 0);
        EXPECT_EQ(hook.counted, total);
    }
}

// Another thread activates the window once 200 ms of the (virtual) clock have passed: until then the
// pump keeps sleeping in its waiting cycles.
TEST_F(PumpTest, HoldsTheCallerWhileTheWindowIsInactive) {
    libraryState.run.active = 0;
    const int64_t before = ClockNowNanoseconds();
    constexpr int64_t kHeld = 200000000;
    std::thread activator([this, before] {
        while (ClockNowNanoseconds() - before < kHeld) usleep(1000);
        PostMessageA(window_, WM_ACTIVATE, WA_ACTIVE, 0);
    });
    EXPECT_EQ(PumpMessages(), 0);
    const int64_t held = ClockNowNanoseconds() - before;
    activator.join();
    EXPECT_GE(held, kHeld);
    EXPECT_EQ(GetWindowActiveFlag(), 1);
    EXPECT_NE(libraryState.run.inactiveSince, -1) << "the start of the inactive wait was not recorded";
}

TEST_F(PumpTest, RunAlwaysDoesNotHoldTheCaller) {
    libraryState.run.active = 0;
    libraryState.settings.runAlways = 1;
    hook.repostsBeforeActivation = 100;
    PostMessageA(window_, kRepostMessage, 0, 0);
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_LT(hook.reposts, 100);
    EXPECT_EQ(GetWindowActiveFlag(), 0);
}

TEST_F(PumpTest, EveryPumpAfterQuitReturnsMinusOne) {
    PostQuitMessage(0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(PumpMessages(), -1);
    EXPECT_EQ(IsEndRequested(), 1);
    PostMessageA(window_, kCountedMessage, 0, 0);
    EXPECT_EQ(PumpMessages(), -1);
}

TEST_F(PumpTest, ClosingTheWindowEndsThePump) {
    PostMessageA(window_, WM_CLOSE, 0, 0);
    int result = 0;
    for (int i = 0; i < 5 && result == 0; ++i) result = PumpMessages();
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(IsWindow(window_));
}

// 512 activation changes wait in the ring; the 513th of the same pump is handled at once.
TEST_F(PumpTest, The513thActivationChangeIsHandledAtOnce) {
    hook.burst = 513;
    PostMessageA(window_, kActivationBurstMessage, 0, 0);
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_EQ(hook.ringCountBeforeLast, 512);
    EXPECT_EQ(hook.activeBeforeLast, 1) << "a queued change was handled early";
    EXPECT_EQ(hook.activeAfterLast, 0) << "the 513th change (deactivation) was not handled at once";
    EXPECT_EQ(libraryState.run.activation.count, 0) << "the ring is drained at the end of the pump";
    // Entries alternate inactive/active; the last queued one (index 511) activates.
    EXPECT_EQ(GetWindowActiveFlag(), 1);
}

TEST_F(PumpTest, DroppingMoreThan1000FilesKeepsTheFirst1000) {
    std::vector<std::string> files;
    for (int i = 0; i < 1200; ++i) files.push_back("C:\\drop\\file" + std::to_string(i) + ".txt");
    const size_t liveBefore = LiveDropHandleCount();
    SendMessageA(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropHandle(files, 0, 0)), 0);
    ASSERT_EQ(GetDroppedFileCount(), 1000);
    EXPECT_STREQ(GetDroppedFileName(0), "C:\\drop\\file0.txt");
    EXPECT_STREQ(GetDroppedFileName(999), "C:\\drop\\file999.txt");
    EXPECT_EQ(GetDroppedFileName(1000), nullptr);
    EXPECT_EQ(LiveDropHandleCount(), liveBefore) << "DragFinish was not called";
    SendMessageA(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropHandle({"C:\\late.txt"}, 0, 0)), 0);
    EXPECT_EQ(GetDroppedFileCount(), 1000);
    FreeDroppedFileList();
    EXPECT_EQ(GetDroppedFileCount(), 0);
}

}  // namespace
