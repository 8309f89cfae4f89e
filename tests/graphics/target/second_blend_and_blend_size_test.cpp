// The second blend pair of the filter path and the check that a graphic fits the blend graphic.
#include <gtest/gtest.h>

#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/target/frame_flip.h"
#include "tests/graphics/target/target_graphics.h"
#include "tests/graphics/target/target_test_support.h"

namespace graphics_test {
namespace {

using SecondBlendAndBlendSizeTest = TargetGraphicsFixture;

TEST_F(SecondBlendAndBlendSizeTest, SecondBlendIsClampedAndLeavesTheSoftwareRendererAlone) {
    struct Case {
        int mode, param, stored;
    } cases[] = {{1, 300, 255}, {2, -5, 0}, {3, 128, 128}};
    for (const Case& c : cases) {
        drawStateLatch.statesChanged = 0;
        EXPECT_EQ(SetBlend2(c.mode, c.param), 0);
        EXPECT_EQ(drawSettings.secondBlendMode, c.mode);
        EXPECT_EQ(drawSettings.secondBlendParam, c.stored) << c.param;
        EXPECT_EQ(drawStateLatch.statesChanged, 1);
        EXPECT_EQ(g_softRenderState.blendMode, 0);
        EXPECT_EQ(g_softRenderState.blendParam, 0);
    }
    drawSettings.drawingSuspended = 1;
    SetBlend2(5, 5);
    EXPECT_EQ(drawSettings.secondBlendMode, 3);
}

TEST_F(SecondBlendAndBlendSizeTest, GraphicMustHaveTheBlendGraphicsSize) {
    const int probe = MakeSoftwareGraphic({64, 32, 0, 0});
    const GraphicEntry* entry = LookupGraphic(probe, 0);
    EXPECT_EQ(CheckBlendGraphicSize(entry), -1);  // no blend graphic
    struct Case {
        int width, height, result;
    } cases[] = {{64, 32, 0}, {65, 32, -1}, {64, 31, -1}};
    for (const Case& c : cases) {
        const int blend = MakeSoftwareGraphic({c.width, c.height, 0, 0});
        ASSERT_EQ(SetBlendGraphicKind(blend, 0, 10), 0);
        EXPECT_EQ(CheckBlendGraphicSize(entry), c.result) << c.width << " x " << c.height;
        ASSERT_EQ(AddHandleLoadJob(blend, 1), 0);
        EXPECT_EQ(CheckBlendGraphicSize(entry), -1);  // still loading
        DropHandleLoadJob(blend);
        FreeGraphic(blend, 0);
    }
    EXPECT_EQ(CheckBlendGraphicSize(nullptr), -1);
}

}  // namespace
}  // namespace graphics_test
