// Hand-computed vectors of the image blit's add, subtract, inverse-alpha and multiply-alpha modes,
// and the fast path against the row loop.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/softrender/image_test_support.h"

namespace {

using softtest::DrawOne;
using softtest::DrawRow;
using softtest::RowCase;
using V = std::vector<uint32_t>;

RowCase Case(int kind, int mode, int param = 255) {
    RowCase c;
    c.kind = kind;
    c.mode = mode;
    c.param = param;
    return c;
}

TEST(ImageAddSubtract, ZeroParameterDrawsNothing) {
    for (int mode : {2, 3}) {
        for (int kind : {0, 1}) {
            RowCase c = Case(kind, mode, 0);
            EXPECT_EQ(DrawOne(c, 0x1234, 0x4321), 0x1234u);
            c.weight = 200;
            c.bright = 0x808080;
            EXPECT_EQ(DrawOne(c, 0x1234, 0x4321), 0x1234u);
        }
    }
}

TEST(ImageAddSubtract, PlainLeafOf32BitFollowsTheSimdFlag) {
    struct Row {
        int mode;
        uint32_t dest, src, withSimd, without;
    };
    const Row rows[] = {
        {2, 0x00808080, 0x00808080, 0x00FFFFFF, 0x01FFFFFF},
        {3, 0x00808080, 0x00808080, 0x00000000, 0x00010100},
        {3, 0x00808080, 0x00010101, 0x007F7F7F, 0x0081817F},
        {2, 0x00808080, 0x00010101, 0x00818181, 0x00808081},  // the coarse add without the flag
        {2, 0xF0000000, 0x40000000, 0xFF000000, 0x00000000},  // a direct source's byte 3 takes part
        {3, 0x30000000, 0x40000000, 0x00000000, 0x00010100},
    };
    for (const Row& r : rows) {
        RowCase c = Case(1, r.mode);
        c.simd = true;
        EXPECT_EQ(DrawOne(c, r.dest, r.src), r.withSimd) << std::hex << r.dest << " " << r.src;
        c.simd = false;
        EXPECT_EQ(DrawOne(c, r.dest, r.src), r.without) << std::hex << r.dest << " " << r.src;
    }
}

TEST(ImageAddSubtract, FastPathHasNoPlainLeaf) {
    for (bool simd : {false, true}) {
        RowCase c = Case(1, 2);
        c.flag = 1;
        c.runTable = true;
        c.simd = simd;
        EXPECT_EQ(DrawOne(c, 0x00808080, 0x00808080), 0x01FFFFFFu);
        EXPECT_EQ(DrawOne(c, 0x00808080, 0x00010101), 0x00818181u);
    }
}

TEST(ImageAddSubtract, ScaledLeavesOf32Bit) {
    // A weight of 0 still writes the pixel: the masked words clear byte 3 and touch low bits.
    RowCase c = Case(1, 2, 200);
    c.weight = 0;
    EXPECT_EQ(DrawOne(c, 0xAB808080, 0x00FFFFFF), 0x00808080u);
    c.mode = 3;
    EXPECT_EQ(DrawOne(c, 0xAB808080, 0x00FFFFFF), 0x00818180u);
    // p 255 and weight 255: the product form shifts by 16, so 255 adds 253.
    c = Case(1, 2, 255);
    c.weight = 255;
    EXPECT_EQ(DrawOne(c, 0, 0x00FFFFFF), 0x00FDFDFDu);
}

TEST(ImageAddSubtract, Words565) {
    // Green 40 + 40 overflows into 62 with red's low bit set by the carry, in every leaf.
    RowCase plain = Case(0, 2);
    EXPECT_EQ(DrawOne(plain, 0x0500, 0x0500), 0x0FC0u);
    EXPECT_EQ(DrawRow(plain, {0x0500, 0x0500}, {0x0500, 0x0500}), (V{0x0FC0, 0x0FC0}));
    RowCase fast = plain;
    fast.flag = 1;
    fast.runTable = true;
    EXPECT_EQ(DrawOne(fast, 0x0500, 0x0500), 0x0FC0u);
    RowCase tinted = Case(0, 2);
    tinted.bright = 0xFFFFFE;
    EXPECT_EQ(DrawOne(tinted, 0x0500, 0x0500), 0x0FC0u);
    EXPECT_EQ(DrawOne(Case(0, 3), 0x0000, 0x0000), 0x0800u);
}

TEST(ImageAddSubtract, PairsOf565StartAtTheFirstDrawnPixel) {
    RowCase c = Case(0, 2);
    // The left red's carry reaches the right blue of a pair; the fast path works pixel by pixel.
    EXPECT_EQ(DrawRow(c, {0xF800, 0x0000}, {0xF800, 0x0000}), (V{0xF800, 0x0001}));
    RowCase fast = c;
    fast.flag = 1;
    fast.runTable = true;
    EXPECT_EQ(DrawRow(fast, {0xF800, 0x0000}, {0xF800, 0x0000}), (V{0xF800, 0x0000}));
    // The left source pixel transparent: the right pixel is handled alone.
    RowCase keyed = c;
    keyed.flag = 2;
    keyed.transparent = 0xF800;
    EXPECT_EQ(DrawRow(keyed, {0xF800, 0x0000}, {0xF800, 0x0000}), (V{0xF800, 0x0000}));
    // Two black pixels from two black pixels.
    EXPECT_EQ(DrawRow(Case(0, 3), {0, 0}, {0, 0}), (V{0x0800, 0x0801}));
    // Odd width: pixels 0 and 1 pair, pixel 2 goes alone; clipping pixel 0 off pairs 1 and 2.
    const V dest{0x0000, 0xF800, 0x0000}, src{0x0000, 0xF800, 0x0000};
    EXPECT_EQ(DrawRow(c, dest, src), (V{0x0000, 0xF800, 0x0000}));
    c.clipLeft = 1;
    EXPECT_EQ(DrawRow(c, dest, src), (V{0x0000, 0xF800, 0x0001}));
}

TEST(ImageAddSubtract, AlphaBeforeTheTintOn565) {
    // Alpha 255 without the transparent flag scales red 31 to 30 before anything else.
    RowCase c = Case(0, 2);
    c.alpha = true;
    EXPECT_EQ(DrawOne(c, 0, 0x00FF0000 | (31u << 11)), 30u << 11);
    c.bright = 0x80FFFF;  // then the tint: trunc(30 * 128 / 255) = 15
    EXPECT_EQ(DrawOne(c, 0, 0x00FF0000 | (31u << 11)), 15u << 11);
}

TEST(ImageAddSubtract, TransparentValueBitsAboveTheIndex) {
    RowCase c = Case(1, 2);
    c.palette = true;
    c.paletteEntries = V(256, 0x00101010);
    c.transparent = 0x105;
    c.flag = 1;
    // The plain leaf compares the low 8 bits; the scaled leaves all of them.
    EXPECT_EQ(DrawOne(c, 0x00202020, 5), 0x00202020u);
    c.param = 254;
    EXPECT_EQ(DrawOne(c, 0x00202020, 5), 0x002F2F2Fu);
}

TEST(ImageInverseAndMultiplyAlpha, Vectors) {
    // Zero parameter keeps every pixel.
    for (int mode : {10, 11}) {
        RowCase c = Case(1, mode, 0);
        c.alpha = true;
        EXPECT_EQ(DrawOne(c, 0x12345678, 0x80FFFFFF), 0x12345678u);
    }
    // Inverse alpha at 255: kind 1 floors by 256, kind 0 divides by 255 and reaches the complement.
    EXPECT_EQ(DrawOne(Case(1, 10), 0xAA000000, 0x00000000), 0xAAFEFEFEu);
    EXPECT_EQ(DrawOne(Case(1, 10), 0x00FFFFFF, 0x00FFFFFF), 0x00000000u);
    EXPECT_EQ(DrawOne(Case(0, 10), 0x0000, 0x0000), 0xFFFFu);
    EXPECT_EQ(DrawOne(Case(0, 10), 0x1234, 0xF0F0), 0x0F0Fu);
    // An alpha source at 255: no factor with the transparent flag, the factor 255 without it.
    RowCase a = Case(1, 10);
    a.alpha = true;
    a.flag = 1;
    EXPECT_EQ(DrawOne(a, 0, 0xFF000000), 0x00FEFEFEu);
    EXPECT_EQ(DrawOne(a, 0x00FFFFFF, 0xFFFFFFFF), 0x00000000u);
    a.flag = 0;
    EXPECT_EQ(DrawOne(a, 0, 0xFF000000), 0x00FDFDFDu);
    EXPECT_EQ(DrawOne(a, 0x00FFFFFF, 0xFFFFFFFF), 0x00010101u);
    // The complement comes before the tint.
    RowCase tinted = Case(1, 10);
    tinted.bright = 0x808080;
    EXPECT_EQ(DrawOne(tinted, 0, 0), 0x007F7F7Fu);
    // Multiply alpha with a white source moves toward d - 1.
    EXPECT_EQ(DrawOne(Case(1, 11), 0x00807F01, 0x00FFFFFF), 0x007F7E00u);
    EXPECT_EQ(DrawOne(Case(0, 11), (16u << 11) | (33u << 5) | 1u, 0xFFFF), (15u << 11) | (32u << 5));
}

TEST(ImageInverseAndMultiplyAlpha, FineGreenOf565MultiplyAlpha) {
    // Alpha 128, p 255: green 1 over 63 gives 32 with or without the transparent flag.
    for (int flag : {0, 1}) {
        RowCase c = Case(0, 11);
        c.alpha = true;
        c.flag = flag;
        const uint32_t out = DrawOne(c, 63u << 5, 0x00800000 | (1u << 5));
        EXPECT_EQ((out >> 5) & 63, 32u) << flag;
    }
}

TEST(ImageInverseAndMultiplyAlpha, AlphaZeroAndTheWholeTransparentValue) {
    for (int mode : {10, 11}) {
        for (int flag : {0, 1}) {
            RowCase c = Case(1, mode, 200);
            c.alpha = true;
            c.flag = flag;
            EXPECT_EQ(DrawOne(c, 0x00123456, 0x00FFFFFF), 0x00123456u) << mode << " " << flag;
        }
        // A 32-bit pixel must match the transparent value in byte 3 as well.
        RowCase c = Case(1, mode, 255);
        c.flag = 1;
        c.transparent = 0x00FFFFFF;
        EXPECT_EQ(DrawOne(c, 0x00808080, 0x00FFFFFF), 0x00808080u);
        EXPECT_NE(DrawOne(c, 0x00808080, 0x01FFFFFF), 0x00808080u);
        c.flag = 0;
        EXPECT_NE(DrawOne(c, 0x00808080, 0x00FFFFFF), 0x00808080u);
    }
}

// With the transparent flag 1 on a whole, unclipped surface with a run table the fast path runs; flag 2
// takes the row loop. Both give the same picture except where the row loop has its own parameter leaves.
TEST(ImageFastPath, EqualsTheRowLoop) {
    std::mt19937 rng(7);
    for (int kind : {0, 1}) {
        for (int source = 0; source < 3; ++source) {
            for (int mode : {0, 1, 2, 3, 4, 10, 11}) {
                for (int variant = 0; variant < 4; ++variant) {
                    RowCase c = Case(kind, mode, mode == 1 ? 77 : 200);
                    c.palette = source == 0;
                    c.alpha = source == 2;
                    c.bright = variant & 1 ? 0x80C0FF : 0xFFFFFF;
                    c.weight = variant & 2 ? 150 : -1;
                    c.runTable = true;
                    c.transparent = kind == 1 ? 0x00112233 : 0x1234;
                    if (c.palette) {
                        c.transparent = 7;
                        for (int i = 0; i < 256; ++i) c.paletteEntries.push_back(rng());
                    }
                    // Mode 1 by the parameter alone has the 6-bit lerp on 565 in the row loop only.
                    if (mode == 1 && kind == 0 && variant == 0 && source != 2) continue;
                    V dest(70), src(70);
                    for (int i = 0; i < 70; ++i) {
                        dest[i] = rng() & (kind == 1 ? 0xFFFFFFFF : 0xFFFF);
                        uint32_t v = c.palette ? rng() % 16 : rng();
                        if (c.alpha) {
                            const uint32_t alphas[] = {0, 255, 128, 1};
                            v = (v & (kind == 1 ? 0xFFFFFF : 0xFFFF)) | alphas[i / 7 % 4]
                                                                            << (kind == 1 ? 24 : 16);
                        } else if (!c.palette) {
                            v &= kind == 1 ? 0xFFFFFFFF : 0xFFFF;
                            if (i % 5 == 0) v = c.transparent;
                        }
                        src[i] = v;
                    }
                    c.flag = 1;
                    const V fast = DrawRow(c, dest, src);
                    c.flag = 2;
                    const V rows = DrawRow(c, dest, src);
                    EXPECT_EQ(fast, rows) << kind << " " << source << " " << mode << " " << variant;
                    EXPECT_NE(fast, dest);
                }
            }
        }
    }
}

}  // namespace
