#include <gtest/gtest.h>

#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "tests/graphics/target/target_test_support.h"

namespace graphics_test {
namespace {

using DrawSettingsTest = TargetFixture;

TEST_F(DrawSettingsTest, SetBlendClampsTheParameterAndTellsTheSoftwareRenderer) {
    struct Case {
        int param, stored;
    } cases[] = {{300, 255}, {-5, 0}, {128, 128}, {255, 255}, {0, 0}};
    for (const Case& c : cases) {
        SetBlend(0, 0);
        EXPECT_EQ(SetBlend(1, c.param), 0);
        EXPECT_EQ(drawSettings.blendMode, 1);
        EXPECT_EQ(drawSettings.blendParam, c.stored) << c.param;
        EXPECT_EQ(g_softRenderState.blendMode, 1);
        EXPECT_EQ(g_softRenderState.blendParam, c.stored) << c.param;
    }
}

TEST_F(DrawSettingsTest, SetBlendWhileDrawingIsSuspendedChangesNothing) {
    drawSettings.drawingSuspended = 1;
    EXPECT_EQ(SetBlend(2, 100), 0);
    EXPECT_EQ(drawSettings.blendMode, 0);
    EXPECT_EQ(drawSettings.blendParam, 0);
    EXPECT_EQ(g_softRenderState.blendMode, 0);
}

TEST_F(DrawSettingsTest, ChangedBlendModeMarksTheStatesOnlyWhenTheModeChanges) {
    SetBlend(1, 10);
    drawStateLatch.statesChanged = 0;
    SetBlend(1, 20);
    EXPECT_EQ(drawStateLatch.statesChanged, 0);
    SetBlend(2, 20);
    EXPECT_EQ(drawStateLatch.statesChanged, 1);
}

TEST_F(DrawSettingsTest, SetBrightClampsEachChannelAndSkipsTheSameBright) {
    EXPECT_EQ(SetBright(300, -1, 128), 0);
    EXPECT_EQ(drawSettings.bright, 0xFF0080u);
    EXPECT_EQ(g_softRenderState.drawBright, 0xFF0080u);
    // The same bright again returns before anything is stored.
    g_softRenderState.drawBright = 0x123456;
    SetBright(255, 0, 128);
    SetBright(300, -1, 128);
    EXPECT_EQ(g_softRenderState.drawBright, 0x123456u);
}

TEST_F(DrawSettingsTest, SetBrightMarksTheStatesOnlyWhenEnteringOrLeavingWhite) {
    struct Case {
        int from[3], to[3];
        int marked;
    } cases[] = {
        {{20, 20, 20}, {255, 255, 255}, 1},
        {{255, 255, 255}, {20, 20, 20}, 1},
        {{20, 20, 20}, {10, 10, 10}, 0},
    };
    for (const Case& c : cases) {
        SetBright(c.from[0], c.from[1], c.from[2]);
        drawStateLatch.statesChanged = 0;
        SetBright(c.to[0], c.to[1], c.to[2]);
        EXPECT_EQ(drawStateLatch.statesChanged, c.marked) << c.to[0];
    }
}

TEST_F(DrawSettingsTest, PackedDrawColourFollowsBlendAndBrightInDirect3DMode) {
    Direct3DMode = 1;
    SetBlend(1, 128);
    SetBright(255, 0, 128);
    EXPECT_EQ(drawSettings.packedDrawColor, 0x80FF0080u);
    SetBlend(0, 0);
    EXPECT_EQ(drawSettings.packedDrawColor, 0xFFFF0080u);
    SetBrightPacked(0xAA102030);
    EXPECT_EQ(drawSettings.bright, 0x102030u);
    EXPECT_EQ(drawSettings.packedDrawColor, 0xFF102030u);
}

TEST_F(DrawSettingsTest, PackAndUnpackColourInTheScreenFormatOfBothModes) {
    struct Case {
        int bits, d3d;
        int r, g, b;
        uint32_t packed;
    } cases[] = {
        {16, 1, 255, 0, 0, 0xF800}, {16, 0, 255, 0, 0, 0xF800},     {16, 1, 0, 255, 0, 0x07E0},
        {16, 0, 0, 255, 0, 0x07E0}, {32, 1, 255, 0, 0, 0xFFFF0000}, {32, 0, 255, 0, 0, 0xFFFF0000},
    };
    for (const Case& c : cases) {
        screenSettings.colorBits = c.bits;
        Direct3DMode = c.d3d;
        EXPECT_EQ(PackColor(c.r, c.g, c.b), c.packed) << c.bits << " bits, mode " << c.d3d;
        int r = -1, g = -1, b = -1;
        EXPECT_EQ(UnpackColor(c.packed, &r, &g, &b), 0);
        EXPECT_EQ(r, c.r);
        EXPECT_EQ(g, c.g);
        EXPECT_EQ(b, c.b);
    }
}

TEST_F(DrawSettingsTest, TransparentColourIsKeptAsRgbWordAndIgnoredInEightBitColour) {
    EXPECT_EQ(SetTransparentColour(0, 255, 0), 0);
    EXPECT_EQ(GetTransparentColor(), 0x0000FF00u);
    screenSettings.colorBits = 8;
    SetTransparentColour(255, 0, 0);
    EXPECT_EQ(GetTransparentColor(), 0x0000FF00u);
}

TEST_F(DrawSettingsTest, DepthDrawTarget) {
    graphicsStarted = 0;
    EXPECT_EQ(SetDepthDrawTarget(-2), -1);
    graphicsStarted = 1;
    drawSettings.depthDrawTarget = 7;
    EXPECT_EQ(SetDepthDrawTarget(-2), 0);
    EXPECT_EQ(drawSettings.depthDrawTarget, -2);
}

TEST_F(DrawSettingsTest, WaitVerticalSyncIsStoredInvertedAndAsStartValueBeforeInit) {
    SetWaitVerticalSync(0);
    EXPECT_EQ(IsWaitVerticalSync(), 0);
    EXPECT_EQ(drawSettings.noVsyncWait, 1);
    EXPECT_EQ(drawSettings.noVsyncWaitAtStart, 1);
    libraryFlags.initialised = 1;
    SetWaitVerticalSync(1);
    EXPECT_EQ(IsWaitVerticalSync(), 1);
    EXPECT_EQ(drawSettings.noVsyncWaitAtStart, 1);
}

TEST_F(DrawSettingsTest, BlendPreparationWordMarksTheStatesWhenChanged) {
    EXPECT_EQ(SetBlendPreparationWord(3), 0);
    EXPECT_EQ(drawSettings.blendPreparation, 3);
    EXPECT_EQ(drawStateLatch.statesChanged, 1);
    drawStateLatch.statesChanged = 0;
    SetBlendPreparationWord(3);
    EXPECT_EQ(drawStateLatch.statesChanged, 0);
}

TEST_F(DrawSettingsTest, TextureFilterModeIsStoredAndMarksTheStates) {
    EXPECT_EQ(SetTextureFilterMode(1), 0);
    EXPECT_EQ(GetTextureFilterMode(), 1);
    EXPECT_EQ(drawStateLatch.statesChanged, 1);
    drawSettings.drawingSuspended = 1;
    SetTextureFilterMode(2);
    EXPECT_EQ(GetTextureFilterMode(), 1);
}

}  // namespace
}  // namespace graphics_test
