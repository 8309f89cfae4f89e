// Cache sizing, cell metrics and the height correction.
#include <gtest/gtest.h>

#include <climits>

#include "engine/text_movie/glyph_cache_layout.h"
#include "platform/gdi/gdi32.h"

namespace {

TEST(GlyphCacheLayout, TextureCacheSizes) {
    struct Case {
        int cell, count, width, height, glyphs, perColumn;
    } cases[] = {
        {200, 0, 1024, 512, 10, 2},   // 512x512 holds 4: grows wider first
        {300, 0, 2048, 1024, 18, 3},  // 1 -> 2 -> 4 -> 8 -> 18
        {8, 0, 512, 512, 2024, 64},   // 4096 capped
        {24, 0, 512, 512, 441, 21},
        {24, 100, 512, 512, 441, 21},  // side 24 x 11 = 264 -> 512
        {16, 3, 32, 32, 4, 2},         // side 16 x 2 = 32, a power of two already
        // The largest count: 65536^2 cells, capped without overflowing; a negative count is automatic.
        {8, INT_MAX, 524288, 524288, 2024, 65536},
        {24, -5, 512, 512, 441, 21},
    };
    for (const Case& c : cases) {
        GlyphCacheLayout layout = TextureCacheLayout(c.cell, c.count);
        EXPECT_EQ(layout.width, c.width) << c.cell << "/" << c.count;
        EXPECT_EQ(layout.height, c.height) << c.cell << "/" << c.count;
        EXPECT_EQ(layout.glyphCount, c.glyphs) << c.cell << "/" << c.count;
        EXPECT_EQ(layout.cellsPerColumn, c.perColumn) << c.cell << "/" << c.count;
    }
}

TEST(GlyphCacheLayout, MemoryCacheSizes) {
    struct Case {
        int cell, count, glyphs;
    } cases[] = {
        {8, 0, 2024},                                                       // 0x50000 / 64 = 5120, capped
        {600, 0, 20},                                                       // 0 -> the minimum
        {24, 0, 568},                                                       // 327680 / 576
        {24, 5, 5},   {24, 3000, 2024}, {8, INT_MAX, 2024}, {24, -5, 568},  // a negative count is automatic
    };
    for (const Case& c : cases) {
        GlyphCacheLayout layout = MemoryCacheLayout(c.cell, c.count);
        EXPECT_EQ(layout.glyphCount, c.glyphs) << c.cell;
        EXPECT_EQ(layout.width, c.cell);
        EXPECT_EQ(layout.height, c.glyphs * c.cell);
        EXPECT_EQ(layout.cellsPerColumn, c.glyphs);
    }
}

TEXTMETRICA Metrics(int height, int internal, int external, int maxWidth) {
    TEXTMETRICA tm{};
    tm.tmHeight = height;
    tm.tmInternalLeading = internal;
    tm.tmExternalLeading = external;
    tm.tmMaxCharWidth = maxWidth;
    return tm;
}

TEST(GlyphCacheLayout, HeightCorrection) {
    EXPECT_EQ(CorrectedFontHeightDelta(10, Metrics(10, 2, 0, 10)), 2);  // 10 / 0.8 = 12.5 -> 12
    EXPECT_EQ(CorrectedFontHeightDelta(16, Metrics(16, 2, 1, 16)), 3);  // 16 / (13/16) = 19.69 -> 19
    EXPECT_EQ(CorrectedFontHeightDelta(64, Metrics(64, 0, 8, 64)), 9);  // external leading counts too
    EXPECT_EQ(CorrectedFontHeightDelta(16, Metrics(16, 0, 0, 16)), 0);
}

TEST(GlyphCacheLayout, CellSizeAndLineHeight) {
    struct Case {
        int height, maxWidth, sample, edgeSize;
        bool edge;
        int cell, line;
    } cases[] = {
        {16, 16, 1, 1, false, 24, 18},  // 20 -> 24; 17 -> 18
        {16, 16, 1, 2, true, 24, 22},   // 24 stays; 21 -> 22
        {64, 64, 4, 1, false, 24, 18},  // super-sampled metrics are divided first
        {30, 8, 1, 1, false, 32, 32},   // the even line height beats the cell, not rounded to 8
        {33, 8, 1, 1, false, 34, 34},
    };
    for (const Case& c : cases) {
        FontCellMetrics m =
            ComputeFontCellMetrics(Metrics(c.height, 0, 0, c.maxWidth), c.sample, c.edgeSize, c.edge);
        EXPECT_EQ(m.cellSize, c.cell) << c.height << "/" << c.maxWidth;
        EXPECT_EQ(m.lineHeight, c.line) << c.height << "/" << c.maxWidth;
    }
}

TEST(GlyphCacheLayout, SuperSampleFactorsAndTypes) {
    for (int type : {0, 1, 2, 3}) EXPECT_EQ(SuperSampleFactor(type), 1);
    for (int type : {18, 19}) EXPECT_EQ(SuperSampleFactor(type), 4);
    for (int type : {34, 35}) EXPECT_EQ(SuperSampleFactor(type), 8);
    for (int type : {4, 16, 17, 20, 36, -2}) {
        EXPECT_EQ(SuperSampleFactor(type), 1);
        EXPECT_FALSE(IsValidFontType(type));
    }
    EXPECT_EQ(GdiCharSetOfCode(0), DEFAULT_CHARSET);
    EXPECT_EQ(GdiCharSetOfCode(1), SHIFTJIS_CHARSET);
    EXPECT_EQ(GdiCharSetOfCode(4), GB2312_CHARSET);
}

}  // namespace
