#include <gtest/gtest.h>

#include "engine/graphics/device/screen_mem_image.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/target/render_target_slots.h"
#include "tests/graphics/target/target_test_support.h"

namespace graphics_test {
namespace {

using SelectDrawTargetTest = TargetFixture;

TEST_F(SelectDrawTargetTest, ScreenValuesTakeTheScreenSizeAndResetAnotherSizedArea) {
    for (int handle : {-4, -2, -3, -5}) {
        drawTargetState.width = 10;  // a target of another size before
        ASSERT_EQ(SelectDrawTarget(handle), 0) << handle;
        EXPECT_EQ(GetDrawTargetHandle(), handle);
        EXPECT_EQ(drawTargetState.width, 400);
        EXPECT_EQ(drawTargetState.height, 300);
        EXPECT_EQ(drawTargetState.area.right, 400);
        EXPECT_EQ(drawTargetState.area.bottom, 300);
    }
}

TEST_F(SelectDrawTargetTest, TargetOfTheSameSizeKeepsTheArea) {
    ASSERT_EQ(SelectDrawTarget(-2), 0);
    ASSERT_EQ(SetClipRect(10, 20, 110, 220), 0);
    ASSERT_EQ(SelectDrawTarget(-4), 0);
    EXPECT_EQ(drawTargetState.area.left, 10);
    EXPECT_EQ(drawTargetState.area.bottom, 220);
}

TEST_F(SelectDrawTargetTest, RefusedHandlesKeepTheOldTarget) {
    ASSERT_EQ(SelectDrawTarget(-2), 0);
    for (int handle : {-1, -6, 0, 0x04010005}) {
        EXPECT_EQ(SelectDrawTarget(handle), -1) << handle;
        EXPECT_EQ(GetDrawTargetHandle(), -2);
    }
    graphicsStarted = 0;
    EXPECT_EQ(SelectDrawTarget(-4), -1);
    EXPECT_EQ(GetDrawTargetHandle(), -2);
}

TEST_F(SelectDrawTargetTest, SoftwareTargetIsTheScreenImage) {
    ASSERT_EQ(CreateScreenMemImage(), 0);
    g_softDrawSurfaces.target = nullptr;
    ASSERT_EQ(SelectDrawTarget(-2), 0);
    EXPECT_EQ(g_softDrawSurfaces.target, GetScreenMemImage());
    ReleaseScreenMemImages();
}

TEST_F(SelectDrawTargetTest, Direct3DModeBindsTheBackBufferAsRenderTargetZero) {
    MakeDevice(400, 300);
    ASSERT_EQ(Device()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &BackBufferSurface), D3D_OK);
    ASSERT_EQ(SelectDrawTarget(-2), 0);
    EXPECT_EQ(drawTargetState.boundSurfaces[0], BackBufferSurface);
    IDirect3DSurface9* bound = nullptr;
    ASSERT_EQ(Device()->GetRenderTarget(0, &bound), D3D_OK);
    EXPECT_EQ(bound, BackBufferSurface);
    bound->Release();
    BackBufferSurface->Release();
    BackBufferSurface = nullptr;
}

TEST_F(SelectDrawTargetTest, SlotsAboveZeroNeedProgrammableShadersAndExistingSlots) {
    EXPECT_EQ(SetRenderTargetSlot(1, -2), -1);  // one slot only
    EXPECT_EQ(SetRenderTargetSlot(-1, -2), -1);
    EXPECT_EQ(SetRenderTargetSlot(0, -4), 0);  // slot 0 selects the draw target
    EXPECT_EQ(GetDrawTargetHandle(), -4);
    deviceCapabilityFlags.renderTargetSlots = 4;
    EXPECT_EQ(SetRenderTargetSlot(1, 0x04010005), -1);  // software mode
}

TEST_F(SelectDrawTargetTest, SwapDrawScreenLeavesTheArea) {
    ASSERT_EQ(SelectDrawTarget(-2), 0);
    ASSERT_EQ(SetClipRect(1, 2, 3, 4), 0);
    EXPECT_EQ(SwapDrawScreen(-4), -2);
    EXPECT_EQ(GetDrawTargetHandle(), -4);
    EXPECT_EQ(drawTargetState.area.right, 3);
}

}  // namespace
}  // namespace graphics_test
