#include "engine/graphics/filters/filter_geometry.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

GraphicFilterContext Rectangle(int x1, int y1, int x2, int y2, int blendX = 0, int blendY = 0,
                               int destinationX = 0, int destinationY = 0, int blendFlag = 0) {
    GraphicFilterContext c{};
    c.x1 = x1, c.y1 = y1, c.x2 = x2, c.y2 = y2;
    c.blendX = blendX, c.blendY = blendY;
    c.destinationX = destinationX, c.destinationY = destinationY;
    c.blendFlag = blendFlag;
    return c;
}

TEST(FilterGeometry, KindsAndRatio) {
    struct Case {
        int blendFlag, kind, result;
    };
    for (Case c : {Case{0, 0, 0}, Case{0, 9, 0}, Case{0, 10, -1}, Case{0, -1, -1}, Case{1, 16, 0},
                   Case{1, 17, -1}, Case{1, 1, 0}})
        EXPECT_EQ(CheckFilterKind(c.blendFlag, c.kind), c.result) << c.blendFlag << " " << c.kind;
    EXPECT_FLOAT_EQ(FilterBlendRatio(300), 1.0f);
    EXPECT_FLOAT_EQ(FilterBlendRatio(-1), 0.0f);
    EXPECT_FLOAT_EQ(FilterBlendRatio(51), 0.2f);
}

TEST(FilterGeometry, NegativeCornersMoveTheirPartners) {
    const FilterGraphicSizes sizes{40, 30, 40, 30, 40, 30};
    GraphicFilterContext c = Rectangle(-5, 0, 20, 10, 2, 3, 1, 0, 1);
    ASSERT_EQ(ClipFilterRectangle(&c, sizes, 0), 1);
    EXPECT_EQ(c.x1, 0);
    EXPECT_EQ(c.destinationX, 6);
    EXPECT_EQ(c.blendX, 7);
    EXPECT_EQ(c.resultWidth, 20);

    c = Rectangle(3, 4, 20, 10, 0, 0, -5, -2, 1);
    ASSERT_EQ(ClipFilterRectangle(&c, sizes, 0), 1);
    EXPECT_EQ(c.x1, 8);
    EXPECT_EQ(c.y1, 6);
    EXPECT_EQ(c.blendX, 5);
    EXPECT_EQ(c.blendY, 2);
    EXPECT_EQ(c.destinationX, 0);
    EXPECT_EQ(c.resultWidth, 12);
    EXPECT_EQ(c.resultHeight, 4);
}

// Corners at the ends of the int range move their partners without overflow: a partner pushed past
// INT_MAX is held there, outside every graphic, and nothing is left to filter.
TEST(FilterGeometry, PartnersMovedPastTheIntRangeAreHeldThere) {
    const FilterGraphicSizes sizes{40, 30, 40, 30, 40, 30};
    const GraphicFilterContext cases[] = {
        Rectangle(0, 0, 20, 10, INT_MAX - 5, 0, INT_MIN + 1, 0, 1),
        Rectangle(INT_MIN, 0, 20, 10, 3, 0, INT_MAX, 0, 1),
        Rectangle(0, INT_MIN + 1, 20, 10, 0, INT_MAX, 0, 5, 1),
        Rectangle(0, 0, 20, 10, INT_MIN, INT_MIN, 0, 0, 1),
    };
    for (GraphicFilterContext c : cases) {
        EXPECT_EQ(ClipFilterRectangle(&c, sizes, 0), 0);
        for (int v : {c.x1, c.y1, c.blendX, c.blendY, c.destinationX, c.destinationY}) EXPECT_GE(v, 0);
    }
}

// The blend rectangle stays inside the blend graphic.
TEST(FilterGeometry, BlendRectangleIsClippedToTheBlendGraphic) {
    const FilterGraphicSizes sizes{40, 30, 10, 8, 40, 30};
    GraphicFilterContext c = Rectangle(0, 0, 20, 20, -3, 0, 0, 0, 1);
    ASSERT_EQ(ClipFilterRectangle(&c, sizes, 0), 1);
    EXPECT_EQ(c.blendX, 0);
    EXPECT_EQ(c.x1, 3);
    EXPECT_EQ(c.destinationX, 3);
    EXPECT_EQ(c.x2, 13);
    EXPECT_EQ(c.y2, 8);
    EXPECT_EQ(c.resultWidth, 10);
    EXPECT_EQ(c.resultHeight, 8);

    c = Rectangle(0, 0, 20, 20, 6, 2, 0, 0, 1);
    ASSERT_EQ(ClipFilterRectangle(&c, sizes, 0), 1);
    EXPECT_EQ(c.resultWidth, 4);
    EXPECT_EQ(c.resultHeight, 6);

    c = Rectangle(0, 0, 20, 20, 10, 0, 0, 0, 1);
    EXPECT_EQ(ClipFilterRectangle(&c, sizes, 0), 0);
    // Without the blend flag the blend graphic plays no part.
    c = Rectangle(0, 0, 20, 20, 10, 0, 0, 0, 0);
    ASSERT_EQ(ClipFilterRectangle(&c, sizes, 0), 1);
    EXPECT_EQ(c.resultWidth, 20);
}

TEST(FilterGeometry, EmptyOrOutsideRectangles) {
    const FilterGraphicSizes sizes{16, 16, 16, 16, 8, 8};
    struct Case {
        int x1, y1, x2, y2, destinationX, destinationY, result;
    };
    for (Case c : {Case{5, 0, 5, 4, 0, 0, -1}, Case{0, 3, 4, 2, 0, 0, -1}, Case{-8, 0, -2, 4, 0, 0, 0},
                   Case{16, 0, 20, 4, 0, 0, 0}, Case{0, 0, 4, 4, 8, 0, 0}, Case{0, 0, 4, 4, 0, 8, 0},
                   Case{0, 0, 4, 4, 7, 7, 1}}) {
        GraphicFilterContext context =
            Rectangle(c.x1, c.y1, c.x2, c.y2, 0, 0, c.destinationX, c.destinationY);
        EXPECT_EQ(ClipFilterRectangle(&context, sizes, 0), c.result)
            << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2 << " at " << c.destinationX;
    }
    GraphicFilterContext c = Rectangle(0, 0, 30, 30, 0, 0, 5, 6);
    ASSERT_EQ(ClipFilterRectangle(&c, sizes, 0), 1);
    EXPECT_EQ(c.resultWidth, 3);
    EXPECT_EQ(c.resultHeight, 2);
    EXPECT_EQ(c.x2, 3);
    EXPECT_EQ(c.y2, 2);
}

TEST(FilterGeometry, DownScaleResultFitsTheDestination) {
    struct Case {
        int width, height, factor, destination, resultWidth, resultHeight, x2;
    };
    for (Case c : {Case{10, 10, 4, 64, 2, 2, 8}, Case{16, 9, 2, 64, 8, 4, 16}, Case{64, 64, 8, 64, 8, 8, 64},
                   Case{40, 40, 2, 5, 5, 5, 10}, Case{3, 3, 4, 64, 0, 0, 0}}) {
        FilterGraphicSizes sizes{c.width, c.height, 0, 0, c.destination, c.destination};
        GraphicFilterContext context = Rectangle(0, 0, c.width, c.height);
        int result = ClipFilterRectangle(&context, sizes, c.factor);
        EXPECT_EQ(result, c.resultWidth > 0 ? 1 : 0) << c.width << "/" << c.factor;
        if (result != 1) continue;
        EXPECT_EQ(context.resultWidth, c.resultWidth) << c.width << "/" << c.factor;
        EXPECT_EQ(context.resultHeight, c.resultHeight) << c.height << "/" << c.factor;
        EXPECT_EQ(context.x2, c.x2);
    }
}

}  // namespace
