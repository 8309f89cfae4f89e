// Handle values as a fresh process sees them: the graphic type starts with no check value used yet.
#include "engine/graphics/handles/graphic_loading.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

class FirstGraphicHandleTest : public GraphicsTest {
  protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        // Earlier tests in this process used check values; a fresh process has used none.
        ASSERT_EQ(handleTypes[kGraphicHandleType].registered, 0);
        handleTypes[kGraphicHandleType] = HandleTypeRecord{};
        Start();
    }
};

TEST_F(FirstGraphicHandleTest, FirstGraphicOfAFreshProcessIs0x04010000) {
    const int first = MakeDrawTarget(16, 16, 0);
    EXPECT_EQ(first, 0x04010000);
    const int second = MakeDrawTarget(16, 16, 0);
    EXPECT_EQ(HandleIndexOf(second), 1);
    EXPECT_EQ(HandleTypeOf(second), kGraphicHandleType);
}

}  // namespace
