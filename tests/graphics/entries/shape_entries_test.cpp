#include <gtest/gtest.h>

#include "engine/graphics/entries/soft_shapes.h"
#include "tests/graphics/entries/entry_test_support.h"

namespace entries_test {
namespace {

using ShapeEntries = SoftwareEntryFixture;
constexpr uint32_t kWhite = 0xFFFFFF;

TEST_F(ShapeEntries, BoxesFillOrOutlineTheirRectangle) {
    ASSERT_EQ(DrawBoxShape(10, 20, 15, 24, kWhite, 1), 0);
    EXPECT_TRUE(OnlyRectIs(10, 20, 15, 24, kWhite));
    Fill(0);
    ASSERT_EQ(DrawBoxShape(10, 20, 15, 24, kWhite, 0), 0);
    // The outline runs along the rectangle's inside edge: 5 + 5 + 2 + 2 pixels.
    EXPECT_EQ(CountDrawn(), 14);
    for (auto [x, y] :
         {std::pair{10, 20}, {14, 20}, {10, 23}, {14, 23}, {12, 20}, {10, 22}, {14, 21}, {12, 23}})
        EXPECT_EQ(At(x, y), kWhite) << x << "," << y;
    EXPECT_EQ(At(12, 22), 0u);
}

TEST_F(ShapeEntries, CircleOfRadiusZeroIsOnePixelAndANegativeRadiusNothing) {
    ASSERT_EQ(DrawCircleShape(30, 40, 0, kWhite, 1), 0);
    EXPECT_TRUE(OnlyRectIs(30, 40, 31, 41, kWhite));
    Fill(0);
    EXPECT_EQ(DrawCircleShape(30, 40, -1, kWhite, 1), 0);
    EXPECT_EQ(CountDrawn(), 0);
    EXPECT_EQ(DrawCircleShape(30, 40, 4, kWhite, 1), 0);
    EXPECT_EQ(At(30, 40), kWhite);
    EXPECT_EQ(At(30, 36), kWhite);
    EXPECT_EQ(At(30, 35), 0u);
}

// Thin lines exclude their end point.
TEST_F(ShapeEntries, ThinLinesInEveryDirection) {
    struct Case {
        int x1, y1, x2, y2, count;
    } cases[] = {{5, 5, 25, 5, 20}, {5, 5, 5, 25, 20}, {5, 5, 25, 25, 20}, {25, 25, 5, 5, 20}};
    for (const Case& c : cases) {
        Fill(0);
        ASSERT_EQ(DrawLineShape(c.x1, c.y1, c.x2, c.y2, kWhite, 1), 0);
        EXPECT_EQ(CountDrawn(), c.count) << c.x1 << "," << c.y1 << " - " << c.x2 << "," << c.y2;
        EXPECT_EQ(At(c.x1, c.y1), kWhite);
        EXPECT_EQ(At(c.x2, c.y2), 0u);
    }
}

TEST_F(ShapeEntries, OddThickAxisLinesAreBoxes) {
    struct Case {
        int x1, y1, x2, y2, thickness;
        IntRect box;
    } cases[] = {
        {10, 0, 10, 20, 3, {9, 0, 12, 20}},
        {10, 50, 30, 50, 5, {10, 48, 30, 53}},
    };
    for (const Case& c : cases) {
        Fill(0);
        ASSERT_EQ(DrawLineShape(c.x1, c.y1, c.x2, c.y2, kWhite, c.thickness), 0);
        EXPECT_TRUE(OnlyRectIs(c.box.left, c.box.top, c.box.right, c.box.bottom, kWhite));
    }
}

TEST_F(ShapeEntries, EvenThickLinesAreQuadsAroundTheLine) {
    ASSERT_EQ(DrawThickLine(10, 0, 10, 20, 4, kWhite), 0);
    // A quad of half-width 2 each side of x = 10.
    EXPECT_EQ(At(9, 10), kWhite);
    EXPECT_EQ(At(11, 10), kWhite);
    EXPECT_EQ(At(13, 10), 0u);
    EXPECT_EQ(At(6, 10), 0u);
    Fill(0);
    ASSERT_EQ(DrawThickLine(20, 20, 60, 60, 6, kWhite), 0);
    EXPECT_EQ(At(40, 40), kWhite);
    EXPECT_EQ(At(41, 39), kWhite);
    EXPECT_EQ(At(50, 30), 0u);
}

TEST_F(ShapeEntries, ZeroLengthThickLinesDrawNothing) {
    for (int thickness : {2, 3, 4, 7}) {
        EXPECT_EQ(DrawThickLine(50, 50, 50, 50, thickness, kWhite), 0) << thickness;
        EXPECT_EQ(CountDrawn(), 0) << thickness;
    }
}

TEST_F(ShapeEntries, SoftQuadOutlineTracesItsFourEdges) {
    const SoftQuadCorner corners[4] = {{10, 10}, {20, 10}, {10, 20}, {20, 20}};
    ASSERT_EQ(SoftFillOrOutlineQuad(corners, kWhite, 0), 0);
    EXPECT_EQ(CountDrawn(), 40);
    EXPECT_EQ(At(15, 10), kWhite);
    EXPECT_EQ(At(20, 15), kWhite);
    EXPECT_EQ(At(15, 20), kWhite);
    EXPECT_EQ(At(10, 15), kWhite);
    EXPECT_EQ(At(15, 15), 0u);
    Fill(0);
    ASSERT_EQ(SoftFillOrOutlineQuad(corners, kWhite, 1), 0);
    EXPECT_EQ(At(15, 15), kWhite);
    EXPECT_EQ(At(11, 19), kWhite);
    EXPECT_EQ(At(19, 11), kWhite);
}

TEST_F(ShapeEntries, FillGraphicRectClampsAndFillsTheGraphic) {
    int graphic = MakePositionGraphic(6, 5);
    ASSERT_EQ(FillGraphicRect(graphic, 300, -4, 128, 300, 0), 0);
    ASSERT_EQ(DrawImageAt(0, 0, graphic, 0), 0);
    EXPECT_TRUE(OnlyRectIs(0, 0, 6, 5, 0xFF0080));
}

}  // namespace
}  // namespace entries_test
