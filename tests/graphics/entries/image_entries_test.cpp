#include <gtest/gtest.h>

#include "tests/graphics/entries/entry_test_support.h"

namespace entries_test {
namespace {

using ImageEntries = SoftwareEntryFixture;

TEST_F(ImageEntries, DrawImageAtCopiesTheGraphicToItsPosition) {
    int graphic = MakePositionGraphic(5, 4);
    ASSERT_EQ(DrawImageAt(10, 20, graphic, 0), 0);
    EXPECT_EQ(CountDrawn(), 20);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(At(10 + x, 20 + y), Position(x, y)) << x << "," << y;
}

TEST_F(ImageEntries, RefusedGraphicsDrawNothing) {
    int graphic = MakePositionGraphic(4, 4);
    int noBlock = MakePositionGraphic(4, 4);
    TrackedFree(Entry(noBlock)->block);
    Entry(noBlock)->block = nullptr;
    struct Case {
        const char* name;
        int handle;
    } cases[] = {{"not a handle", 12345}, {"minus one", -1}, {"no image block", noBlock}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DrawImageAt(0, 0, c.handle, 0), -1);
        EXPECT_EQ(DrawImageStretched(0, 0, 8, 8, c.handle, 0), -1);
        EXPECT_EQ(DrawImageStretchedF(0, 0, 8, 8, c.handle, 0), -1);
        EXPECT_EQ(DrawImageRotated(20, 20, 1.0, 0.5, c.handle, 0, 0), -1);
        EXPECT_EQ(DrawImageTurned(0, 0, c.handle, 0), -1);
        EXPECT_EQ(DrawImageQuadF(0, 0, 8, 0, 8, 8, 0, 8, c.handle, 0), -1);
        EXPECT_EQ(DrawImagePart(0, 0, 0, 0, 2, 2, c.handle, 0, 0), -1);
        EXPECT_EQ(DrawImagePart(0, 0, 0, 0, 2, 2, c.handle, 0, 1), -1);
        EXPECT_EQ(DrawImagePartRotated(20, 20, 0, 0, 2, 2, 1.0, 0.0, c.handle, 0, 0), -1);
        EXPECT_EQ(DrawVertexArray2D(nullptr, 0, 4, c.handle, 0, 0), -1);
        EXPECT_EQ(FillGraphicRect(c.handle, 1, 2, 3, 4, 0), -1);
    }
    EXPECT_EQ(CountDrawn(), 0);
    // Uninitialised, the point draw alone refuses even a good graphic.
    libraryFlags.initialised = 0;
    EXPECT_EQ(DrawImageAt(0, 0, graphic, 0), -1);
    EXPECT_EQ(CountDrawn(), 0);
}

TEST_F(ImageEntries, StretchedWithReversedCornersMirrors) {
    int graphic = MakePositionGraphic(4, 3);
    ASSERT_EQ(DrawImageStretched(14, 5, 10, 8, graphic, 0), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(At(10 + x, 5 + y), Position(3 - x, y)) << x << "," << y;
    Fill(0);
    ASSERT_EQ(DrawImageTurned(30, 5, graphic, 0), 0);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(At(30 + x, 6), Position(3 - x, 1));
    EXPECT_EQ(CountDrawn(), 12);
}

TEST_F(ImageEntries, StretchedFTruncatesItsCornersInSoftware) {
    int graphic = MakePositionGraphic(2, 2);
    ASSERT_EQ(DrawImageStretchedF(3.9f, 4.7f, 7.2f, 8.99f, graphic, 0), 0);
    EXPECT_EQ(CountDrawn(), 16);
    EXPECT_EQ(At(3, 4), Position(0, 0));
    EXPECT_EQ(At(6, 7), Position(1, 1));
    EXPECT_EQ(At(7, 8), 0u);
}

TEST_F(ImageEntries, QuadWithClockwiseCornersDrawsUpright) {
    int graphic = MakePositionGraphic(8, 8);
    // Top left, top right, bottom right, bottom left: the graphic doubled at (40, 40).
    ASSERT_EQ(DrawImageQuadF(40, 40, 56, 40, 56, 56, 40, 56, graphic, 0), 0);
    EXPECT_EQ(At(40, 40), Position(0, 0));
    EXPECT_EQ(At(55, 40), Position(7, 0));
    EXPECT_EQ(At(40, 55), Position(0, 7));
    EXPECT_EQ(At(55, 55), Position(7, 7));
}

// Rotated by zero the graphic lands around its centre; turned, it covers the same pixels mirrored.
TEST_F(ImageEntries, RotatedByZeroDrawsTheGraphicAroundItsCentre) {
    int graphic = MakePositionGraphic(6, 4);
    for (int turn : {0, 1}) {
        SCOPED_TRACE(turn);
        Fill(0);
        ASSERT_EQ(DrawImageRotated(50, 60, 1.0, 0.0, graphic, 0, turn), 0);
        EXPECT_EQ(CountDrawn(), 24);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 6; ++x)
                EXPECT_EQ(At(47 + x, 58 + y), Position(turn ? 5 - x : x, y)) << x << "," << y;
        }
    }
}

// An empty draw area holds every draw at 0 without drawing; the clear still clears.
TEST_F(ImageEntries, EmptyDrawAreaHoldsEveryDraw) {
    int graphic = MakePositionGraphic(4, 4);
    SetClipRect(10, 10, 10, 50);
    EXPECT_EQ(DrawImageAt(10, 10, graphic, 0), 0);
    EXPECT_EQ(DrawImageStretched(0, 0, 400, 300, graphic, 0), 0);
    EXPECT_EQ(DrawImageStretchedF(0, 0, 400, 300, graphic, 0), 0);
    EXPECT_EQ(DrawImageRotated(10, 10, 2.0, 0.0, graphic, 0, 0), 0);
    EXPECT_EQ(DrawImageTurned(10, 10, graphic, 0), 0);
    EXPECT_EQ(DrawImageQuadF(0, 0, 400, 0, 400, 300, 0, 300, graphic, 0), 0);
    EXPECT_EQ(DrawImagePart(10, 10, 0, 0, 4, 4, graphic, 0, 1), 0);
    EXPECT_EQ(FillBox(0, 0, 400, 300, 0xFFFFFF), 0);
    EXPECT_EQ(OutlineBox(0, 0, 400, 300, 0xFFFFFF), 0);
    EXPECT_EQ(DrawCircleShape(10, 20, 5, 0xFFFFFF, 1), 0);
    EXPECT_EQ(DrawLineShape(10, 10, 10, 40, 0xFFFFFF, 1), 0);
    EXPECT_EQ(DrawLineShape(10, 10, 10, 40, 0xFFFFFF, 3), 0);
    EXPECT_EQ(CountDrawn(), 0);
    Fill(0x123456);
    EXPECT_EQ(ClearDrawTarget(nullptr), 0);
    EXPECT_EQ(CountDrawn(), 0);
}

}  // namespace
}  // namespace entries_test
