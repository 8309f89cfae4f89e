// Full screen in the real program, reached two ways: started with the full-screen setting, or chosen in
// the options from a window (title, options, down to the screen mode, right, confirm). Both ways end in
// the same mode, with Direct3D and with the software renderer, on a 32-bit desktop where the window itself
// shows 32 bits on the device; and the switch costs the same message-loop passes on both renderers.
#include <string>

#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/screen_settings.h"
#include "game/frame/game_state.h"
#include "game/scenes/option_screen_task.h"
#include "game/scenes/title_screen_task.h"
#include "platform/d3d9/d3d9_control.h"
#include "tests/game/live/live_program.h"

namespace {

int lastFrameCounter = -1;
int stalls = 0;  // pumps of the message loop while no game frame ran

// Full screen or window, the colour depth, Direct3D or software, and the stalled pumps so far.
std::string DescribeMode() {
    if (frameCounter == lastFrameCounter) ++stalls;
    lastFrameCounter = frameCounter;
    std::string where;
    if (auto* title = FindLiveTask<TitleScreenTask>()) {
        where = " title " + std::to_string(title->state) + " cursor " + std::to_string(title->cursor);
        if (title->optionScreen) where += " option " + std::to_string(title->optionScreen->cursor);
    }
    return std::string(IsFullScreenMode() ? "full" : "window") + " " + std::to_string(GetColorDepth()) +
           " bits " + (Direct3DMode ? "device" : "software") + " stalls " + std::to_string(stalls) + where;
}

// Keys (DirectInput codes: F2 60, Up 200, Down 208, Right 205, Space 57): leave the opening, up to the
// title's last item OPTIONS, open it, down to the screen mode, switch it, confirm.
constexpr const char* kOptionsScript =
    "5 down 60\n10 up 60\n"
    "70 down 200\n74 up 200\n90 down 57\n94 up 57\n"
    "120 down 208\n124 up 208\n130 down 208\n134 up 208\n140 down 208\n144 up 208\n150 down 208\n154 up 208\n"
    "170 down 205\n174 up 205\n190 down 57\n194 up 57\n"
    "300 close\n";

class ScreenModeRunTest : public LiveProgramTest {
  protected:
    void SetUp() override {
        LiveProgramTest::SetUp();
        LinkDataPack();
    }
    // The last description of a run with hardware drawing on or off.
    std::string RunTo(bool direct3D, const std::string& script) {
        lastFrameCounter = -1;
        stalls = 0;
        SetHardwareDrawEnabled(direct3D ? 1 : 0);  // inherited by the child, before its library starts
        EXPECT_EQ(Run(script, "", DescribeMode), 0) << TraceText();
        SetHardwareDrawEnabled(1);
        return trace_.empty() ? "" : trace_.back().substr(trace_.back().find(' ') + 1);
    }
    // The settings file with the screen mode setting (0 full screen, 1 window) and nothing after it.
    void WriteScreenModeSetting(int32_t setting) {
        std::ofstream out(Path("setting.dat"), std::ios::binary);
        const uint8_t bytes[6] = {
            3, 1, uint8_t(setting), uint8_t(setting >> 8), uint8_t(setting >> 16), uint8_t(setting >> 24)};
        out.write(reinterpret_cast<const char*>(bytes), 6);
    }
};

TEST_F(ScreenModeRunTest, FullScreenFromTheOptionsIsTheModeAGameStartedInFullScreenHas) {
    for (bool direct3D : {true, false}) {
        SCOPED_TRACE(direct3D ? "Direct3D" : "software");
        WriteScreenModeSetting(0);
        const std::string started = RunTo(direct3D, "300 close\n");
        EXPECT_EQ(started.substr(0, started.find(" stalls")),
                  std::string("full 16 bits ") + (direct3D ? "device" : "software"));
        WriteScreenModeSetting(1);
        const std::string window = RunTo(direct3D, kOptionsScript);
        EXPECT_TRUE(HasInOrder(trace_, {std::string("window ") + (direct3D ? "32" : "16")})) << TraceText();
        EXPECT_EQ(window.substr(0, window.find(" stalls")), started.substr(0, started.find(" stalls")))
            << TraceText();
    }
}

TEST_F(ScreenModeRunTest, TheSwitchInTheOptionsCostsTheSamePassesOnBothRenderers) {
    WriteScreenModeSetting(1);
    const std::string device = RunTo(true, kOptionsScript);
    WriteScreenModeSetting(1);
    const std::string soft = RunTo(false, kOptionsScript);
    ASSERT_EQ(device.rfind("full", 0), 0u) << device << "\n" << TraceText();
    EXPECT_EQ(device.substr(device.find(" stalls")), soft.substr(soft.find(" stalls")));
}

}  // namespace
