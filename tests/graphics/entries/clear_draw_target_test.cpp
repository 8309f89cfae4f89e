#include <gtest/gtest.h>

#include "tests/graphics/entries/entry_test_support.h"

namespace entries_test {
namespace {

using ClearTarget = SoftwareEntryFixture;

TEST_F(ClearTarget, ClearsTheRectangleOrTheWholeTarget) {
    struct Case {
        const char* name;
        RECT rect;
        bool whole;
    } cases[] = {{"rectangle", {10, 20, 30, 25}, false},
                 {"negative left", {-1, 20, 30, 25}, true},
                 {"negative top", {10, -5, 30, 25}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fill(0x808080);
        ASSERT_EQ(ClearDrawTarget(&c.rect), 0);
        if (c.whole)
            EXPECT_EQ(CountDrawn(), 0);
        else
            EXPECT_TRUE(OnlyRectIs(10, 20, 30, 25, 0, 0x808080));
    }
    Fill(0x808080);
    ASSERT_EQ(ClearDrawTarget(nullptr), 0);
    EXPECT_EQ(CountDrawn(), 0);
}

// The clear ignores the draw area and the blend mode.
TEST_F(ClearTarget, ClearsOutsideTheAreaAndUnblended) {
    Fill(0x808080);
    SetClipRect(100, 100, 110, 110);
    SetBlend(kBlendAdd, 128);
    ASSERT_EQ(ClearDrawTarget(nullptr), 0);
    EXPECT_EQ(CountDrawn(), 0);
}

}  // namespace
}  // namespace entries_test
