#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/host/host.h"
#include "tests/platform/user/window_fixture.h"

namespace {

class HeadlessScriptTest : public WindowFixture {
  protected:
    // One frame of the library's pump: the host's tick, then every message dispatched. Returns the
    // messages that reached the window during it.
    std::vector<UINT> Frame(HWND window) {
        size_t before = recorded.size();
        HostPumpTick();
        PumpAll();
        std::vector<UINT> messages;
        for (size_t i = before; i < recorded.size(); ++i)
            if (recorded[i].window == window) messages.push_back(recorded[i].message);
        return messages;
    }
    static bool Has(const std::vector<UINT>& messages, UINT message) {
        return std::find(messages.begin(), messages.end(), message) != messages.end();
    }
};

TEST_F(HeadlessScriptTest, ScriptLinesArriveAtTheirFramesAndCloseEndsTheWindow) {
    HWND window = MakeWindow(kStyle | WS_VISIBLE);
    ASSERT_TRUE(HostLoadInputScript("# scripted\n1 down 0x1C\n1 down 57\n3 up 28\n4 close\n"));
    EXPECT_FALSE(Has(Frame(window), WM_KEYDOWN)) << "frame 0";
    auto frame1 = Frame(window);
    EXPECT_EQ(std::count(frame1.begin(), frame1.end(), static_cast<UINT>(WM_KEYDOWN)), 2);
    BYTE state[256];
    GetKeyboardState(state);
    EXPECT_TRUE(state[VK_RETURN] & 0x80);
    EXPECT_TRUE(Frame(window).empty()) << "frame 2";
    EXPECT_TRUE(Has(Frame(window), WM_KEYUP)) << "frame 3";
    GetKeyboardState(state);
    EXPECT_FALSE(state[VK_RETURN] & 0x80);
    EXPECT_TRUE(state[VK_SPACE] & 0x80);
    auto frame4 = Frame(window);
    EXPECT_TRUE(Has(frame4, WM_CLOSE));
    EXPECT_TRUE(Has(frame4, WM_DESTROY));
    EXPECT_FALSE(IsWindow(window));
}

// The observer sees each frame's number after that frame's script lines were queued, and may add
// events of its own.
std::vector<int64_t> observedFrames;
std::vector<bool> observedEnterDown;
void ObservePump(int64_t frame) {
    observedFrames.push_back(frame);
    uint8_t keys[256];
    HostGetKeyboardDikState(keys);
    observedEnterDown.push_back(keys[0x1C] != 0);
    if (frame == 2) {
        HostEvent up;
        up.kind = HostEventKind::kKey;
        up.dik = 0x1C;
        HostInjectEvent(up);
    }
}

TEST_F(HeadlessScriptTest, PumpObserverSeesEveryFrameAfterItsScriptLines) {
    HWND window = MakeWindow(kStyle | WS_VISIBLE);
    ASSERT_TRUE(HostLoadInputScript("1 down 0x1C\n"));
    observedFrames.clear();
    observedEnterDown.clear();
    HostSetPumpObserver(ObservePump);
    for (int i = 0; i < 4; ++i) Frame(window);
    HostSetPumpObserver(nullptr);
    Frame(window);
    EXPECT_EQ(observedFrames, (std::vector<int64_t>{0, 1, 2, 3}));
    EXPECT_EQ(observedEnterDown, (std::vector<bool>{false, true, true, false}));
}

TEST_F(HeadlessScriptTest, BadLinesAreReportedAndSkipped) {
    HWND window = MakeWindow(kStyle | WS_VISIBLE);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(HostLoadInputScript("0 down 300\nx down 1\n0 press 2\n0 up\n0 close now\n0 down 0x10\n"));
    std::string errors = testing::internal::GetCapturedStderr();
    for (const char* line : {"line 1", "line 2", "line 3", "line 4", "line 5"})
        EXPECT_NE(errors.find(line), std::string::npos) << line;
    EXPECT_EQ(errors.find("line 6"), std::string::npos);
    auto frame0 = Frame(window);
    ASSERT_EQ(std::count(frame0.begin(), frame0.end(), static_cast<UINT>(WM_KEYDOWN)), 1);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(HeadlessScriptTest, TheScriptComesFromKorvalundInput) {
    std::string path = testing::TempDir() + "korvalund_input_script.txt";
    {
        std::ofstream file(path);
        file << "0 close\n";
    }
    ResetWindowStandInForTests();  // forgets any script, so that the next tick reads the variable
    SetUp();
    HWND window = MakeWindow(kStyle | WS_VISIBLE);
    setenv("KORVALUND_INPUT", path.c_str(), 1);
    auto frame0 = Frame(window);
    unsetenv("KORVALUND_INPUT");
    std::remove(path.c_str());
    EXPECT_TRUE(Has(frame0, WM_CLOSE));
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(HeadlessScriptTest, FocusChangesReachTheWindowAsActivation) {
    HWND window = MakeWindow(kStyle | WS_VISIBLE);
    PumpAll();
    recorded.clear();
    HostEvent lost;
    lost.kind = HostEventKind::kFocus;
    lost.down = false;
    HostInjectEvent(lost);
    PumpAll();
    EXPECT_EQ(GetActiveWindow(), nullptr);
    HostEvent gained = lost;
    gained.down = true;
    HostInjectEvent(gained);
    PumpAll();
    std::vector<UINT> expected = {WM_ACTIVATE,    WM_ACTIVATEAPP, WM_KILLFOCUS,
                                  WM_ACTIVATEAPP, WM_ACTIVATE,    WM_SETFOCUS};
    EXPECT_EQ(MessagesOf(window), expected);
    EXPECT_EQ(GetActiveWindow(), window);
}

}  // namespace
