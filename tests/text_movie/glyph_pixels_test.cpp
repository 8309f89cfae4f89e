// Reduction of super-sampled glyphs, edge masks and the texel encodings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/text_movie/glyph_cell_store.h"
#include "engine/text_movie/glyph_edges.h"
#include "engine/text_movie/glyph_pixels.h"

namespace {

// A 1-bit bitmap from rows of '#' and '.', rows padded to 4 bytes as GDI gives them.
struct Bits {
    explicit Bits(const std::vector<std::string>& rows)
        : width(int(rows[0].size())), height(int(rows.size())), pitch((width + 31) / 32 * 4) {
        data.assign(size_t(pitch) * height, 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (rows[y][x] == '#') data[y * pitch + x / 8] |= uint8_t(0x80 >> (x % 8));
    }
    int width, height, pitch;
    std::vector<uint8_t> data;
};

std::vector<int> Values(const GlyphPixels& g) {
    return std::vector<int>(g.values.begin(), g.values.end());
}

TEST(GlyphReduce, BitCountTable) {
    const uint8_t* table = BitCountTable();
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[0xFF], 8);
    EXPECT_EQ(table[0xA5], 4);
    EXPECT_EQ(table[0x80], 1);
}

TEST(GlyphReduce, FourTimesCountsNibbleBlocks) {
    // 8 x 4: left block full (16), right block 3 bits.
    Bits bits({"####.#..", "####....", "####..#.", "####...#"});
    GlyphPixels g16 = ReduceGlyphBits(bits.data.data(), bits.pitch, bits.width, bits.height, 4, 0, 16);
    EXPECT_EQ(g16.width, 2);
    EXPECT_EQ(g16.height, 1);
    EXPECT_EQ(Values(g16), (std::vector<int>{16, 3}));
    GlyphPixels g64 = ReduceGlyphBits(bits.data.data(), bits.pitch, bits.width, bits.height, 4, 0, 64);
    EXPECT_EQ(Values(g64), (std::vector<int>{64, 12}));  // x 4
}

TEST(GlyphReduce, EightTimesCountsByteBlocks) {
    std::vector<std::string> rows(8, "########");
    rows[0] = "#.......";
    Bits bits(rows);
    GlyphPixels g64 = ReduceGlyphBits(bits.data.data(), bits.pitch, bits.width, bits.height, 8, 0, 64);
    EXPECT_EQ(Values(g64), (std::vector<int>{57}));
    GlyphPixels g16 = ReduceGlyphBits(bits.data.data(), bits.pitch, bits.width, bits.height, 8, 0, 16);
    EXPECT_EQ(Values(g16), (std::vector<int>{14}));  // >> 2
    Bits full(std::vector<std::string>(8, "########"));
    EXPECT_EQ(Values(ReduceGlyphBits(full.data.data(), full.pitch, 8, 8, 8, 0, 16)), (std::vector<int>{16}));
}

TEST(GlyphReduce, PhaseShiftsRowsAndRowsOutsideCountAsEmpty) {
    // 4 x 5 full, starting at row 2 of the first block: blocks hold 2 rows, 3 rows.
    Bits bits(std::vector<std::string>(5, "####"));
    GlyphPixels g = ReduceGlyphBits(bits.data.data(), bits.pitch, bits.width, bits.height, 4, 2, 16);
    EXPECT_EQ(g.height, 2);  // ceil((2 + 5) / 4)
    EXPECT_EQ(Values(g), (std::vector<int>{8, 12}));
}

TEST(GlyphEdges, MasksForSizesOneToFour) {
    const char* expected[4] = {
        ".#."
        "###"
        ".#.",
        ".###."
        "#####"
        "#####"
        "#####"
        ".###.",
        "...#..."
        ".#####."
        ".#####."
        "#######"
        ".#####."
        ".#####."
        "...#...",
        "..#####.."
        ".#######."
        "#########"
        "#########"
        "#########"
        "#########"
        "#########"
        ".#######."
        "..#####..",
    };
    for (int e = 1; e <= 4; ++e) {
        std::string picture;
        for (int dy = -e; dy <= e; ++dy)
            for (int dx = -e; dx <= e; ++dx) picture += InEdgeMask(e, dx, dy) ? '#' : '.';
        EXPECT_EQ(picture, expected[e - 1]) << e;
    }
    EXPECT_TRUE(InEdgeMask(5, 5, 5));  // the whole square above 4
    EXPECT_FALSE(InEdgeMask(5, 6, 0));
    EXPECT_TRUE(InGreyEdgeNeighbourhood(1, 1, 1));
    EXPECT_FALSE(InGreyEdgeNeighbourhood(1, 0, 0));
    EXPECT_FALSE(InGreyEdgeNeighbourhood(2, 2, 2));
}

TEST(GlyphTexels, SixteenLevelA4R4G4B4) {
    ColorFormat format{};
    BuildColorFormat(&format, 16, 0x0F00, 0x00F0, 0x000F, 0xF000, 0, 0, 0);
    EXPECT_EQ(GreyTexel(format, 16, 0), 0x0FFFu);
    EXPECT_EQ(GreyTexel(format, 16, 1), 0x0FFFu);
    EXPECT_EQ(GreyTexel(format, 16, 2), 0x1FFFu);
    EXPECT_EQ(GreyTexel(format, 16, 16), 0xFFFFu);
}

TEST(GlyphTexels, SixtyFourLevelArgb8) {
    ColorFormat format{};
    BuildColorFormat(&format, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000, 0, 0, 0);
    EXPECT_EQ(GreyTexel(format, 64, 0), 0x00FFFFFFu);
    EXPECT_EQ(GreyTexel(format, 64, 1), 0x00FFFFFFu);
    EXPECT_EQ(GreyTexel(format, 64, 64) >> 24, 252u);
    EXPECT_EQ(EdgeCoverageTexel(format, 64, 64) >> 24, 255u);  // the edge layer reaches full alpha
    EXPECT_EQ(EdgeCoverageTexel(format, 64, 32) >> 24, 127u);
}

}  // namespace
