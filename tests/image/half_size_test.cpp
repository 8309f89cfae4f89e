#include "engine/image/half_size.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/image/image_test_util.h"

namespace {

TEST(ShrinkImageByHalf, AveragesTwoByTwoBlocksPerChannel) {
    ColorFormat f = Format565();
    std::vector<uint16_t> src = {31 << 11, 31 << 11, 30 << 11, 30 << 11};  // 2 x 2, pitch 4 bytes
    uint16_t dst = 0xFFFF;
    ASSERT_EQ(ShrinkImageByHalf(&f, &dst, 2, src.data(), 4, 0, 0, 0, 0, 2, 2), 0);
    EXPECT_EQ(dst >> 11, 30);  // 122 >> 2
    EXPECT_EQ(dst & 0x7FF, 0);
}

TEST(ShrinkImageByHalf, ThirtyTwoBitRegionsWithOffsets) {
    ColorFormat f = FormatArgb8();
    // 6 x 4 source, region (2, 1) 4 x 2 -> destination (1, 1) 2 x 1 in a 4 x 3 buffer.
    std::vector<uint32_t> src(6 * 4, 0xDEADBEEF);
    const uint32_t block[2][4] = {{0xFF102030, 0x01000000, 0x80FFFFFF, 0x00000001},
                                  {0x7F203040, 0x03010101, 0x80000000, 0x00000002}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) src[(1 + y) * 6 + 2 + x] = block[y][x];
    std::vector<uint32_t> dst(4 * 3, 0);
    ASSERT_EQ(ShrinkImageByHalf(&f, dst.data(), 16, src.data(), 24, 1, 1, 2, 1, 4, 2), 0);
    EXPECT_EQ(dst[1 * 4 + 1], (uint32_t((0xFF + 0x01 + 0x7F + 0x03) >> 2) << 24) |
                                  ((0x10 + 0x20 + 1) >> 2) << 16 | ((0x20 + 0x30 + 1) >> 2) << 8 |
                                  ((0x30 + 0x40 + 1) >> 2));
    EXPECT_EQ(dst[1 * 4 + 2], 0x403F3F40u);  // A 0x100 / 4, R and G 0xFF / 4, B (0xFF + 1 + 2) / 4
    EXPECT_EQ(dst[0], 0u);
    EXPECT_EQ(dst[1 * 4 + 3], 0u);
}

TEST(ShrinkImageByHalf, OneWideAndOneHighRegionsAverageTwoPixels) {
    ColorFormat f = FormatXrgb8();
    std::vector<uint32_t> column = {10, 20, 30, 41, 50, 50, 0, 255,
                                    1,  2,  3,  4,  5,  6,  7, 9};  // 1 x 8, pitch 8
    std::vector<uint32_t> out(4, 0xFFFFFFFF);
    ASSERT_EQ(ShrinkImageByHalf(&f, out.data(), 4, column.data(), 8, 0, 0, 0, 0, 1, 8), 0);
    EXPECT_EQ(out, (std::vector<uint32_t>{(10 + 30) / 2, (50 + 0) / 2, (1 + 3) / 2, (5 + 7) / 2}));
    std::vector<uint32_t> row = {10, 20, 31, 41};
    std::vector<uint32_t> half(2, 0);
    ASSERT_EQ(ShrinkImageByHalf(&f, half.data(), 8, row.data(), 16, 0, 0, 0, 0, 4, 1), 0);
    EXPECT_EQ(half, (std::vector<uint32_t>{15, 36}));  // no fill mask is added
}

TEST(ShrinkImageByHalf, OnePixelIsCopiedAndOddSizesOrDepthsAreRefused) {
    ColorFormat f = FormatArgb8();
    uint32_t one = 0x12345678, out = 0;
    EXPECT_EQ(ShrinkImageByHalf(&f, &out, 4, &one, 4, 0, 0, 0, 0, 1, 1), 0);
    EXPECT_EQ(out, one);
    std::vector<uint32_t> buffer(16, 0);
    EXPECT_EQ(ShrinkImageByHalf(&f, buffer.data(), 16, buffer.data(), 16, 0, 0, 0, 0, 3, 2), -1);
    EXPECT_EQ(ShrinkImageByHalf(&f, buffer.data(), 16, buffer.data(), 16, 0, 0, 0, 0, 2, 3), -1);
    ColorFormat rgb24 = FormatRgb24();
    EXPECT_EQ(ShrinkImageByHalf(&rgb24, buffer.data(), 16, buffer.data(), 16, 0, 0, 0, 0, 2, 2), -1);
    uint8_t b3[3] = {1, 2, 3}, o3[3] = {0, 0, 0};
    EXPECT_EQ(ShrinkImageByHalf(&rgb24, o3, 3, b3, 3, 0, 0, 0, 0, 1, 1), 0);
    EXPECT_EQ(o3[0], 0);  // a 1 x 1 region of another depth writes nothing
}

}  // namespace
