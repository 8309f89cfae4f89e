// Hand-computed vectors of the textured spans of every blend mode on both depths. Each vector is
// drawn through the rotated-image kernel (unturned, unscaled) and through the image quad, which must
// agree pixel for pixel.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/softrender/triangle_kernels.h"
#include "tests/softrender/image_test_support.h"

namespace {

using softtest::GuardedSurface;
using softtest::RowCase;
using softtest::Source;
using V = std::vector<uint32_t>;

// Draws the one-row source `src` over a row holding `dest` with both span kernels.
V SpanRow(const RowCase& c, const V& dest, const V& src) {
    softtest::EnsureTables();
    const int w = static_cast<int>(dest.size()), sw = static_cast<int>(src.size());
    softtest::SetState({c.clipLeft, 0, w, 1, c.mode, c.param, c.bright});
    Source s;
    softtest::MakeRowSource(s, c, src);
    std::unique_ptr<softtest::UniformBlend> blend;
    if (c.weight >= 0) blend = std::make_unique<softtest::UniformBlend>(sw, 1, c.weight);
    const MEMIMG* b = blend ? &blend->img : nullptr;
    auto draw = [&](bool rotated) {
        GuardedSurface d(c.kind, w, 1);
        for (int i = 0; i < w; ++i) d.Set(i, 0, dest[i]);
        if (rotated) {
            // The source is one row high (odd): texel ((sw - 1) >> 1, 0) lies on the centre, the middle of
            // an odd width or the texel before the middle of an even one, so texel i lands on pixel i.
            SoftDrawImageRotated(&d.img, s.used, (sw - 1) >> 1, 0, 0.0f, 1.0f, c.flag, 0, b);
        } else {
            const QuadCorner q[4] = {{0, 0}, {sw, 0}, {0, 1}, {sw, 1}};
            SoftDrawImageQuad(&d.img, s.used, q, c.flag, b);
        }
        V out(w);
        for (int i = 0; i < w; ++i) out[i] = d.Get(i, 0);
        return out;
    };
    const V rotated = draw(true);
    EXPECT_EQ(draw(false), rotated) << "the triangle and the rotation kernel disagree";
    return rotated;
}

uint32_t SpanOne(const RowCase& c, uint32_t dest, uint32_t src) {
    return SpanRow(c, {dest}, {src})[0];
}

struct Vector {
    const char* what;
    RowCase c;
    uint32_t dest, src, want;
};

void ExpectVectors(const std::vector<Vector>& vectors) {
    for (const Vector& v : vectors)
        EXPECT_EQ(SpanOne(v.c, v.dest, v.src), v.want) << v.what << std::hex << " got/want";
}

constexpr uint32_t kTint128 = 0x808080;

TEST(SpanSelection, ParameterExitsAndVariantSwitches) {
    const RowCase palette{.kind = 1, .palette = true, .paletteEntries = {0x00FFFFFF}};
    for (int mode : {1, 2, 3}) {
        RowCase c{.kind = 1, .mode = mode, .param = 0};
        EXPECT_EQ(SpanOne(c, 0x12345678, 0x00FFFFFF), 0x12345678u) << mode;
        if (mode == 3) continue;
        RowCase p = palette;
        p.mode = mode, p.param = 0;
        EXPECT_EQ(SpanOne(p, 0x12345678, 0), 0x12345678u) << mode;
    }
    // Subtract runs a palette source at parameter 0: its scaled colour is 0.
    RowCase sub = palette;
    sub.mode = 3, sub.param = 0;
    EXPECT_EQ(SpanOne(sub, 0xFF102030, 0), 0x00112130u);
    // Copy ignores the parameter; a draw bright with only its top byte changed is no tint.
    for (int p : {0, 7, 128})
        EXPECT_EQ(SpanOne({.kind = 1, .mode = 0, .param = p}, 0, 0xAB123456), 0xAB123456u);
    EXPECT_EQ(SpanOne({.kind = 1, .bright = 0xFFFFFFFF}, 0x11000000, 0xAB123456), 0xAB123456u);
    EXPECT_EQ(SpanOne({.kind = 1, .bright = 0x00FFFFFE}, 0x11000000, 0xAB123456), 0x11123455u);
}

TEST(SpanSelection, TransparentTests) {
    // A palette source all of the transparent index: nothing with the flag, everything without.
    RowCase c{.kind = 1, .flag = 1, .palette = true, .transparent = 1, .paletteEntries = {0, 0x00ABCDEF}};
    EXPECT_EQ(SpanRow(c, {5, 6, 7}, {1, 1, 1}), (V{5, 6, 7}));
    c.flag = 0;
    EXPECT_EQ(SpanRow(c, {5, 6, 7}, {1, 1, 1}), (V{0x00ABCDEF, 0x00ABCDEF, 0x00ABCDEF}));
    // The whole transparent value is compared: a value above the index or the 565 pixel skips nothing.
    c.flag = 1, c.transparent = 0x101;
    EXPECT_EQ(SpanOne(c, 5, 1), 0x00ABCDEFu);
    EXPECT_EQ(SpanOne({.kind = 0, .flag = 1, .transparent = 0x1FFFF}, 5, 0xFFFF), 0xFFFFu);
    EXPECT_EQ(SpanOne({.kind = 0, .flag = 1, .transparent = 0xFFFF}, 5, 0xFFFF), 5u);
    // Byte 3 of a 32-bit pixel takes part.
    EXPECT_EQ(SpanOne({.kind = 1, .flag = 1, .transparent = 0x00FFFFFF}, 5, 0x01FFFFFF), 0x01FFFFFFu);
    EXPECT_EQ(SpanOne({.kind = 1, .flag = 1, .transparent = 0x00FFFFFF}, 5, 0x00FFFFFF), 5u);
    // The tint does not change which index is transparent.
    RowCase tinted{.kind = 1,
                   .bright = kTint128,
                   .flag = 1,
                   .palette = true,
                   .transparent = 0,
                   .paletteEntries = {0x00FFFFFF, 0x00FFFFFF}};
    EXPECT_EQ(SpanRow(tinted, {5, 6}, {0, 1}), (V{5, 0x00808080}));
    // With source alpha the transparent colour is not compared, in every mode.
    for (int mode : {0, 1, 2, 3, 4, 10, 11}) {
        RowCase a{.kind = 1, .mode = mode, .param = 200, .flag = 1, .alpha = true, .transparent = 0x80C8C8C8};
        EXPECT_NE(SpanOne(a, 0x00646464, 0x80C8C8C8), 0x00646464u) << mode;
    }
}

TEST(SpanCopyAndAlpha, ThirtyTwoBit) {
    const V entries{0xAB123456, 0x11223344};
    ExpectVectors({
        {"palette copy", {.kind = 1, .palette = true, .paletteEntries = entries}, 0xEEEEEEEE, 1, 0x11223344},
        {"tinted copy keeps byte 3", {.kind = 1, .bright = kTint128}, 0x7F000000, 0x00FF6464, 0x7F803232},
        {"W 0", {.kind = 1, .weight = 0}, 0x5A010203, 0x00FFFFFF, 0x5A010203},
        {"W 128", {.kind = 1, .weight = 128}, 0x5A000000, 0x00FFFFFF, 0x5A7F7F7F},
        {"W 255", {.kind = 1, .weight = 255}, 0x5A000000, 0x00FFFFFF, 0x5AFEFEFE},
        {"p 128 up", {.kind = 1, .mode = 1, .param = 128}, 0, 0x00FFFFFF, 0x007F7F7F},
        {"p 128 down", {.kind = 1, .mode = 1, .param = 128}, 0x00FFFFFF, 0, 0x007F7F7F},
        {"p 1", {.kind = 1, .mode = 1, .param = 1}, 0, 0x00FFFFFF, 0},
        {"p 254", {.kind = 1, .mode = 1, .param = 254}, 0, 0x00FFFFFF, 0x00FDFDFD},
        {"p W a",
         {.kind = 1, .mode = 1, .param = 254, .alpha = true, .weight = 255},
         0,
         0xFFFFFFFF,
         0x00FBFBFB},
        {"p W a, 32-bit numerator",
         {.kind = 1, .mode = 1, .param = 254, .alpha = true, .weight = 255},
         0x00C8C8C8,
         0xFFFFFFFF,
         0x00FEFEFE},
        {"p W a down",
         {.kind = 1, .mode = 1, .param = 254, .alpha = true, .weight = 255},
         0x00C8C8C8,
         0xFE000000,
         0x00030303},
        {"a 0 flag", {.kind = 1, .flag = 1, .alpha = true}, 0x12345678, 0x00FFFFFF, 0x12345678},
        {"a 255 flag copies", {.kind = 1, .flag = 1, .alpha = true}, 0, 0xFF102030, 0xFF102030},
        {"a 128 flag", {.kind = 1, .flag = 1, .alpha = true}, 0x00646464, 0x80C8C8C8, 0x00969696},
        {"a 0", {.kind = 1, .alpha = true}, 0x12345678, 0x00FFFFFF, 0x12345678},
        {"a 255 weighted", {.kind = 1, .alpha = true}, 0x7F000000, 0xFFFFFFFF, 0x7FFEFEFE},
        {"mode 1 a 255 flag: mix with p",
         {.kind = 1, .mode = 1, .param = 128, .flag = 1, .alpha = true},
         0,
         0xFFFFFFFF,
         0x007F7F7F},
    });
}

TEST(SpanCopyAndAlpha, SixteenBit) {
    ExpectVectors({
        {"palette copy", {.kind = 0, .palette = true, .paletteEntries = {0x1234, 0xBEEF}}, 0, 1, 0xBEEF},
        {"tint 128", {.kind = 0, .bright = kTint128}, 0, 0xFFFF, 0x7BEF},
        {"tint 255 0 255", {.kind = 0, .bright = 0xFF00FF}, 0, 0xFFFF, 0xF81F},
        {"W 0", {.kind = 0, .weight = 0}, 0x1234, 0xFFFF, 0x1234},
        {"W 128", {.kind = 0, .weight = 128}, 0, 0xFFFF, 0x7BEF},
        {"W 255", {.kind = 0, .weight = 255}, 0, 0xFFFF, 0xF7DE},
        {"step 128 up", {.kind = 0, .mode = 1, .param = 128}, 0, 0xFFFF, 0x7BEF},
        {"step 128 down", {.kind = 0, .mode = 1, .param = 128}, 0xFFFF, 0, 0x8410},
        {"step 1 up", {.kind = 0, .mode = 1, .param = 1}, 0, 0xFFFF, 0},
        {"step 1 down", {.kind = 0, .mode = 1, .param = 1}, 0xFFFF, 0, 0xFFFF},
        {"step 254", {.kind = 0, .mode = 1, .param = 254}, 0, 0xFFFF, 0xF7DE},
        {"p W", {.kind = 0, .mode = 1, .param = 254, .weight = 255}, 0, 0xFFFF, 0xF7DE},
        {"p W a up",
         {.kind = 0, .mode = 1, .param = 254, .alpha = true, .weight = 255},
         0,
         0x00FFFFFF,
         0xF7DE},
        {"p W a down",
         {.kind = 0, .mode = 1, .param = 254, .alpha = true, .weight = 255},
         0xFFFF,
         0x00FF0000,
         0},
        {"a 0 flag", {.kind = 0, .flag = 1, .alpha = true}, 0x1234, 0x0000FFFF, 0x1234},
        {"a 255 flag copies", {.kind = 0, .flag = 1, .alpha = true}, 0, 0x00FFFFFF, 0xFFFF},
        {"a 128 flag", {.kind = 0, .flag = 1, .alpha = true}, 0, 0x0080FFFF, 0x7BEF},
        {"mode 1 a 255 flag: step",
         {.kind = 0, .mode = 1, .param = 128, .flag = 1, .alpha = true},
         0,
         0x00FFFFFF,
         0x7BEF},
        {"a 0", {.kind = 0, .alpha = true}, 0x1234, 0x0000FFFF, 0x1234},
        {"a 255 weighted", {.kind = 0, .alpha = true}, 0, 0x00FFFFFF, 0xF7DE},
        {"full parameter is copy",
         {.kind = 0, .mode = 1, .param = 255, .alpha = true},
         0,
         0x00FFFFFF,
         0xF7DE},
        {"zero parameter", {.kind = 0, .mode = 1, .param = 0}, 0x1234, 0xFFFF, 0x1234},
    });
}

TEST(SpanAddSubtract, ThirtyTwoBit) {
    const RowCase add{.kind = 1, .mode = 2}, sub{.kind = 1, .mode = 3};
    auto with = [](RowCase c, auto f) {
        f(c);
        return c;
    };
    ExpectVectors({
        {"P 0 clears byte 3", add, 0xFF102030, 0, 0x00102030},
        {"full parameter", add, 0, 0x00010203, 0x00010203},
        {"W 255", with(add, [](RowCase& c) { c.weight = 255; }), 0, 0x00FFFFFF, 0x00FDFDFD},
        {"a 255", with(add, [](RowCase& c) { c.alpha = true; }), 0, 0xFFFFFFFF, 0x00FDFDFD},
        {"a 255 flag", with(add, [](RowCase& c) { c.alpha = true, c.flag = 1; }), 0, 0xFFFFFFFF, 0x00FFFFFF},
        {"W a 255", with(add, [](RowCase& c) { c.alpha = true, c.weight = 255; }), 0, 0xFFFFFFFF, 0x00FCFCFC},
        {"p 128", with(add, [](RowCase& c) { c.param = 128; }), 0, 0x00FFFFFF, 0x00808080},
        {"p 128 W 255", with(add, [](RowCase& c) { c.param = 128, c.weight = 255; }), 0, 0x00FFFFFF,
         0x007F7F7F},
        {"low bits", add, 0x007F0101, 0x007F0101, 0x00FD0102},
        {"red carry into byte 3", add, 0x00800000, 0x00800000, 0x01FF0000},
        {"blue carry", add, 0x00000001, 0x000000FF, 0x000001FF},
        {"green borrow bit", sub, 0x00000200, 0x00000100, 0x00010300},
        {"black minus 0", sub, 0, 0, 0x00010100},
        {"black minus 0x200", sub, 0, 0x00000200, 0},
        {"a 0 flag untouched", with(sub, [](RowCase& c) { c.alpha = true, c.flag = 1; }), 0xAB102030,
         0x00FFFFFF, 0xAB102030},
        {"a 0 combined", with(sub, [](RowCase& c) { c.alpha = true; }), 0xAB102030, 0x00FFFFFF, 0x00112130},
        {"tint", with(add, [](RowCase& c) { c.bright = kTint128; }), 0, 0x00FF6464, 0x00803232},
    });
}

TEST(SpanAddSubtract, SixteenBit) {
    const RowCase add{.kind = 0, .mode = 2}, sub{.kind = 0, .mode = 3};
    auto with = [](RowCase c, auto f) {
        f(c);
        return c;
    };
    ExpectVectors({
        {"palette subtract at p 0",
         with(sub, [](RowCase& c) { c.param = 0, c.palette = true, c.paletteEntries = {0xFFFF}; }), 0x1234, 0,
         0x1A14},
        {"direct subtract at p 0", with(sub, [](RowCase& c) { c.param = 0; }), 0x1234, 0xFFFF, 0x1234},
        {"p 4 add", with(add, [](RowCase& c) { c.param = 4; }), 0x1234, 0xFFFF, 0x1234},
        {"p 4 subtract", with(sub, [](RowCase& c) { c.param = 4; }), 0x1234, 0xFFFF, 0x1A14},
        {"W 255", with(add, [](RowCase& c) { c.weight = 255; }), 0, 0xFFFF, 0xF7DE},
        {"a 0", with(add, [](RowCase& c) { c.alpha = true; }), 0x1234, 0x0000FFFF, 0x1234},
        {"a 0 subtract", with(sub, [](RowCase& c) { c.alpha = true; }), 0x1234, 0x0000FFFF, 0x1A14},
        {"a 255", with(add, [](RowCase& c) { c.alpha = true; }), 0, 0x00FFFFFF, 0xF7DE},
        {"a 0 flag", with(sub, [](RowCase& c) { c.alpha = true, c.flag = 1; }), 0x1234, 0x0000FFFF, 0x1234},
        {"a 255 flag", with(add, [](RowCase& c) { c.alpha = true, c.flag = 1; }), 0, 0x00FFFFFF, 0xFFFF},
        // Without a blend image the alpha comes before the tint: blue 31 at a 128 is 15, tinted 14.
        {"alpha then tint", with(add, [](RowCase& c) { c.alpha = true, c.bright = 0xFFFFFE; }), 0, 0x0080001F,
         0x000E},
        // With a blend image the tint comes first: blue tinted 30, then (30 * 255 * 128) >> 16 = 14.
        {"tint then weights",
         with(add, [](RowCase& c) { c.alpha = true, c.bright = 0xFFFFFE, c.weight = 255; }), 0, 0x0080001F,
         0x000E},
        {"add blue carry", add, 0x0010, 0x0010, 0x003F},
        {"add red", add, 0x8000, 0x8000, 0xF800},
        {"add blue saturates", add, 0x001F, 0x0001, 0x003F},
        {"add to white", add, 0xFFFF, 0x1234, 0xFFFF},
        {"white minus white", sub, 0xFFFF, 0xFFFF, 0x0800},
        {"blue minus 1", sub, 0x001F, 0x0001, 0x081E},
        {"white minus 0", sub, 0xFFFF, 0, 0xFFDF},
        {"black minus 0", sub, 0, 0, 0x0800},
        {"black minus white", sub, 0, 0xFFFF, 0},
    });
}

TEST(SpanMultiply, BothDepths) {
    auto mul = [](int kind, auto f) {
        RowCase c{.kind = kind, .mode = 4};
        f(c);
        return c;
    };
    auto plain = [](RowCase&) {};
    ExpectVectors({
        {"white", mul(1, plain), 0x5AFFFFFF, 0x00FFFFFF, 0x5AFEFEFE},
        {"a 255", mul(1, [](RowCase& c) { c.alpha = true; }), 0x5AFFFFFF, 0xFFFFFFFF, 0x5AFDFDFD},
        {"W 255", mul(1, [](RowCase& c) { c.weight = 255; }), 0x5AFFFFFF, 0x00FFFFFF, 0x5AFDFDFD},
        {"W a 255", mul(1, [](RowCase& c) { c.alpha = true, c.weight = 255; }), 0x5AFFFFFF, 0xFFFFFFFF,
         0x5AFCFCFC},
        {"a 0 flag turns black", mul(1, [](RowCase& c) { c.alpha = true, c.flag = 1; }), 0x5AFFFFFF,
         0x00FFFFFF, 0x5A000000},
        {"a 255 flag unweighted", mul(1, [](RowCase& c) { c.alpha = true, c.flag = 1; }), 0x5AFFFFFF,
         0xFFFFFFFF, 0x5AFEFEFE},
        {"black source", mul(1, [](RowCase& c) { c.weight = 200; }), 0x5AFFFFFF, 0, 0x5A000000},
        {"tint 0", mul(1, [](RowCase& c) { c.bright = 0; }), 0x00FFFFFF, 0x00FFFFFF, 0},
        {"tint 128", mul(1, [](RowCase& c) { c.bright = kTint128; }), 0x00C8C8C8, 0x00C8C8C8, 0x004E4E4E},
        {"transparent index",
         mul(1, [](RowCase& c) { c.palette = true, c.flag = 1, c.transparent = 0, c.paletteEntries = {0}; }),
         0x00FFFFFF, 0, 0x00FFFFFF},
        {"565 white", mul(0, plain), 0xFFFF, 0xFFFF, 0xF7DE},
        {"565 a 0 flag turns black", mul(0, [](RowCase& c) { c.alpha = true, c.flag = 1; }), 0xFFFF,
         0x0000FFFF, 0},
        {"565 W a", mul(0, [](RowCase& c) { c.alpha = true, c.weight = 255; }), 0xFFFF, 0x00FFFFFF, 0xEFBD},
        {"565 transparent colour", mul(0, [](RowCase& c) { c.flag = 1, c.transparent = 0x1234; }), 0xFFFF,
         0x1234, 0xFFFF},
    });
    // The parameter plays no part.
    for (int p : {0, 128, 255}) {
        EXPECT_EQ(SpanOne({.kind = 1, .mode = 4, .param = p}, 0x00FFFFFF, 0x00FFFFFF), 0x00FEFEFEu);
        EXPECT_EQ(SpanOne({.kind = 0, .mode = 4, .param = p}, 0xFFFF, 0xFFFF), 0xF7DEu);
    }
}

TEST(SpanInverseAndMultiplyAlpha, ThirtyTwoBit) {
    auto c = [](int mode, int p, auto f) {
        RowCase r{.kind = 1, .mode = mode, .param = p};
        f(r);
        return r;
    };
    auto plain = [](RowCase&) {};
    auto alpha = [](RowCase& r) { r.alpha = true; };
    auto alphaFlag = [](RowCase& r) { r.alpha = true, r.flag = 1; };
    auto w255 = [](RowCase& r) { r.weight = 255; };
    ExpectVectors({
        {"10 p 0", c(10, 0, plain), 0x5A123456, 0, 0x5A123456},
        {"11 p 0", c(11, 0, plain), 0x5A123456, 0, 0x5A123456},
        {"10 black", c(10, 255, plain), 0x5A000000, 0, 0x5AFEFEFE},
        {"10 black W", c(10, 255, w255), 0, 0, 0x00FDFDFD},
        {"10 black a 255 flag", c(10, 255, alphaFlag), 0, 0xFF000000, 0x00FEFEFE},
        {"10 black a 255", c(10, 255, alpha), 0, 0xFF000000, 0x00FDFDFD},
        {"10 black a 255 flag W", c(10, 255, [](RowCase& r) { r.alpha = true, r.flag = 1, r.weight = 255; }),
         0, 0xFF000000, 0x00FDFDFD},
        {"10 black a 255 W", c(10, 255, [](RowCase& r) { r.alpha = true, r.weight = 255; }), 0, 0xFF000000,
         0x00FCFCFC},
        {"10 white", c(10, 255, plain), 0x00FFFFFF, 0x00FFFFFF, 0},
        {"10 white W", c(10, 255, w255), 0x00FFFFFF, 0x00FFFFFF, 0x00010101},
        {"11 white p 1", c(11, 1, plain), 0x00FF0100, 0x00FFFFFF, 0x00FE0000},
        {"11 never raises", c(11, 255, plain), 0x00102030, 0x00FFFFFF, 0x000F1F2F},
        {"11 bright 0", c(11, 128, [](RowCase& r) { r.bright = 0; }), 0x00C8C8C8, 0x00FFFFFF, 0x00646464},
        {"10 bright 0", c(10, 128, [](RowCase& r) { r.bright = 0; }), 0x00C8C8C8, 0, 0x00646464},
        {"10 tinted target", c(10, 255, [](RowCase& r) { r.bright = 0x4080C0; }), 0, 0, 0x003F7FBF},
        {"10 a 0 flag", c(10, 255, alphaFlag), 0xAB123456, 0x00FFFFFF, 0xAB123456},
        {"11 a 0 flag", c(11, 255, alphaFlag), 0xAB123456, 0x00000000, 0xAB123456},
        {"11 a 0", c(11, 255, alpha), 0xAB123456, 0x00000000, 0xAB123456},
    });
}

TEST(SpanInverseAndMultiplyAlpha, SixteenBit) {
    auto c = [](int mode, int p, auto f) {
        RowCase r{.kind = 0, .mode = mode, .param = p};
        f(r);
        return r;
    };
    auto plain = [](RowCase&) {};
    auto w = [](int weight) { return [weight](RowCase& r) { r.weight = weight; }; };
    ExpectVectors({
        {"10 p 0", c(10, 0, plain), 0x1234, 0xFFFF, 0x1234},
        {"11 p 0 with W", c(11, 0, w(255)), 0x1234, 0, 0x1234},
        {"10 black", c(10, 255, plain), 0, 0, 0xFFFF},
        {"10 black W", c(10, 255, w(255)), 0, 0, 0xF7DE},
        {"10 black a 255 flag", c(10, 255, [](RowCase& r) { r.alpha = true, r.flag = 1; }), 0, 0x00FF0000,
         0xFFFF},
        {"10 black a 255", c(10, 255, [](RowCase& r) { r.alpha = true; }), 0, 0x00FF0000, 0xF7DE},
        {"10 black a 255 flag W", c(10, 255, [](RowCase& r) { r.alpha = true, r.flag = 1, r.weight = 255; }),
         0, 0x00FF0000, 0xF7DE},
        {"10 black a 255 W", c(10, 255, [](RowCase& r) { r.alpha = true, r.weight = 255; }), 0, 0x00FF0000,
         0xF7DE},
        {"10 white", c(10, 255, plain), 0xFFFF, 0xFFFF, 0},
        {"10 white W", c(10, 255, w(255)), 0xFFFF, 0xFFFF, 0},
        {"10 p 128 black", c(10, 128, plain), 0, 0, 0x7BEF},
        {"10 p 128 white", c(10, 128, plain), 0xFFFF, 0xFFFF, 0x8410},
        {"10 tint", c(10, 255, [](RowCase& r) { r.bright = 0x4080C0; }), 0, 0, 0x3BF7},
        {"10 tint 128", c(10, 255, [](RowCase& r) { r.bright = kTint128; }), 0, 0, 0x7BEF},
        {"11 white", c(11, 255, plain), 0xFFFF, 0xFFFF, 0xF7DE},
        {"11 white p 1", c(11, 1, plain), 0xFFFF, 0xFFFF, 0xFFFF},
        {"11 white p 1 W 1", c(11, 1, w(1)), 0xFFFF, 0xFFFF, 0xF7DE},
        {"11 half", c(11, 255, plain), 0xFFFF, 0x8410, 0x7BEF},
        {"11 black source", c(11, 255, plain), 0xFFFF, 0, 0},
        {"fine green a 255", c(11, 255, [](RowCase& r) { r.alpha = true; }), 0x0600, 0x00FF0020, 0x0020},
        {"fine green a 254 flag", c(11, 255, [](RowCase& r) { r.alpha = true, r.flag = 1; }), 0x0600,
         0x00FE0020, 0x0020},
        {"tinted twin", c(11, 255, [](RowCase& r) { r.alpha = true, r.bright = 0xFEFFFF; }), 0x0600,
         0x00FF0020, 0},
        {"10 a 0 flag", c(10, 255, [](RowCase& r) { r.alpha = true, r.flag = 1; }), 0x1234, 0x0000FFFF,
         0x1234},
        {"11 a 0 flag", c(11, 255, [](RowCase& r) { r.alpha = true, r.flag = 1; }), 0x1234, 0, 0x1234},
        {"11 a 0", c(11, 255, [](RowCase& r) { r.alpha = true; }), 0x1234, 0, 0x1234},
        {"alpha pixel equal to the transparent colour",
         c(10, 255, [](RowCase& r) { r.alpha = true, r.flag = 1, r.transparent = 0x00FF0000; }), 0,
         0x00FF0000, 0xFFFF},
    });
}

}  // namespace
