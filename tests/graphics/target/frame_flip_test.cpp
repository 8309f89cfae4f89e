#include "engine/graphics/target/frame_flip.h"

#include "engine/core/frame/window_utils.h"
#include "engine/core/memory/screen_log.h"
#include "engine/graphics/device/device_probe.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/target/draw_target_state.h"
#include "tests/graphics/device/device_fixture.h"

namespace {

class FrameFlipTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        MakeDirect3D();
        ASSERT_EQ(ProbeDeviceFormats(), 0);
        Direct3DMode = 1;
        libraryFlags.initialised = 1;
        ASSERT_EQ(DeviceColorFill(BackBufferSurface, nullptr, 0x00FF8040), D3D_OK);
    }
    void TearDown() override {
        screenLog = {};
        ResetDrawTargetStateForTests();
        ResetDrawSettingsBlock();
        DeviceTest::TearDown();
    }
    static uint64_t Presents() { return D3D9GetPresentedPicture().present_count; }
};

TEST_F(FrameFlipTest, EachFlipPresentsTheBackBuffer) {
    const uint64_t before = Presents();
    EXPECT_EQ(FlipFrameDefault(), 0);
    EXPECT_EQ(FlipFrameEntry(), 0);
    const D3D9PresentedPicture picture = D3D9GetPresentedPicture();
    EXPECT_EQ(picture.present_count, before + 2);
    ASSERT_FALSE(picture.pixels.empty());
    EXPECT_TRUE(std::all_of(picture.pixels.begin(), picture.pixels.end(),
                            [](uint32_t p) { return p == 0xFFFF8040; }));
    EXPECT_EQ(libraryState.run.drawing, 0);
}

TEST_F(FrameFlipTest, NoFlipBeforeInitOrAfterTheEndRequest) {
    const uint64_t before = Presents();
    libraryFlags.endRequested = 1;
    EXPECT_EQ(FlipFrameDefault(), -1);
    libraryFlags.endRequested = 0;
    libraryFlags.initialised = 0;
    EXPECT_EQ(FlipFrame(nullptr), -1);
    EXPECT_EQ(Presents(), before);
    EXPECT_EQ(libraryState.run.drawing, 0);
}

// What the on-screen log's drawing saw of the flip's state.
struct LogDrawView {
    int calls, waitWouldStart, guard, blendMode, areaRight, nestedFlip;
};
LogDrawView logDrawView;

int ObserveLogDraw() {
    logDrawView.calls++;
    logDrawView.waitWouldStart = ShouldWaitWhileInactive();
    logDrawView.guard = drawTargetState.screenLogGuard;
    logDrawView.blendMode = drawSettings.blendMode;
    logDrawView.areaRight = drawTargetState.area.right;
    logDrawView.nestedFlip = FlipFrameDefault();
    return 0;  // no lines to draw
}

TEST_F(FrameFlipTest, OnScreenLogIsDrawnUnblendedOverTheScreenWithoutWaitingForTheWindow) {
    libraryState.run.active = 0;  // an inactive window
    ASSERT_EQ(ShouldWaitWhileInactive(), 1);
    screenLog.shown = 1;
    screenLog.fontSize = 16;
    screenLog.screenHeight = ObserveLogDraw;
    drawTargetState.slots[0] = kDrawTargetBackBuffer;
    ASSERT_EQ(SetClipRect(10, 20, 110, 220), 0);
    drawSettings.blendMode = 1, drawSettings.blendParam = 100;
    drawSettings.bright = 0x102030;
    logDrawView = {};
    const uint64_t before = Presents();
    EXPECT_EQ(FlipFrameDefault(), 0);
    EXPECT_EQ(logDrawView.calls, 1);
    EXPECT_EQ(logDrawView.waitWouldStart, 0);
    EXPECT_EQ(logDrawView.guard, 1);
    EXPECT_EQ(logDrawView.blendMode, 0);
    EXPECT_EQ(logDrawView.areaRight, 800);
    EXPECT_EQ(logDrawView.nestedFlip, 0);
    EXPECT_EQ(Presents(), before + 1);  // the nested flip presented nothing
    EXPECT_EQ(drawTargetState.area.right, 110);
    EXPECT_EQ(drawTargetState.area.top, 20);
    EXPECT_EQ(drawSettings.blendMode, 1);
    EXPECT_EQ(drawSettings.blendParam, 100);
    EXPECT_EQ(drawSettings.bright, 0x102030u);
    EXPECT_EQ(drawTargetState.screenLogGuard, 0);
}

}  // namespace
