#include "engine/image/color_format.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct PresetCase {
    const char* name;
    int (*set)(ColorFormat*);
    int pixelBytes, depth;
    int widths[4], shifts[4];
    uint32_t masks[4], fill;
    int fillShift, fillWidth;
};

TEST(ColorFormatPresets, FillEveryFieldOfTheTable) {
    const PresetCase cases[] = {
        {"palette8",
         SetColorFormatPalette8,
         1,
         8,
         {8, 8, 8, 0},
         {16, 8, 0, 0},
         {0xFF0000, 0xFF00, 0xFF, 0},
         0xFF000000,
         99,
         99},
        {"grey8",
         SetColorFormatGrey8,
         1,
         8,
         {8, 8, 8, 0},
         {16, 8, 0, 0},
         {0xFF0000, 0xFF00, 0xFF, 0},
         0xFF000000,
         99,
         99},
        {"xrgb8",
         SetColorFormatXrgb8,
         4,
         32,
         {8, 8, 8, 0},
         {16, 8, 0, 0},
         {0xFF0000, 0xFF00, 0xFF, 0},
         0xFF000000,
         24,
         8},
        {"argb8",
         SetColorFormatArgb8,
         4,
         32,
         {8, 8, 8, 8},
         {16, 8, 0, 24},
         {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
         0,
         99,
         99},
        {"rgb24",
         SetColorFormatRgb24,
         3,
         24,
         {8, 8, 8, 0},
         {16, 8, 0, 0},
         {0xFF0000, 0xFF00, 0xFF, 0},
         0,
         99,
         99},
    };
    for (const PresetCase& c : cases) {
        SCOPED_TRACE(c.name);
        ColorFormat f;
        std::memset(&f, 0x63, sizeof(f));  // 99 in every byte: shows which fields are left alone
        ASSERT_EQ(c.set(&f), 0);
        EXPECT_EQ(f.formatCode, 0);
        EXPECT_EQ(f.channelCount, 0);
        EXPECT_EQ(f.bitsPerChannel, 0);
        EXPECT_EQ(f.floatFlag, 0);
        EXPECT_EQ(f.pixelBytes, c.pixelBytes);
        EXPECT_EQ(f.bitDepth, c.depth);
        const int widths[4] = {f.redWidth, f.greenWidth, f.blueWidth, f.alphaWidth};
        const int shifts[4] = {f.redShift, f.greenShift, f.blueShift, f.alphaShift};
        const uint32_t masks[4] = {f.redMask, f.greenMask, f.blueMask, f.alphaMask};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(widths[i], c.widths[i]) << i;
            EXPECT_EQ(shifts[i], c.shifts[i]) << i;
            EXPECT_EQ(masks[i], c.masks[i]) << i;
        }
        EXPECT_EQ(f.fillMask, c.fill);
        EXPECT_EQ(f.fillShift, c.fillShift);
        EXPECT_EQ(f.fillWidth, c.fillWidth);
    }
}

TEST(ColorFormatPresets, GreyPaletteIsARampWithAlphaZeroOthersLeavePaletteAlone) {
    ColorFormat f;
    std::memset(&f, 0x63, sizeof(f));
    SetColorFormatGrey8(&f);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(f.palette[i].blue, i);
        ASSERT_EQ(f.palette[i].green, i);
        ASSERT_EQ(f.palette[i].red, i);
        ASSERT_EQ(f.palette[i].alpha, 0);
    }
    SetColorFormatPalette8(&f);
    EXPECT_EQ(f.palette[7].red, 7);  // untouched by the palette preset
    SetColorFormatArgb8(&f);
    EXPECT_EQ(f.palette[200].green, 200);
}

TEST(BuildColorFormat, MaskFormBuildsShiftsWidthsAndFill) {
    struct Case {
        int depth;
        uint32_t r, g, b, a;
        int widths[4], shifts[4];
        uint32_t fill;
        int fillShift, fillWidth;
    };
    const Case cases[] = {
        {16, 0xF800, 0x07E0, 0x001F, 0, {5, 6, 5, 0}, {11, 5, 0, 0}, 0, 0, 0},
        {16, 0x7C00, 0x03E0, 0x001F, 0, {5, 5, 5, 0}, {10, 5, 0, 0}, 0x8000, 15, 1},
        {16, 0x0F00, 0x00F0, 0x000F, 0xF000, {4, 4, 4, 4}, {8, 4, 0, 12}, 0, 0, 0},
        {32, 0xFF0000, 0xFF00, 0xFF, 0, {8, 8, 8, 0}, {16, 8, 0, 0}, 0xFF000000, 24, 8},
        {32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000, {10, 10, 10, 2}, {0, 10, 20, 30}, 0, 0, 0},
        {24, 0xFF0000, 0xFF00, 0xFF, 0, {8, 8, 8, 0}, {16, 8, 0, 0}, 0, 0, 0},
        {8, 0xE0, 0x1C, 0x03, 0, {3, 3, 2, 0}, {5, 2, 0, 0}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.r << "/" << c.g << "/" << c.b << "/" << c.a);
        ColorFormat f;
        std::memset(&f, 0x5A, sizeof(f));
        ASSERT_EQ(BuildColorFormat(&f, c.depth, c.r, c.g, c.b, c.a, 0, 0, 0), 0);
        EXPECT_EQ(f.formatCode, 0);
        EXPECT_EQ(f.pixelBytes, c.depth / 8);
        EXPECT_EQ(f.bitDepth, c.depth);
        EXPECT_EQ(f.redWidth, c.widths[0]);
        EXPECT_EQ(f.greenWidth, c.widths[1]);
        EXPECT_EQ(f.blueWidth, c.widths[2]);
        EXPECT_EQ(f.alphaWidth, c.widths[3]);
        EXPECT_EQ(f.redShift, c.shifts[0]);
        EXPECT_EQ(f.greenShift, c.shifts[1]);
        EXPECT_EQ(f.blueShift, c.shifts[2]);
        EXPECT_EQ(f.alphaShift, c.shifts[3]);
        EXPECT_EQ(f.fillMask, c.fill);
        EXPECT_EQ(f.fillShift, c.fillShift);
        EXPECT_EQ(f.fillWidth, c.fillWidth);
        EXPECT_EQ(f.palette[0].red, 0);  // the palette is zeroed too
    }
}

TEST(BuildColorFormat, PerChannelFormLeavesMaskFieldsZero) {
    ColorFormat f;
    std::memset(&f, 0x5A, sizeof(f));
    ASSERT_EQ(BuildColorFormat(&f, 32, 0xFF, 0xFF00, 0, 0, 4, 16, 1), 0);
    EXPECT_EQ(f.channelCount, 4);
    EXPECT_EQ(f.bitsPerChannel, 16);
    EXPECT_EQ(f.floatFlag, 1);
    EXPECT_EQ(f.pixelBytes, 8);
    EXPECT_EQ(f.bitDepth, 0);
    EXPECT_EQ(f.redMask, 0u);
    EXPECT_EQ(f.redWidth, 0);
    EXPECT_EQ(f.fillMask, 0u);
}

TEST(FixColorFormatFillMask, RecomputesFillFromMasksKeepingShiftAndWidth) {
    ColorFormat f{};
    BuildColorFormat(&f, 16, 0x7C00, 0x03E0, 0x001F, 0, 0, 0, 0);
    f.fillMask = 0;
    f.fillShift = 3;
    FixColorFormatFillMask(&f);
    EXPECT_EQ(f.fillMask, 0x8000u);
    EXPECT_EQ(f.fillShift, 3);
    BuildColorFormat(&f, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 0, 0, 0);
    f.fillMask = 0x1234;
    FixColorFormatFillMask(&f);
    EXPECT_EQ(f.fillMask, 0u);
    SetColorFormatXrgb8(&f);
    f.fillMask = 0;
    FixColorFormatFillMask(&f);
    EXPECT_EQ(f.fillMask, 0xFF000000u);
}

TEST(MakePixelValue, PaletteFormatsPickTheFirstNearestEntry) {
    ColorFormat grey{};
    SetColorFormatGrey8(&grey);
    EXPECT_EQ(MakePixelValue(&grey, 10, 10, 10, 0), 10u);
    EXPECT_EQ(MakePixelValue(&grey, 10, 11, 12, 0), 11u);
    EXPECT_EQ(MakePixelValue(&grey, 255, 255, 255, 0), 255u);
    ColorFormat pal{};
    SetColorFormatPalette8(&pal);
    std::memset(pal.palette, 0, sizeof(pal.palette));
    pal.palette[3] = {0, 0, 100, 0};
    pal.palette[5] = {0, 0, 110, 0};
    pal.palette[9] = {0, 0, 100, 0};      // same colour as entry 3: the lower index wins
    pal.palette[0] = {200, 200, 200, 0};  // far from red
    std::fill(pal.palette + 10, pal.palette + 256, PaletteEntry{200, 200, 200, 0});
    EXPECT_EQ(MakePixelValue(&pal, 104, 0, 0, 0), 3u);  // 16 vs 36 away: 3 wins
    EXPECT_EQ(MakePixelValue(&pal, 105, 0, 0, 0), 3u);  // equally near 3 and 5: the first wins
    EXPECT_EQ(MakePixelValue(&pal, 106, 0, 0, 0), 5u);
    EXPECT_EQ(MakePixelValue(&pal, 1, 2, 3, 0), 1u);  // entries 1, 2 are black: entry 1 is the first
}

TEST(MakePixelValue, MaskFormatsTruncateAndAddFill) {
    ColorFormat f{};
    SetColorFormatXrgb8(&f);
    EXPECT_EQ(MakePixelValue(&f, 0x12, 0x34, 0x56, 0x00), 0xFF123456u);
    SetColorFormatArgb8(&f);
    EXPECT_EQ(MakePixelValue(&f, 0x12, 0x34, 0x56, 0x80), 0x80123456u);
    BuildColorFormat(&f, 16, 0xF800, 0x07E0, 0x001F, 0, 0, 0, 0);
    EXPECT_EQ(MakePixelValue(&f, 0xFF, 0xFF, 0xFF, 0), 0xFFFFu);
    EXPECT_EQ(MakePixelValue(&f, 0x0F, 0x07, 0x07, 0xFF), 0x0800u | 0x0020u | 0x0000u);  // low bits dropped
    BuildColorFormat(&f, 16, 0x7C00, 0x03E0, 0x001F, 0, 0, 0, 0);
    EXPECT_EQ(MakePixelValue(&f, 0, 0, 0, 0), 0x8000u);
    BuildColorFormat(&f, 16, 0x0F00, 0x00F0, 0x000F, 0xF000, 0, 0, 0);
    EXPECT_EQ(MakePixelValue(&f, 0x10, 0x20, 0x30, 0x40), 0x4123u);
    EXPECT_EQ(MakePixelValue(&f, 0x110, 0x120, 0x130, 0x140), 0x4123u);  // only the low 8 bits count
}

TEST(UnpackPixelRgba, EightBitChannelsAreUnscaledOthersScaledTo255) {
    ColorFormat f{};
    SetColorFormatArgb8(&f);
    int r = -1, g = -1, b = -1, a = -1;
    UnpackPixelRgba(&f, 0x80123456, &r, &g, &b, &a);
    EXPECT_EQ(r, 0x12);
    EXPECT_EQ(g, 0x34);
    EXPECT_EQ(b, 0x56);
    EXPECT_EQ(a, 0x80);

    BuildColorFormat(&f, 16, 0xF800, 0x07E0, 0x001F, 0, 0, 0, 0);
    UnpackPixelRgba(&f, 0xFFFF, &r, &g, &b, &a);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 255);
    EXPECT_EQ(b, 255);
    EXPECT_EQ(a, 255);                            // no alpha channel reads as opaque
    UnpackPixelRgba(&f, 0x0821, &r, &g, &b, &a);  // 1 of 31, 1 of 63, 1 of 31
    EXPECT_EQ(r, 8);
    EXPECT_EQ(g, 4);
    EXPECT_EQ(b, 8);

    BuildColorFormat(&f, 16, 0x7C00, 0x03E0, 0x001F, 0x8000, 0, 0, 0);
    UnpackPixelRgba(&f, 0x8000, &r, &g, &b, &a);
    EXPECT_EQ(a, 255);
    UnpackPixelRgba(&f, 0x7FFF, &r, &g, &b, &a);
    EXPECT_EQ(a, 0);

    BuildColorFormat(&f, 32, 0xFF0000, 0xFF00, 0xFF, 0x03000000, 0, 0, 0);
    UnpackPixelRgba(&f, 0x02000000, &r, &g, &b, &a);
    EXPECT_EQ(a, 170);  // 2 x 255 / 3

    SetColorFormatXrgb8(&f);
    UnpackPixelRgba(&f, 0x00010203, nullptr, nullptr, nullptr, &a);
    EXPECT_EQ(a, 255);
}

TEST(ScaleChannel, WidensToFullRangeNarrowsByShiftAndZeroWidthReadsZero) {
    EXPECT_EQ(ScaleChannel(31, 5, 8), 255u);
    EXPECT_EQ(ScaleChannel(0, 5, 8), 0u);
    EXPECT_EQ(ScaleChannel(16, 5, 8), 131u);  // (16 << 3) + 16 x 7 / 31
    EXPECT_EQ(ScaleChannel(63, 6, 8), 255u);
    EXPECT_EQ(ScaleChannel(1, 1, 8), 255u);
    EXPECT_EQ(ScaleChannel(0xFF, 8, 5), 31u);
    EXPECT_EQ(ScaleChannel(0x87, 8, 5), 16u);
    EXPECT_EQ(ScaleChannel(5, 0, 8), 0u);
    EXPECT_EQ(ScaleChannel(5, 8, 8), 5u);
}

}  // namespace
