#include <gtest/gtest.h>

#include "engine/softrender/soft_render_state.h"
#include "tests/softrender/soft_test_support.h"

namespace {

TEST(SoftBlendTables, ScaleTableEdges) {
    softtest::EnsureTables();
    const auto& t = g_softBlendTables.ScaleTable;
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(t[255][i], i);
        EXPECT_EQ(t[0][i], 0);
    }
    EXPECT_EQ(t[128][255], 128);
    EXPECT_EQ(t[128][1], 0);
    EXPECT_EQ(t[200][100], 78);  // 20000 / 255 = 78.4
}

TEST(SoftBlendTables, DiffScaleTableTruncatesTowardZero) {
    softtest::EnsureTables();
    const auto& t = g_softBlendTables.DiffScaleTable;
    for (int p = 0; p < 256; ++p) {
        EXPECT_EQ(t[p][255], 0);
        EXPECT_EQ(t[p][511], 0);
    }
    for (int j = 0; j < 511; ++j) EXPECT_EQ(t[255][j], j - 255);
    EXPECT_EQ(t[128][0], -128);
    EXPECT_EQ(t[1][0], -1);
    EXPECT_EQ(t[1][254], 0);         // trunc(-1 / 255) = 0, not -1
    EXPECT_EQ(t[100][255 - 3], -1);  // -300 / 255 = -1.17
    EXPECT_EQ(t[100][255 + 3], 1);
}

TEST(SoftBlendTables, Lerp6Table) {
    softtest::EnsureTables();
    const auto& t = g_softBlendTables.Lerp6Table;
    for (int s = 0; s < 64; ++s) {
        for (int d = 0; d < 64; ++d) {
            EXPECT_EQ(t[63][s][d], s);
            EXPECT_EQ(t[0][s][d], d);
        }
    }
    EXPECT_EQ(t[32][63][0], 32);
    EXPECT_EQ(t[25][31][0], 12);
}

struct WeightCase {
    int border, range, index, weight;
};

TEST(BlendImageWeightTable, Shapes) {
    const WeightCase cases[] = {
        {0, 255, 0, 255},   {0, 255, 255, 255},  {255, 255, 0, 0},    {255, 255, 254, 0}, {255, 255, 255, 1},
        {128, 0, 0, 0},     {128, 0, 127, 0},    {128, 0, 128, 128},  {128, 0, 129, 255}, {128, 0, 255, 255},
        {128, 64, 120, 96}, {128, 64, 128, 128}, {128, 64, 135, 155}, {128, 64, 0, 0},    {128, 64, 95, 0},
    };
    for (const auto& c : cases) {
        BuildBlendImageWeightTable(c.border, c.range);
        EXPECT_EQ(BlendImageWeightTable[c.index], c.weight)
            << c.border << "/" << c.range << " [" << c.index << "]";
    }
    BuildBlendImageWeightTable(0, 255);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(BlendImageWeightTable[i], 255);
    BuildBlendImageWeightTable(128, 64);
    for (int i = 0; i <= 95; ++i) EXPECT_EQ(BlendImageWeightTable[i], 0);
    for (int i = 1; i < 256; ++i) EXPECT_GE(BlendImageWeightTable[i], BlendImageWeightTable[i - 1]);
}

TEST(BlendImageWeightTable, OutOfRangeArgumentsAreClamped) {
    BuildBlendImageWeightTable(128, -1);  // would divide by zero
    EXPECT_EQ(BlendImageWeightTable[127], 0);
    EXPECT_EQ(BlendImageWeightTable[129], 255);
    BuildBlendImageWeightTable(-5, 1000);
    EXPECT_EQ(BlendImageWeightTable[0], 255);
}

TEST(SoftRenderState, SettersStoreUnchanged) {
    const int32_t rect[4] = {-3, 4, 500, 7};
    EXPECT_EQ(SetSoftClipRect(rect), 0);
    EXPECT_EQ(SetSoftBlendMode(11, 300), 0);
    EXPECT_EQ(SetSoftDrawBright(0xFF123456), 0);
    EXPECT_EQ(SetMemImgDefaultKind(1), 0);
    EXPECT_EQ(g_softRenderState.clipRect[0], -3);
    EXPECT_EQ(g_softRenderState.clipRect[2], 500);
    EXPECT_EQ(g_softRenderState.blendMode, 11);
    EXPECT_EQ(g_softRenderState.blendParam, 300);
    EXPECT_EQ(g_softRenderState.drawBright, 0xFF123456u);
    EXPECT_EQ(g_softRenderState.defaultKind, 1);
}

TEST(SoftRenderState, TintSwitch) {
    EXPECT_FALSE(SoftTintOn(0xFFFFFFFF));
    EXPECT_FALSE(SoftTintOn(0x00FFFFFF));
    EXPECT_TRUE(SoftTintOn(0x00FFFFFE));
    EXPECT_TRUE(SoftTintOn(0xFF000000));
}

}  // namespace
