#include "engine/graphics/filters/colour_filter_pixels.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/graphics/filters/filter_test_images.h"

namespace {

constexpr int kImageWidth = 16;
constexpr int kImageHeight = 12;

TestImage Colour() {
    return LoadOracle("colour", kImageWidth, kImageHeight, 3);
}

TestImage Grey(int value, int alpha = 255) {
    TestImage image(1, 1);
    image.Set(0, 0, uint32_t(alpha) << 24 | uint32_t(value) * 0x010101u);
    return image;
}

TEST(ColourFilterPixels, InvertEqualsPilAndTwiceRestores) {
    TestImage source = Colour();
    TestImage once(kImageWidth, kImageHeight, 5);
    InvertPixels(source.image(), once.image());
    TestImage expected = LoadOracle("invert", kImageWidth, kImageHeight);
    DifferenceRange range = CompareChannels(once, expected, 0, 4);
    EXPECT_EQ(range.low, 0);
    EXPECT_EQ(range.high, 0);
    EXPECT_TRUE(once.PaddingIntact());

    TestImage twice(kImageWidth, kImageHeight, 1);
    InvertPixels(once.image(), twice.image());
    range = CompareChannels(twice, source, 0, 4);
    EXPECT_EQ(range.low, 0);
    EXPECT_EQ(range.high, 0);
}

TEST(ColourFilterPixels, MonoWithoutTintIsPilLumaOrOneBelow) {
    TestImage source = Colour();
    TestImage out(kImageWidth, kImageHeight, 2);
    MonoPixels(source.image(), out.image(), 0.0f, 0.0f);
    DifferenceRange range = CompareChannels(out, LoadOracle("mono_grey", kImageWidth, kImageHeight));
    EXPECT_GE(range.low, -1);
    EXPECT_LE(range.high, 0);
    EXPECT_TRUE(AlphaEqual(out, source));
    EXPECT_TRUE(out.PaddingIntact());
    // White lies 2 luma steps short of 255 x 4096.
    TestImage white = Grey(255);
    MonoPixels(white.image(), white.image(), 0.0f, 0.0f);
    EXPECT_EQ(white.Argb(0, 0), 0xFFFEFEFEu);
}

TEST(ColourFilterPixels, MonoTintFollowsFloatingYCbCr) {
    TestImage source = Colour();
    TestImage out(kImageWidth, kImageHeight);
    // The operation hands Cb and Cr over as argument x 100 / 255.
    MonoPixels(source.image(), out.image(), 100 * 100 / 255.0f, -60 * 100 / 255.0f);
    DifferenceRange range = CompareChannels(out, LoadOracle("mono_tint", kImageWidth, kImageHeight));
    EXPECT_GE(range.low, -2);
    EXPECT_LE(range.high, 1);
}

TEST(ColourFilterPixels, PremultipliedAlphaScalesByAlphaOver256) {
    TestImage source = Colour();
    TestImage out(kImageWidth, kImageHeight, 1);
    PremultipliedAlphaPixels(source.image(), out.image());
    DifferenceRange range = CompareChannels(out, LoadOracle("premultiplied", kImageWidth, kImageHeight));
    EXPECT_GE(range.low, -1);
    EXPECT_LE(range.high, 0);
    EXPECT_TRUE(AlphaEqual(out, source));

    struct Case {
        uint32_t in, out;
    };
    for (Case c : {Case{0xFF00C801u, 0xFF00C700u}, Case{0xFFFFFFFFu, 0xFFFEFEFEu},
                   Case{0x80FF4020u, 0x807F2010u}, Case{0x00FFFFFFu, 0x00000000u}}) {
        TestImage pixel(1, 1);
        pixel.Set(0, 0, c.in);
        PremultipliedAlphaPixels(pixel.image(), pixel.image());
        EXPECT_EQ(pixel.Argb(0, 0), c.out) << std::hex << c.in;
    }
}

TEST(ColourFilterPixels, HsbWithoutChangeKeepsPrimariesAndGrey) {
    struct Case {
        uint32_t in, out;
    };
    for (Case c :
         {Case{0xFFFF0000u, 0xFFFD0000u}, Case{0x40808080u, 0x40808080u}, Case{0xFF000000u, 0xFF000000u}}) {
        TestImage pixel(1, 1);
        pixel.Set(0, 0, c.in);
        TestImage out(1, 1);
        HsbPixels(pixel.image(), out.image(), 0, 0.0f, 0.0f, 0.0f);
        EXPECT_EQ(out.Argb(0, 0), c.out) << std::hex << c.in;
    }
}

TEST(ColourFilterPixels, HsbAgreesWithColorsys) {
    struct Case {
        const char* oracle;
        int mode;
        float hue, saturationArgument, brightnessArgument;
    };
    for (Case c :
         {Case{"hsb_hue30", 0, 30, 0, 0}, Case{"hsb_hue90", 0, 90, 0, 0}, Case{"hsb_hue-60", 0, -60, 0, 0},
          Case{"hsb_hue180", 0, 180, 0, 0}, Case{"hsb_sat-128", 0, 0, -128, 0},
          Case{"hsb_bright64", 0, 0, 0, 64}, Case{"hsb_lock120", 1, 120, 0, 0}}) {
        TestImage source = Colour();
        TestImage out(kImageWidth, kImageHeight, 2);
        HsbPixels(source.image(), out.image(), c.mode, c.hue, c.saturationArgument * 100 / 255.0f,
                  c.brightnessArgument * 100 / 255.0f);
        DifferenceRange range = CompareChannels(out, LoadOracle(c.oracle, kImageWidth, kImageHeight));
        EXPECT_GE(range.low, -5) << c.oracle;
        EXPECT_LE(range.high, 5) << c.oracle;
        EXPECT_TRUE(AlphaEqual(out, source)) << c.oracle;
        EXPECT_TRUE(out.PaddingIntact()) << c.oracle;
    }
}

// Beyond +/-100 % the brightness acts as +/-100 %: no channel wraps through 0..255.
TEST(ColourFilterPixels, HsbBrightnessBeyondFullScaleActsAsFullScale) {
    TestImage source = Colour();
    for (float percent : {100.0f, -100.0f}) {
        TestImage full(kImageWidth, kImageHeight), beyond(kImageWidth, kImageHeight);
        HsbPixels(source.image(), full.image(), 0, 0.0f, 0.0f, percent);
        HsbPixels(source.image(), beyond.image(), 0, 0.0f, 0.0f, 3 * percent);
        DifferenceRange same = CompareChannels(beyond, full, 0, 4);
        EXPECT_EQ(same.low, 0) << percent;
        EXPECT_EQ(same.high, 0) << percent;
        for (int y = 0; y < kImageHeight; ++y)
            for (int x = 0; x < kImageWidth; ++x)
                for (int c = 0; c < 3; ++c) {
                    if (percent > 0) {
                        EXPECT_GE(beyond.At(x, y)[c], 250);
                    } else {
                        EXPECT_EQ(beyond.At(x, y)[c], 0);
                    }
                }
    }
}

TEST(ColourFilterPixels, BrightClipKeepsFillsOrRefuses) {
    // Luma of grey v is v x 4094; level 100 gives 100 x 4096.
    struct Case {
        int comparison;
        bool fill;
        int grey;
        uint32_t out;
    };
    const uint32_t kept = 0x11223344u, filled = 0x7FFF0000u;
    for (Case c : {Case{kBrightClipLess, false, 101, 0xFF656565u}, Case{kBrightClipLess, false, 100, kept},
                   Case{kBrightClipLess, true, 99, filled}, Case{kBrightClipGreater, false, 100, 0xFF646464u},
                   Case{kBrightClipGreater, false, 101, kept}, Case{kBrightClipGreater, true, 200, filled}}) {
        TestImage source = Grey(c.grey);
        TestImage destination(1, 1);
        destination.Set(0, 0, kept);
        FilterColorBlock fill{1.0f, 0.0f, 0.0f, 0.5f};
        EXPECT_EQ(BrightClipPixels(source.image(), destination.image(), c.comparison, 100.0f,
                                   c.fill ? &fill : nullptr),
                  0);
        EXPECT_EQ(destination.Argb(0, 0), c.out) << c.comparison << " " << c.grey;
    }
    TestImage source = Grey(255), destination(1, 1);
    destination.Set(0, 0, kept);
    EXPECT_EQ(BrightClipPixels(source.image(), destination.image(), 3, 100.0f, nullptr), -1);
    EXPECT_EQ(destination.Argb(0, 0), kept);
}

TEST(ColourFilterPixels, LevelFollowsFloatReference) {
    struct Case {
        const char* oracle;
        float inputMin, inputMax, gamma, outputMin, outputMax;
    };
    for (Case c : {Case{"level_a", 30, 220, 1.0f, 0, 255}, Case{"level_b", 0, 255, 2.2f, 0, 255},
                   Case{"level_c", 64, 192, 0.5f, 40, 200}}) {
        TestImage source = Colour();
        TestImage out(kImageWidth, kImageHeight, 1);
        LevelPixels(source.image(), out.image(), c.inputMin, c.inputMax, c.gamma, c.outputMin, c.outputMax);
        DifferenceRange range = CompareChannels(out, LoadOracle(c.oracle, kImageWidth, kImageHeight));
        EXPECT_GE(range.low, -2) << c.oracle;
        EXPECT_LE(range.high, 2) << c.oracle;
        EXPECT_TRUE(AlphaEqual(out, source)) << c.oracle;
    }
}

TEST(ColourFilterPixels, LevelWithEqualOrSwappedInputEnds) {
    struct Case {
        float inputMin, inputMax;
        int grey, out;
    };
    for (Case c :
         {Case{100, 100, 0, 0}, Case{100, 100, 99, 0}, Case{100, 100, 100, 254}, Case{100, 100, 255, 254},
          Case{255, 0, 0, 254}, Case{255, 0, 255, 0}, Case{200, 100, 220, 0}, Case{200, 100, 90, 254}}) {
        TestImage pixel = Grey(c.grey);
        TestImage out(1, 1);
        LevelPixels(pixel.image(), out.image(), c.inputMin, c.inputMax, 1.0f, 0, 255);
        EXPECT_EQ(out.At(0, 0)[0], c.out) << c.inputMin << ".." << c.inputMax << " at " << c.grey;
        EXPECT_EQ(out.At(0, 0)[2], c.out);
    }
    // A falling ramp between swapped ends.
    int last = 255;
    for (int grey = 0; grey < 256; grey += 5) {
        TestImage pixel = Grey(grey), out(1, 1);
        LevelPixels(pixel.image(), out.image(), 200, 50, 1.0f, 0, 255);
        EXPECT_LE(out.At(0, 0)[1], last) << grey;
        last = out.At(0, 0)[1];
    }
    EXPECT_EQ(last, 0);
}

TEST(ColourFilterPixels, TwoColorSplitsAtThresholdEvenForHugeThresholds) {
    const FilterColorBlock color1{1.0f, 0.5f, 0.0f, 1.0f}, color2{0.0f, 0.0f, 1.0f, 0.25f};
    const uint32_t pixel1 = 0xFFFF7F00u, pixel2 = 0x3F0000FFu;
    struct Case {
        float threshold;
        int grey;
        uint32_t out;
    };
    for (Case c :
         {Case{128, 255, pixel1}, Case{128, 0, pixel2}, Case{128, 128, pixel2}, Case{128, 129, pixel1},
          Case{1e10f, 255, pixel2}, Case{-1e10f, 0, pixel1}, Case{float(INT_MAX), 255, pixel2}}) {
        TestImage source = Grey(c.grey), out(1, 1);
        TwoColorPixels(source.image(), out.image(), c.threshold, color1, color2);
        EXPECT_EQ(out.Argb(0, 0), c.out) << c.threshold << " at " << c.grey;
    }
}

TEST(ColourFilterPixels, GradientMapTakesTheFirstRowByLuma) {
    TestImage gradient(4, 2, 1);
    const uint32_t colours[4] = {0x10000001u, 0x20000002u, 0x30000003u, 0x40000004u};
    for (int x = 0; x < 4; ++x) {
        gradient.Set(x, 0, colours[x]);
        gradient.Set(x, 1, 0xFFFFFFFFu);
    }
    struct Case {
        int grey, reverse;
        uint32_t out;
    };
    for (Case c : {Case{10, 0, colours[0]}, Case{100, 0, colours[1]}, Case{200, 0, colours[3]},
                   Case{255, 0, colours[3]}, Case{10, 1, colours[3]}, Case{100, 1, colours[2]},
                   Case{200, 1, colours[0]}}) {
        TestImage source = Grey(c.grey), out(1, 1);
        EXPECT_EQ(GradientMapPixels(source.image(), out.image(), gradient.image(), c.reverse), 0);
        EXPECT_EQ(out.Argb(0, 0), c.out) << c.grey << " reverse " << c.reverse;
    }
    TestImage narrow(1, 1);
    narrow.Set(0, 0, 0x12345678u);
    TestImage source = Colour(), out(kImageWidth, kImageHeight);
    EXPECT_EQ(GradientMapPixels(source.image(), out.image(), narrow.image(), 0), 0);
    for (int y = 0; y < kImageHeight; ++y)
        for (int x = 0; x < kImageWidth; ++x) EXPECT_EQ(out.Argb(x, y), 0x12345678u);
    SoftImage empty{};
    EXPECT_EQ(GradientMapPixels(source.image(), out.image(), empty, 0), -1);
}

}  // namespace
