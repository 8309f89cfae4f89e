#include <gtest/gtest.h>

#include "engine/graphics/target/draw_target_state.h"
#include "tests/graphics/entries/entry_test_support.h"

namespace entries_test {
namespace {

using PartDraws = SoftwareEntryFixture;

TEST_F(PartDraws, PartDrawShowsTheSourceRectangle) {
    int graphic = MakePositionGraphic(32, 24);
    ASSERT_EQ(DrawImagePart(100, 50, 8, 4, 6, 5, graphic, 0, 0), 0);
    EXPECT_EQ(CountDrawn(), 30);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(At(100 + x, 50 + y), Position(8 + x, 4 + y)) << x << "," << y;
}

TEST_F(PartDraws, TurnedPartIsTheSameRectangleMirroredInPlace) {
    int graphic = MakePositionGraphic(32, 24);
    ASSERT_EQ(DrawImagePart(100, 50, 8, 4, 6, 5, graphic, 0, 1), 0);
    EXPECT_EQ(CountDrawn(), 30);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(At(100 + x, 50 + y), Position(8 + 5 - x, 4 + y)) << x << "," << y;
}

TEST_F(PartDraws, PartCutByTheAreaEdges) {
    int graphic = MakePositionGraphic(32, 24);
    ASSERT_EQ(DrawImagePart(-3, 297, 8, 4, 6, 5, graphic, 0, 0), 0);
    EXPECT_EQ(CountDrawn(), 9);
    EXPECT_EQ(At(0, 297), Position(11, 4));
    EXPECT_EQ(At(2, 299), Position(13, 6));
}

// Whatever the outcome, the part draw leaves the draw area as it found it.
TEST_F(PartDraws, DrawAreaIsRestoredOnEveryWayOut) {
    int graphic = MakePositionGraphic(8, 8);
    struct Case {
        const char* name;
        int handle, width, turn, result;
    } cases[] = {
        {"drawn", graphic, 4, 0, 0},       {"drawn turned", graphic, 4, 1, 0},
        {"bad handle", 999, 4, 0, -1},     {"bad handle turned", 999, 4, 1, -1},
        {"zero width", graphic, 0, 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fill(0);
        EXPECT_EQ(DrawImagePart(20, 20, 0, 0, c.width, 4, c.handle, 0, c.turn), c.result);
        IntRect area;
        float areaF[4];
        GetDrawArea(&area);
        GetDrawAreaFloat(areaF);
        EXPECT_EQ(area.left, 0);
        EXPECT_EQ(area.right, kTargetWidth);
        EXPECT_EQ(area.bottom, kTargetHeight);
        EXPECT_EQ(areaF[2], float(kTargetWidth));
        EXPECT_EQ(areaF[3], float(kTargetHeight));
        EXPECT_EQ(g_softRenderState.clipRect[2], kTargetWidth);
        // A following full-area box covers every pixel.
        ASSERT_EQ(FillBox(0, 0, kTargetWidth, kTargetHeight, 0xFFFFFF), 0);
        EXPECT_EQ(CountDrawn(), kTargetWidth * kTargetHeight);
    }
}

TEST_F(PartDraws, RotatedPartRefusesAnEmptyRectangleOrABadGraphic) {
    int graphic = MakePositionGraphic(8, 8);
    EXPECT_EQ(DrawImagePartRotated(20, 20, 0, 0, 0, 4, 1.0, 0.0, graphic, 0, 0), -1);
    EXPECT_EQ(DrawImagePartRotated(20, 20, 0, 0, 4, -1, 1.0, 0.0, graphic, 0, 0), -1);
    EXPECT_EQ(DrawImagePartRotated(20, 20, 0, 0, 4, 4, 1.0, 0.0, 999, 0, 0), -1);
    EXPECT_EQ(DrawImagePartStretchedF(0, 0, 4, 4, 0, 0, 0, 4, graphic, 0), -1);
    EXPECT_EQ(CountDrawn(), 0);
}

}  // namespace
}  // namespace entries_test
