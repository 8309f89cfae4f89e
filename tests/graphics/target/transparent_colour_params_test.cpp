// The transparent colour as creation parameter: taken when the parameters are filled, so a later change
// does not reach a graphic already being made.
#include <gtest/gtest.h>

#include "engine/graphics/graphics.h"
#include "engine/graphics/handles/graphic_create_params.h"
#include "tests/graphics/target/target_test_support.h"

namespace graphics_test {
namespace {

using TransparentColourParamsTest = TargetFixture;

TEST_F(TransparentColourParamsTest, CreationWordZeroIsTheColourAtFillTime) {
    struct Case {
        int r, g, b;
        int32_t word;
    } cases[] = {{0, 255, 0, 0x0000FF00}, {255, 0, 0, 0x00FF0000}, {1, 2, 3, 0x00010203}};
    for (const Case& c : cases) {
        ASSERT_EQ(SetTransparentColour(c.r, c.g, c.b), 0);
        GraphicCreateParams params{};
        FillGraphicCreateParams(&params);
        EXPECT_EQ(params.words[CREATE_TRANSPARENT_COLOR], c.word);
        SetTransparentColour(9, 9, 9);
        EXPECT_EQ(params.words[CREATE_TRANSPARENT_COLOR], c.word);
    }
}

}  // namespace
}  // namespace graphics_test
