#include <gtest/gtest.h>

#include "tests/graphics/entries/entry_test_support.h"

namespace entries_test {
namespace {

using VertexEntries = SoftwareEntryFixture;

struct CallerVertex {
    float x, y, u, v;
    uint8_t b, g, r, a;
};

TEST_F(VertexEntries, BadListsAreRefusedBeforeAnything) {
    const CallerVertex list[3] = {{0, 0, 0, 0, 255, 255, 255, 255},
                                  {50, 0, 1, 0, 255, 255, 255, 255},
                                  {0, 50, 0, 1, 255, 255, 255, 255}};
    struct Case {
        const void* vertices;
        int count, type;
    } cases[] = {{list, -1, 4}, {list, 0, 4}, {list, 3, 0}, {list, 3, 7}, {nullptr, 3, 4}};
    for (const Case& c : cases) {
        EXPECT_EQ(DrawVertexArray2D(c.vertices, c.count, c.type, -5, 0, 0), -1) << c.count << " " << c.type;
        EXPECT_EQ(DrawFilterRect(c.vertices, c.count, c.type, -5, 0), -1) << c.count << " " << c.type;
    }
}

TEST_F(VertexEntries, SoftwareModeDrawsNothing) {
    int graphic = MakePositionGraphic(4, 4);
    const CallerVertex list[3] = {{0, 0, 0, 0, 255, 255, 255, 255},
                                  {50, 0, 1, 0, 255, 255, 255, 255},
                                  {0, 50, 0, 1, 255, 255, 255, 255}};
    EXPECT_EQ(DrawVertexArray2D(list, 3, 4, -5, 0, 0), 0);
    EXPECT_EQ(DrawVertexArray2D(list, 3, 4, graphic, 0, 1), 0);
    EXPECT_EQ(CountDrawn(), 0);
}

}  // namespace
}  // namespace entries_test
