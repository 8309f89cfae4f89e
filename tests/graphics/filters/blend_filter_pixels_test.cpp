#include "engine/graphics/filters/blend_filter_pixels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "tests/graphics/filters/filter_test_images.h"

namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 12;

TestImage OnePixel(uint32_t argb) {
    TestImage image(1, 1);
    image.Set(0, 0, argb);
    return image;
}

uint32_t BlendOne(uint32_t base, uint32_t blend, int kind, float ratio, uint32_t before = 0) {
    TestImage source = OnePixel(base), layer = OnePixel(blend), out = OnePixel(before);
    BlendPixels(source.image(), layer.image(), out.image(), kind, ratio);
    return out.Argb(0, 0);
}

TEST(BlendFilterPixels, FullRatioAgreesWithPilChops) {
    struct Case {
        const char* oracle;
        int kind, tolerance;
    };
    for (Case c : {Case{"multiply", kBlendFilterMultiple, 1}, Case{"screen", kBlendFilterScreen, 1},
                   Case{"add", kBlendFilterAdd, 1}, Case{"darker", kBlendFilterDarken, 1},
                   Case{"lighter", kBlendFilterLighten, 1}, Case{"difference", kBlendFilterDifference, 1},
                   Case{"hard_light", kBlendFilterHardLight, 2}, Case{"overlay", kBlendFilterOverlay, 3}}) {
        TestImage source = LoadOracle("colour", kWidth, kHeight, 1);
        TestImage blend = LoadOracle("blend_in", kWidth, kHeight, 4);
        TestImage out(kWidth, kHeight, 2);
        BlendPixels(source.image(), blend.image(), out.image(), c.kind, 255 / 255.0f);
        TestImage expected = LoadOracle(std::string("blend_") + c.oracle, kWidth, kHeight);
        DifferenceRange range = CompareChannels(out, expected);
        EXPECT_GE(range.low, -c.tolerance) << c.oracle;
        EXPECT_LE(range.high, c.tolerance) << c.oracle;
        EXPECT_TRUE(AlphaEqual(out, source)) << c.oracle;
        EXPECT_TRUE(out.PaddingIntact()) << c.oracle;
    }
}

TEST(BlendFilterPixels, NormalMixesByRatioAndBlendAlpha) {
    EXPECT_EQ(BlendOne(0xFF000000u, 0xFFFFFFFFu, kBlendFilterNormal, 1.0f), 0xFFFEFEFEu);
    EXPECT_EQ(BlendOne(0x7F102030u, 0xFFFFFFFFu, kBlendFilterNormal, 0.0f), 0x7F102030u);
    TestImage source = LoadOracle("colour", kWidth, kHeight);
    TestImage blend = LoadOracle("blend_in_alpha", kWidth, kHeight, 1);
    TestImage out(kWidth, kHeight);
    BlendPixels(source.image(), blend.image(), out.image(), kBlendFilterNormal, 128 / 255.0f);
    DifferenceRange range = CompareChannels(out, LoadOracle("blend_normal_128", kWidth, kHeight));
    EXPECT_GE(range.low, -2);
    EXPECT_LE(range.high, 2);
}

// The remaining kinds against their textbook definitions in floating point, over a grid of opaque pixels.
// Burn divides by blend + 1, which lies up to 5 below the textbook's division by blend.
TEST(BlendFilterPixels, OtherKindsFollowTheirDefinitions) {
    struct Case {
        int kind;
        std::function<double(double, double)> f;
        int tolerance;
    };
    const Case cases[] = {
        {kBlendFilterDodge,
         [](double a, double b) { return b >= 255 ? 255 : std::min(255.0, a * 255 / (255 - b)); }, 4},
        {kBlendFilterBurn,
         [](double a, double b) {
             return b == 0 ? (a >= 255 ? 255 : 0) : std::max(0.0, 255 - (255 - a) * 255 / b);
         },
         5},
        {kBlendFilterExclusion, [](double a, double b) { return a + b - 2 * a * b / 255; }, 3},
        {kBlendFilterSoftLight,
         [](double a, double b) {
             return 255 * std::pow(a / 255, b < 128 ? 2 * (1 - b / 255) : 0.5 / (b / 255));
         },
         2},
    };
    for (const Case& c : cases)
        for (int base = 0; base < 256; base += 17)
            for (int blend = 0; blend < 256; blend += 15) {
                uint32_t out = BlendOne(0xFF000000u | uint32_t(base) * 0x10101u,
                                        0xFF000000u | uint32_t(blend) * 0x10101u, c.kind, 1.0f);
                double expected = std::clamp(c.f(base, blend), 0.0, 255.0);
                EXPECT_NEAR(double(out & 0xFF), expected, c.tolerance)
                    << c.kind << ": " << base << ", " << blend;
                EXPECT_EQ(out >> 24, 0xFFu);
            }
}

TEST(BlendFilterPixels, AlphaChannelKindsCompositeAndSkipEmptyPixels) {
    struct Case {
        int kind;
        uint32_t base, blend, before, out;
    };
    const Case cases[] = {
        // Over a transparent base the blend colour comes through with the blend's alpha.
        {kBlendFilterNormalAlphaChannel, 0x00FFFFFFu, 0x80402010u, 0, 0x80402010u},
        // Nothing where both are transparent: the destination keeps what it had.
        {kBlendFilterNormalAlphaChannel, 0x00123456u, 0x00654321u, 0x5A5A5A5Au, 0x5A5A5A5Au},
        {kBlendFilterNormalAlphaChannel, 0xFF000000u, 0xFFFFFFFFu, 0, 0xFFFEFEFEu},
        {kBlendFilterAddAlphaChannel, 0x00000000u, 0x00000000u, 0x5A5A5A5Au, 0x5A5A5A5Au},
        {kBlendFilterAddAlphaChannel, 0xFF404040u, 0xFF303030u, 0, 0xFF707070u},
        {kBlendFilterAddAlphaChannel, 0xFFC0C0C0u, 0xFFC0C0C0u, 0, 0xFFFFFFFFu},
        // Alpha only: the colour stays the base's, the alpha becomes the product.
        {kBlendFilterMultipleAlphaOnly, 0xFF102030u, 0x80FFFFFFu, 0, 0x7F102030u},
        {kBlendFilterMultipleAlphaOnly, 0x80102030u, 0xFF000000u, 0, 0x7F102030u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BlendOne(c.base, c.blend, c.kind, 1.0f, c.before), c.out)
            << c.kind << std::hex << " " << c.base << " " << c.blend;
}

TEST(BlendFilterPixels, RgbaMixPicksChannelsBySelector) {
    struct Case {
        int red, green, blue, alpha;
        uint32_t out;
    };
    const uint32_t base = 0x11223344u, blend = 0xAABBCCDDu;
    for (Case c : {Case{2, 1, 0, 3, 0x11443322u}, Case{0, 1, 2, 3, base}, Case{4, 5, 6, 7, blend},
                   Case{7, 3, 4, 0, 0x22AA11BBu}, Case{9, -1, 8, 200, base}}) {
        TestImage source = OnePixel(base), layer = OnePixel(blend), out = OnePixel(0);
        RgbaMixPixels(source.image(), layer.image(), out.image(), c.red, c.green, c.blue, c.alpha);
        EXPECT_EQ(out.Argb(0, 0), c.out) << c.red << c.green << c.blue << c.alpha;
    }
}

}  // namespace
