// The block layout of DXT mip levels.
#include "engine/graphics/device/texture_transfer.h"

#include <gtest/gtest.h>

TEST(DxtLevelLayout, BlocksCoverEveryLevel) {
    struct Case {
        int kind, width, height, level;
        int rows, rowBytes, bytes;
    };
    for (Case c : {Case{1, 16, 4, 1, 1, 16, 16}, Case{5, 8, 8, 2, 1, 16, 16}, Case{1, 16, 16, 0, 4, 32, 128},
                   Case{3, 16, 16, 0, 4, 64, 256}, Case{1, 8, 8, 3, 1, 8, 8}, Case{2, 12, 20, 0, 5, 48, 240},
                   Case{1, 256, 4, 2, 1, 128, 128}, Case{5, 1, 1, 0, 1, 16, 16}, Case{6, 16, 16, 0, 0, 0, 0},
                   Case{1, 0, 16, 0, 0, 0, 0}, Case{1, 16, 16, -1, 0, 0, 0}}) {
        SCOPED_TRACE(testing::Message()
                     << c.kind << " " << c.width << "x" << c.height << " level " << c.level);
        DxtLevelLayout layout = DxtLevelLayoutOf(c.kind, c.width, c.height, c.level);
        EXPECT_EQ(layout.blockRows, c.rows);
        EXPECT_EQ(layout.rowBytes, c.rowBytes);
        EXPECT_EQ(layout.bytes, c.bytes);
    }
}
