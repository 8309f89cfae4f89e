#include <gtest/gtest.h>

#include "engine/graphics/graphics.h"
#include "tests/graphics/target/target_test_support.h"

namespace graphics_test {
namespace {

class ClipRectTest : public TargetFixture {
  protected:
    void SetUp() override {
        TargetFixture::SetUp();
        MakeDevice(400, 300);
    }
    static IntRect Area() { return drawTargetState.area; }
};

TEST_F(ClipRectTest, AreaIsSortedClampedAndGivenToDeviceAndSoftwareRenderer) {
    struct Case {
        int x1, y1, x2, y2;
        IntRect area;
    } cases[] = {
        {0, 0, 400, 300, {0, 0, 400, 300}},
        {400, 300, 0, 0, {0, 0, 400, 300}},
        {10, 20, 110, 220, {10, 20, 110, 220}},
        {-50, 500, 500, -50, {0, 0, 400, 300}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(SetClipRect(c.x1, c.y1, c.x2, c.y2), 0);
        const IntRect a = Area();
        EXPECT_EQ(a.left, c.area.left);
        EXPECT_EQ(a.top, c.area.top);
        EXPECT_EQ(a.right, c.area.right);
        EXPECT_EQ(a.bottom, c.area.bottom);
        EXPECT_EQ(drawTargetState.areaF[2], float(c.area.right));
        EXPECT_EQ(g_softRenderState.clipRect[3], c.area.bottom);
        const D3DVIEWPORT9& v = renderStateCache.viewport;
        EXPECT_EQ(v.X, DWORD(c.area.left));
        EXPECT_EQ(v.Y, DWORD(c.area.top));
        EXPECT_EQ(v.Width, DWORD(c.area.right - c.area.left));
        EXPECT_EQ(v.Height, DWORD(c.area.bottom - c.area.top));
        EXPECT_EQ(v.MinZ, 0.0f);
        EXPECT_EQ(v.MaxZ, 1.0f);
        EXPECT_EQ(renderStateCache.scissor.right, c.area.right);
        EXPECT_EQ(renderStateCache.scissor.top, c.area.top);
        EXPECT_EQ(drawTargetState.requested.left, c.x1);
        EXPECT_EQ(drawTargetState.emptyArea, 0);
    }
}

// The draw-area matrix takes a pixel of the area to the device coordinates of the area's viewport.
TEST_F(ClipRectTest, DrawAreaMatrixMapsAreaCornersOntoTheViewport) {
    ASSERT_EQ(SetClipRect(10, 20, 110, 220), 0);
    const Vector3 corners[2] = {{10, 20, 0}, {110, 220, 0}};
    const float expected[2][2] = {{-1, 1}, {1, -1}};
    for (int i = 0; i < 2; ++i) {
        Vector3 out;
        TransformPoint(&out, &corners[i], &transformState.drawArea);
        EXPECT_NEAR(out.x, expected[i][0], 1e-5);
        EXPECT_NEAR(out.y, expected[i][1], 1e-5);
    }
}

TEST_F(ClipRectTest, AreaWithoutPixelsSetsTheEmptyFlagUntilTheNextArea) {
    EXPECT_EQ(SetClipRect(10, 10, 10, 50), 0);
    EXPECT_EQ(drawTargetState.emptyArea, 1);
    EXPECT_EQ(SetClipRect(10, 10, 50, 10), 0);
    EXPECT_EQ(drawTargetState.emptyArea, 1);
    EXPECT_EQ(SetClipRect(10, 10, 50, 50), 0);
    EXPECT_EQ(drawTargetState.emptyArea, 0);
}

TEST_F(ClipRectTest, RefusedCallLeavesAreaAndRequestedArea) {
    ASSERT_EQ(SetClipRect(10, 20, 110, 220), 0);
    drawTargetState.slots[0] = 0x04010005;  // a graphic that no longer exists
    EXPECT_EQ(SetClipRect(0, 0, 50, 50), -1);
    EXPECT_EQ(Area().right, 110);
    EXPECT_EQ(drawTargetState.requested.right, 110);
    EXPECT_EQ(drawTargetState.requested.left, 10);
}

TEST_F(ClipRectTest, WithoutADeviceTheDirect3DAreaFails) {
    DropDevice();
    Direct3DMode = 1;
    EXPECT_EQ(SetClipRect(0, 0, 100, 100), -1);
    EXPECT_EQ(Area().right, 100);  // the software side took it
    Direct3DMode = 0;
    EXPECT_EQ(SetClipRect(0, 0, 120, 100), 0);
}

TEST_F(ClipRectTest, SuspendedDrawingIgnoresTheCall) {
    drawSettings.drawingSuspended = 1;
    EXPECT_EQ(SetClipRect(1, 2, 3, 4), 0);
    EXPECT_EQ(drawTargetState.requested.right, 0);
}

}  // namespace
}  // namespace graphics_test
