#include "engine/image/pixel_convert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "engine/image/image_memory.h"
#include "engine/image/pixel_convert_internal.h"
#include "engine/image/soft_image.h"
#include "tests/image/image_test_util.h"

namespace {

struct Buffer {
    ColorFormat f;
    int w, h, pitch;
    std::vector<uint8_t> bytes;
    Buffer(const ColorFormat& format, int width, int height, uint8_t fill = 0)
        : f(format), w(width), h(height), pitch(width * format.pixelBytes + 4), bytes(pitch * height, fill) {}
    uint8_t* At(int x, int y) { return bytes.data() + y * pitch + x * f.pixelBytes; }
    uint32_t Get(int x, int y) { return ReadPixelValue(At(x, y), f.pixelBytes); }
    void Set(int x, int y, uint32_t v) { WritePixelValue(At(x, y), f.pixelBytes, v); }
};

struct Options {
    int mirror = 0, keyToAlpha = 0;
    uint32_t key = 0;
    int dither = 0, alphaOnly = 0, alphaFromRed = 0, skipKey = 0, remap = 0;
};

int Convert(Buffer& dst, Buffer& src, const Options& o, RECT rect, int destX = 0, int destY = 0,
            Buffer* alpha = nullptr) {
    return ConvertPixelFormatBlit(dst.bytes.data(), dst.pitch, &dst.f, src.bytes.data(), src.pitch, &src.f,
                                  alpha ? alpha->bytes.data() : nullptr, alpha ? alpha->pitch : 0,
                                  alpha ? &alpha->f : nullptr, destX, destY, &rect, o.mirror, o.keyToAlpha,
                                  o.key, o.dither, o.alphaOnly, o.alphaFromRed, o.skipKey, o.remap);
}

RECT Whole(const Buffer& b) {
    return RECT{0, 0, b.w, b.h};
}

// A palette whose entry i is a distinct colour with alpha 0.
ColorFormat Palette8() {
    ColorFormat f{};
    SetColorFormatPalette8(&f);
    for (int i = 0; i < 256; ++i)
        f.palette[i] = PaletteEntry{uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 13 + 5), 0};
    return f;
}

uint32_t PaletteArgb(const ColorFormat& f, int i) {
    const PaletteEntry& e = f.palette[i];
    return e.blue | e.green << 8 | e.red << 16 | uint32_t(e.alpha) << 24;
}

// ---- One case per row of the dedicated loops, with the value each row's rule gives.

struct LoopCase {
    const char* name;
    ColorFormat src, dst;
    int keyToAlpha;
    uint32_t key;
    uint32_t in;        // raw source value (an index for 8-bit sources)
    uint32_t expected;  // raw destination value
};

std::vector<LoopCase> LoopCases() {
    ColorFormat pal = Palette8();
    uint32_t e = PaletteArgb(pal, 40);  // red 0x0D, green 0xD7, blue 0x18
    uint32_t e565 = (e >> 8 & 0xF800) | (e >> 5 & 0x7E0) | (e >> 3 & 0x1F);
    uint32_t e555 = (e >> 9 & 0x7C00) | (e >> 6 & 0x3E0) | (e >> 3 & 0x1F);
    ColorFormat rgb32a = MaskFormat(32, 0xFF0000, 0xFF00, 0xFF, 0x0F000000);
    return {
        {"8->565", pal, Format565(), 0, 0, 40, e565},
        {"8->555", pal, FormatX555(), 0, 0, 40, e555 | 0x8000},
        {"8->xrgb", pal, FormatXrgb8(), 0, 0, 40, e | 0xFF000000},
        {"rgb24->565", FormatRgb24(), Format565(), 0, 0, 0xF8FCF8, 0xFFFF},
        {"rgb24->565b", FormatRgb24(), Format565(), 0, 0, 0x123456,
         (0x12 >> 3) << 11 | (0x34 >> 2) << 5 | 0x56 >> 3},
        {"rgb24->555", FormatRgb24(), FormatX555(), 0, 0, 0x123456,
         (0x12 >> 3) << 10 | (0x34 >> 3) << 5 | 0x56 >> 3 | 0x8000},
        {"rgb24->32", FormatRgb24(), rgb32a, 0, 0, 0x123456, 0xFF123456},
        {"xrgb->565", FormatXrgb8(), Format565(), 0, 0, 0x77123456,
         (0x12 >> 3) << 11 | (0x34 >> 2) << 5 | 0x56 >> 3},
        {"565->rgb24", Format565(), FormatRgb24(), 0, 0, 0xFFFF, 0xF8FCF8},
        {"565->xrgb", Format565(), FormatXrgb8(), 0, 0, 0xFFFF, 0x00F8FCF8},
        {"565->555", Format565(), FormatX555(), 0, 0, 0xFFFF, 0x7FFF},
        {"565->555b", Format565(), FormatX555(), 0, 0, 0x8421, 0x4201},
        {"555->565", FormatX555(), Format565(), 0, 0, 0x7FFF, 0xFFFF},
        {"555->565b", FormatX555(), Format565(), 0, 0, 0x0421, 0x0861},
        {"8->a555 key", pal, FormatA1555(), 1, e & 0xFFFFFF, 40, e555},
        {"8->a555 other", pal, FormatA1555(), 1, 0x123456, 40, e555 | 0x8000},
        {"8->argb key", pal, FormatArgb8(), 1, e & 0xFFFFFF, 40, e},
        {"8->argb other", pal, FormatArgb8(), 1, 0x123456, 40, e | 0xFF000000},
        {"rgb24->a555 key", FormatRgb24(), FormatA1555(), 1, 0x123456, 0x123456, 0x08CA},
        {"rgb24->a555 other", FormatRgb24(), FormatA1555(), 1, 0x123457, 0x123456, 0x88CA},
        {"rgb24->argb key", FormatRgb24(), FormatArgb8(), 1, 0x123456, 0x123456, 0x00123456},
        {"rgb24->argb other", FormatRgb24(), FormatArgb8(), 1, 0x654321, 0x123456, 0xFF123456},
        // 565 keyed rows compare in 5-5-5: the key (0xF8, 0xFC, 0xF8) reduces to 0x7FFF.
        {"565->a555 key", Format565(), FormatA1555(), 1, 0xF8FCF8, 0xFFFF, 0x7FFF},
        {"565->a555 key lsb", Format565(), FormatA1555(), 1, 0xF8F8F8, 0xFFDF, 0x7FFF},  // green LSB ignored
        {"565->a555 other", Format565(), FormatA1555(), 1, 0x000000, 0xFFFF, 0xFFFF},
        {"565->argb key", Format565(), FormatArgb8(), 1, 0xF8FCF8, 0xFFFF, 0x00F8FCF8},
        {"565->argb other", Format565(), FormatArgb8(), 1, 0x000000, 0xFFFF, 0xFFF8FCF8},
    };
}

TEST(ConvertPixelFormatBlit, DedicatedLoopRows) {
    for (const LoopCase& c : LoopCases()) {
        SCOPED_TRACE(c.name);
        Buffer src(c.src, 2, 1);
        Buffer dst(c.dst, 2, 1, 0xCD);
        src.Set(0, 0, c.in);
        src.Set(1, 0, c.in);
        Options o;
        o.keyToAlpha = c.keyToAlpha;
        o.key = c.key;
        ASSERT_EQ(Convert(dst, src, o, Whole(src)), 0);
        EXPECT_EQ(dst.Get(0, 0), c.expected) << std::hex << dst.Get(0, 0);
        EXPECT_EQ(dst.Get(1, 0), c.expected);
    }
}

// The dedicated loops give the general path's result wherever the general path's rules give the same
// value (all narrowing rows and the keyed rows with an exact key).
TEST(ConvertPixelFormatBlit, DedicatedLoopsEqualTheGeneralPath) {
    ColorFormat pal = Palette8();
    struct Pair {
        const char* name;
        ColorFormat src, dst;
        int keyToAlpha;
    };
    const Pair pairs[] = {
        {"8->565", pal, Format565(), 0},
        {"8->555", pal, FormatX555(), 0},
        {"8->xrgb", pal, FormatXrgb8(), 0},
        {"rgb24->565", FormatRgb24(), Format565(), 0},
        {"rgb24->555", FormatRgb24(), FormatX555(), 0},
        {"rgb24->argb", FormatRgb24(), FormatArgb8(), 0},
        {"rgb24->xrgb", FormatRgb24(), FormatXrgb8(), 0},
        {"xrgb->565", FormatXrgb8(), Format565(), 0},
        {"8->a555 keyed", pal, FormatA1555(), 1},
        {"8->argb keyed", pal, FormatArgb8(), 1},
        {"rgb24->a555 keyed", FormatRgb24(), FormatA1555(), 1},
        {"rgb24->argb keyed", FormatRgb24(), FormatArgb8(), 1},
    };
    std::mt19937 rng(7);
    for (const Pair& p : pairs) {
        SCOPED_TRACE(p.name);
        Buffer src(p.src, 16, 8);
        for (auto& b : src.bytes) b = uint8_t(rng());
        uint32_t key =
            p.src.bitDepth == 8 ? PaletteArgb(pal, src.bytes[3]) & 0xFFFFFF : src.Get(3, 0) & 0xFFFFFF;
        Buffer viaLoop(p.dst, 16, 8, 0x11), viaGeneral(p.dst, 16, 8, 0x11);
        Options o;
        o.keyToAlpha = p.keyToAlpha;
        o.key = key;
        RECT rect{2, 1, 14, 8};
        ASSERT_EQ(Convert(viaLoop, src, o, rect, 1, 0), 0);

        BlitRegion region{viaGeneral.bytes.data(),
                          viaGeneral.pitch,
                          src.bytes.data(),
                          src.pitch,
                          nullptr,
                          0,
                          1,
                          0,
                          rect.left,
                          rect.top,
                          rect.right - rect.left,
                          rect.bottom - rect.top};
        BlitOptions bo{};
        bo.keyToAlpha = p.keyToAlpha;
        bo.keyColor = key;
        ColorFormat none{};
        RunGeneralConvert(region, p.dst, p.src, none, bo);
        EXPECT_EQ(viaLoop.bytes, viaGeneral.bytes);
    }
}

// ---- The general path and the decision steps.

TEST(ConvertPixelFormatBlit, GeneralPathWidensWithFullRangeAndFullAlpha) {
    Buffer src(Format565(), 1, 1);
    src.Set(0, 0, 0xFFFF);
    Buffer argb(FormatArgb8(), 1, 1), xrgb(FormatXrgb8(), 1, 1);
    ASSERT_EQ(Convert(argb, src, {}, Whole(src)), 0);
    EXPECT_EQ(argb.Get(0, 0), 0xFFFFFFFFu);
    ASSERT_EQ(Convert(xrgb, src, {}, Whole(src)), 0);
    EXPECT_EQ(xrgb.Get(0, 0), 0x00F8FCF8u);  // the dedicated loop: no bit replication
    src.Set(0, 0, 0x8410);                   // 16, 32, 16
    Convert(argb, src, {}, Whole(src));
    EXPECT_EQ(argb.Get(0, 0), 0xFF838183u);
}

TEST(ConvertPixelFormatBlit, GeneralPathNarrowsAlphaAndClampsAndAddsFill) {
    Buffer src(FormatArgb8(), 3, 1);
    src.Set(0, 0, 0x80FF0000);
    src.Set(1, 0, 0x7F00FF00);
    src.Set(2, 0, 0xFF0000FF);
    Buffer dst(FormatA1555(), 3, 1);
    ASSERT_EQ(Convert(dst, src, {}, Whole(src)), 0);
    EXPECT_EQ(dst.Get(0, 0), 0x8000u | 0x7C00u);
    EXPECT_EQ(dst.Get(1, 0), 0x03E0u);
    EXPECT_EQ(dst.Get(2, 0), 0x801Fu);
    Buffer x555(FormatX555(), 3, 1), rgb(FormatRgb24(), 3, 1);
    Convert(x555, src, {}, Whole(src));
    EXPECT_EQ(x555.Get(1, 0), 0x83E0u);  // fill bit of 16-bit targets
    Convert(rgb, src, {}, Whole(src));
    EXPECT_EQ(rgb.Get(0, 0), 0xFF0000u);
}

TEST(ConvertPixelFormatBlit, ErrorCarryDitherAlternates) {
    Buffer src(FormatXrgb8(), 8, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x) src.Set(x, y, 0x04);
    Buffer dst(FormatX555(), 8, 2);
    Options o;
    o.dither = PIXEL_DITHER_ERROR_CARRY;
    ASSERT_EQ(Convert(dst, src, o, Whole(src)), 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(dst.Get(x, y) & 0x1F, uint32_t(x % 2)) << x << "," << y;  // carried across rows
}

TEST(ConvertPixelFormatBlit, OrderedDitherFollowsTheMatrix) {
    const int matrix[16] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};
    for (uint32_t low : {1u, 4u, 7u}) {
        SCOPED_TRACE(low);
        Buffer src(FormatXrgb8(), 6, 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x) src.Set(x, y, 0x10 | low);
        Buffer dst(FormatX555(), 6, 5);
        Options o;
        o.dither = PIXEL_DITHER_ORDERED;
        RECT rect{1, 1, 6, 5};  // the matrix is indexed from the rectangle's corner
        ASSERT_EQ(Convert(dst, src, o, rect), 0);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) {
                uint32_t threshold = (8 * matrix[(x & 3) + (y & 3) * 4]) >> 4;
                EXPECT_EQ(dst.Get(x, y) & 0x1F, 2u + (threshold < low ? 1u : 0u)) << x << "," << y;
            }
    }
}

TEST(ConvertPixelFormatBlit, DitherClampsAtTheChannelMaximum) {
    Buffer src(FormatXrgb8(), 4, 1);
    for (int x = 0; x < 4; ++x) src.Set(x, 0, 0xFFFFFF);
    Buffer dst(FormatX555(), 4, 1);
    Options o;
    o.dither = PIXEL_DITHER_ERROR_CARRY;
    Convert(dst, src, o, Whole(src));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.Get(x, 0), 0xFFFFu);
}

TEST(ConvertPixelFormatBlit, EmptyRectanglesAreRefused) {
    Buffer src(FormatXrgb8(), 2, 2), dst(FormatXrgb8(), 2, 2, 0x33);
    const RECT rects[] = {{0, 0, 0, 2}, {0, 0, 2, 0}, {1, 0, 0, 2}, {0, 2, 2, 1}};
    for (const RECT& r : rects) {
        EXPECT_EQ(Convert(dst, src, {}, r), -1);
        for (uint8_t b : dst.bytes) ASSERT_EQ(b, 0x33);
    }
}

TEST(ConvertPixelFormatBlit, PaletteCopyReturnsHighestIndexAndRemapUsesNearestEntry) {
    ColorFormat grey = FormatGrey8();
    Buffer src(grey, 3, 2), dst(grey, 3, 2);
    const uint8_t idx[6] = {5, 200, 17, 0, 42, 199};
    for (int i = 0; i < 6; ++i) src.Set(i % 3, i / 3, idx[i]);
    EXPECT_EQ(Convert(dst, src, {}, Whole(src)), 200);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(dst.Get(i % 3, i / 3), idx[i]);

    ColorFormat inverted = grey;
    for (int i = 0; i < 256; ++i)
        inverted.palette[i] = PaletteEntry{uint8_t(255 - i), uint8_t(255 - i), uint8_t(255 - i), 0};
    Buffer remapped(inverted, 3, 2);
    Options o;
    o.remap = 1;
    EXPECT_EQ(Convert(remapped, src, o, Whole(src)), 0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(remapped.Get(i % 3, i / 3), 255u - idx[i]);
    // Without remapping the indices are copied.
    EXPECT_EQ(Convert(remapped, src, {}, Whole(src)), 200);
    EXPECT_EQ(remapped.Get(1, 0), 200u);
}

TEST(ConvertPixelFormatBlit, NonPaletteIntoPaletteTakesTheNearestIndexMirroredOrNot) {
    ColorFormat grey = FormatGrey8();
    Buffer src(Format565(), 3, 1);
    src.Set(0, 0, 0x0000);
    src.Set(1, 0, 0xFFFF);
    src.Set(2, 0, 0x8410);  // widened to 131, 129, 131
    Buffer dst(grey, 3, 1), mirrored(grey, 3, 1);
    EXPECT_EQ(Convert(dst, src, {}, Whole(src)), 0);
    EXPECT_EQ(dst.Get(0, 0), 0u);
    EXPECT_EQ(dst.Get(1, 0), 255u);
    EXPECT_EQ(dst.Get(2, 0), 130u);
    Options o;
    o.mirror = 1;
    EXPECT_EQ(Convert(mirrored, src, o, Whole(src)), 0);
    EXPECT_EQ(mirrored.Get(2, 0), 0u);
    EXPECT_EQ(mirrored.Get(1, 0), 255u);
    EXPECT_EQ(mirrored.Get(0, 0), 130u);
}

TEST(ConvertPixelFormatBlit, MirrorWritesRowsRightToLeft) {
    for (const ColorFormat& f : {FormatXrgb8(), Format565()}) {
        Buffer src(FormatXrgb8(), 4, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) src.Set(x, y, 0x100000 * (y + 1) + 0x800 * x + 0x10);
        Buffer plain(f, 6, 3), mirrored(f, 6, 3);
        Options o;
        o.mirror = 1;
        Convert(plain, src, {}, Whole(src), 1, 1);
        Convert(mirrored, src, o, Whole(src), 1, 1);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) EXPECT_EQ(mirrored.Get(1 + x, 1 + y), plain.Get(1 + 3 - x, 1 + y));
        EXPECT_EQ(mirrored.Get(0, 1), 0u);
        EXPECT_EQ(mirrored.Get(5, 1), 0u);
    }
    Buffer one(FormatArgb8(), 1, 1), dst(FormatArgb8(), 4, 4);
    one.Set(0, 0, 0x12345678);
    Options o;
    o.mirror = 1;
    Convert(dst, one, o, Whole(one), 2, 3);
    EXPECT_EQ(dst.Get(2, 3), 0x12345678u);
}

TEST(ConvertPixelFormatBlit, SkipKeyLeavesKeyPixelsUntouched) {
    // Same layout, 24-bit: the key's low 24 bits count.
    Buffer src(FormatRgb24(), 3, 1);
    src.Set(0, 0, 0x112233);
    src.Set(1, 0, 0xABCDEF);
    src.Set(2, 0, 0x445566);
    Options o;
    o.skipKey = 1;
    o.key = 0xFFABCDEF;
    Buffer same(FormatRgb24(), 3, 1, 0x77);
    Convert(same, src, o, Whole(src));
    EXPECT_EQ(same.Get(0, 0), 0x112233u);
    EXPECT_EQ(same.Get(1, 0), 0x777777u);
    EXPECT_EQ(same.Get(2, 0), 0x445566u);
    // XRGB8 into ARGB8: its own loop, written pixels get full alpha.
    Buffer xsrc(FormatXrgb8(), 3, 1);
    xsrc.Set(0, 0, 0x00112233);
    xsrc.Set(1, 0, 0x12ABCDEF);
    xsrc.Set(2, 0, 0x00445566);
    Buffer argb(FormatArgb8(), 3, 1, 0x77);
    o.key = 0xABCDEF;
    Convert(argb, xsrc, o, Whole(xsrc));
    EXPECT_EQ(argb.Get(0, 0), 0xFF112233u);
    EXPECT_EQ(argb.Get(1, 0), 0x77777777u);
    // General path: 565 source key compared on the masked raw value.
    Buffer s565(Format565(), 2, 1);
    s565.Set(0, 0, 0xF800);
    s565.Set(1, 0, 0x001F);
    Buffer x(FormatXrgb8(), 2, 1, 0x77);
    o.key = 0xFFFFF800;  // cut to 16 bits
    Convert(x, s565, o, Whole(s565));
    EXPECT_EQ(x.Get(0, 0), 0x77777777u);
    EXPECT_EQ(x.Get(1, 0), 0xFF0000FFu);
    // Mirror turns the skip key off.
    o.mirror = 1;
    Buffer m(FormatRgb24(), 3, 1, 0x77);
    Convert(m, src, o, Whole(src));
    EXPECT_EQ(m.Get(1, 0), 0xABCDEFu);
}

TEST(ConvertPixelFormatBlit, KeyToAlphaSameLayoutAndGeneral) {
    Buffer src(FormatXrgb8(), 3, 1);
    src.Set(0, 0, 0xFF00FF00);
    src.Set(1, 0, 0x00FF00FF);  // the key, fill byte clear
    src.Set(2, 0, 0xFFFF00FF);  // the key with the fill byte set
    Options o;
    o.keyToAlpha = 1;
    o.key = 0xFF00FF;
    Buffer dst(FormatArgb8(), 3, 1);
    Convert(dst, src, o, Whole(src));
    EXPECT_EQ(dst.Get(0, 0), 0xFF00FF00u);
    EXPECT_EQ(dst.Get(1, 0), 0x00FF00FFu);
    EXPECT_EQ(dst.Get(2, 0), 0x00FF00FFu);
    // General path (565 source into 4-4-4-4): the key's 565 channels against the source channels.
    ColorFormat f4444 = MaskFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000);
    Buffer s(Format565(), 2, 1);
    s.Set(0, 0, 0xF81F);
    s.Set(1, 0, 0xF800);
    Buffer d(f4444, 2, 1);
    Convert(d, s, o, Whole(s));
    EXPECT_EQ(d.Get(0, 0), 0x0F0Fu);
    EXPECT_EQ(d.Get(1, 0), 0xFF00u);
    // A source with alpha turns key to alpha off.
    Buffer a(FormatArgb8(), 1, 1), out(FormatArgb8(), 1, 1);
    a.Set(0, 0, 0x80FF00FF);
    Convert(out, a, o, Whole(a));
    EXPECT_EQ(out.Get(0, 0), 0x80FF00FFu);
}

TEST(ConvertPixelFormatBlit, AlphaImageAlphaOnlyAndAlphaFromRed) {
    Buffer src(FormatXrgb8(), 2, 1);
    src.Set(0, 0, 0x00102030);
    src.Set(1, 0, 0x00405060);
    Buffer alpha(FormatGrey8(), 2, 1);
    alpha.Set(0, 0, 0x80);
    alpha.Set(1, 0, 0x11);
    Buffer dst(FormatArgb8(), 2, 1);
    Convert(dst, src, {}, Whole(src), 0, 0, &alpha);
    EXPECT_EQ(dst.Get(0, 0), 0x80102030u);
    EXPECT_EQ(dst.Get(1, 0), 0x11405060u);
    Buffer d4444(MaskFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000), 2, 1);
    Convert(d4444, src, {}, Whole(src), 0, 0, &alpha);
    EXPECT_EQ(d4444.Get(0, 0), 0x8123u);

    Options o;
    o.alphaOnly = 1;
    Convert(dst, src, o, Whole(src), 0, 0, &alpha);
    EXPECT_EQ(dst.Get(0, 0), 0x80000000u);
    Options red;
    red.alphaFromRed = 1;
    Convert(dst, src, red, Whole(src));
    EXPECT_EQ(dst.Get(1, 0), 0x40405060u);
}

// ---- BlitImageRect

TEST(BlitImageRect, ClipsInOrderAndCopiesTheRest) {
    struct Case {
        int sx, sy, w, h, dx, dy;
        // expected source rect copied and destination corner (w or h 0: nothing)
        int esx, esy, ew, eh, edx, edy;
    };
    const Case cases[] = {
        {-3, 0, 6, 2, 1, 1, 0, 0, 3, 2, 4, 1},  {0, -2, 3, 4, 0, 0, 0, 0, 3, 2, 0, 2},
        {1, 1, 4, 4, -2, -1, 3, 2, 2, 3, 0, 0}, {0, 0, 10, 10, 5, 3, 0, 0, 3, 3, 5, 3},
        {2, 3, 10, 10, 0, 0, 2, 3, 4, 2, 0, 0}, {0, 0, 2, 2, 8, 0, 0, 0, 0, 0, 0, 0},
        {-8, 0, 4, 4, 0, 0, 0, 0, 0, 0, 0, 0},  {-2, -2, 8, 8, -1, -1, 0, 0, 6, 5, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.sx << "," << c.sy << " " << c.w << "x" << c.h << " -> " << c.dx << "," << c.dy);
        ScopedImage src, dst;
        ASSERT_EQ(CreateSoftImageXrgb8(6, 5, src.get()), 0);
        ASSERT_EQ(CreateSoftImageXrgb8(8, 6, dst.get()), 0);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x) PutRawPixel(src.image, x, y, 0xFF000000u | (y << 8) | x | 0x8080);
        std::memset(dst->pixels, 0, dst->pitch * 6);
        EXPECT_EQ(BlitImageRect(c.sx, c.sy, c.w, c.h, c.dx, c.dy, src.get(), dst.get()), 0);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x) {
                bool inside = x >= c.edx && x < c.edx + c.ew && y >= c.edy && y < c.edy + c.eh;
                uint32_t want = inside ? RawPixel(src.image, c.esx + x - c.edx, c.esy + y - c.edy) : 0;
                ASSERT_EQ(RawPixel(dst.image, x, y), want) << x << "," << y;
            }
    }
}

TEST(BlitImageRect, ConvertsFormatsAndDecodesBlocks) {
    ScopedImage src, dst;
    ColorFormat f565 = Format565();
    ASSERT_EQ(CreateSoftImage(2, 2, &f565, src.get()), 0);
    ASSERT_EQ(CreateSoftImageArgb8(2, 2, dst.get()), 0);
    for (int i = 0; i < 4; ++i) PutRawPixel(src.image, i % 2, i / 2, 0xFFFF);
    EXPECT_EQ(BlitImageRect(0, 0, 2, 2, 0, 0, src.get(), dst.get()), 0);
    EXPECT_EQ(RawPixel(dst.image, 1, 1), 0xFFFFFFFFu);

    ScopedImage dxt;
    dxt->format = FormatArgb8();
    dxt->format.formatCode = COLOR_FORMAT_DXT1;
    dxt->width = dxt->height = 4;
    dxt->pixels = ImageAllocZeroed(8);  // equal black endpoints, index 0: opaque black
    EXPECT_EQ(BlitImageRect(0, 0, 4, 4, 0, 0, dxt.get(), dst.get()), 0);
    EXPECT_EQ(dxt->format.formatCode, 0);
    EXPECT_EQ(RawPixel(dst.image, 1, 1), 0xFF000000u);
}

}  // namespace
