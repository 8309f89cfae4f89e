// Handle values as a fresh process sees them: the graphic type starts with no check value used yet.
#include "engine/graphics/handles/graphic_loading.h"
#include "tests/graphics/handles/graphics_fixture.h"

#include <vector>

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

// Graphics start may already have made graphics of its own (the default font's glyph cache): the first
// graphic of the process, whoever made it, is 0x04010000, and later ones take the following slots.
TEST_F(FirstGraphicHandleTest, FirstGraphicOfAFreshProcessIs0x04010000) {
    const int made = handleTypes[kGraphicHandleType].count;
    const int target = MakeDrawTarget(16, 16, 0);
    ASSERT_GT(target, 0);
    std::vector<int> handles;
    ForEachHandle<HandleHeader>(kGraphicHandleType,
                                [&](HandleHeader* header) { handles.push_back(int(header->handle)); });
    ASSERT_EQ(int(handles.size()), made + 1);
    EXPECT_EQ(handles.back(), 0x04010000);  // the list holds the newest first
    EXPECT_EQ(handles.front(), target);
    EXPECT_EQ(HandleIndexOf(target), made);
    EXPECT_EQ(HandleTypeOf(target), kGraphicHandleType);
}

}  // namespace
