// A blend graphic smaller than the drawn graphic refuses every graphic draw; shapes take no graphic and
// still draw.
#include <gtest/gtest.h>

#include "engine/graphics/target/frame_flip.h"
#include "tests/graphics/entries/entry_test_support.h"

namespace entries_test {
namespace {

class BlendGraphicCheck : public SoftwareEntryFixture {
  protected:
    void TearDown() override {
        SetBlendGraphicCore(-1, 0, nullptr);
        SoftwareEntryFixture::TearDown();
    }
    void UseBlendGraphic(int width, int height) {
        const int params[1] = {128};
        ASSERT_EQ(SetBlendGraphicCore(MakePositionGraphic(width, height), 0, params), 0);
    }
};

TEST_F(BlendGraphicCheck, OnePixelNarrowerRefusesGraphicDrawsButNotShapes) {
    const int graphic = MakePositionGraphic(8, 6);
    UseBlendGraphic(7, 6);
    EXPECT_EQ(DrawImageAt(10, 10, graphic, 0), -1);
    EXPECT_EQ(DrawImageStretched(10, 10, 30, 30, graphic, 0), -1);
    EXPECT_EQ(DrawImageStretchedF(10, 10, 30, 30, graphic, 0), -1);
    EXPECT_EQ(DrawImageRotated(50, 50, 1.0, 0.5, graphic, 0, 0), -1);
    EXPECT_EQ(DrawImageTurned(10, 10, graphic, 0), -1);
    EXPECT_EQ(DrawImageQuadF(10, 10, 18, 10, 18, 16, 10, 16, graphic, 0), -1);
    EXPECT_EQ(DrawImagePart(10, 10, 0, 0, 4, 4, graphic, 0, 0), -1);
    EXPECT_EQ(DrawImagePart(10, 10, 0, 0, 4, 4, graphic, 0, 1), -1);
    EXPECT_EQ(CountDrawn(), 0);
    const uint32_t white = 0xFFFFFF;
    EXPECT_EQ(FillBox(100, 100, 110, 110, white), 0);
    EXPECT_EQ(DrawBoxShape(120, 100, 130, 110, white, 0), 0);
    EXPECT_EQ(DrawCircleShape(150, 105, 3, white, 1), 0);
    EXPECT_EQ(DrawLineShape(200, 100, 220, 100, white, 1), 0);
    for (auto [x, y] : {std::pair{105, 105}, {120, 105}, {150, 105}, {210, 100}})
        EXPECT_NE(At(x, y), 0u) << x << "," << y;
}

TEST_F(BlendGraphicCheck, SameSizeOrLargerIsAccepted) {
    const int graphic = MakePositionGraphic(8, 6);
    for (auto [width, height] : {std::pair{8, 6}, {9, 7}}) {
        UseBlendGraphic(width, height);
        EXPECT_EQ(DrawImageAt(10, 10, graphic, 0), 0) << width;
        EXPECT_EQ(DrawImageRotated(50, 50, 1.0, 0.5, graphic, 0, 0), 0) << width;
    }
    UseBlendGraphic(8, 5);
    EXPECT_EQ(DrawImageAt(10, 10, graphic, 0), -1);
}

}  // namespace
}  // namespace entries_test
