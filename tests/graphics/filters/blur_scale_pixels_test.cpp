#include "engine/graphics/filters/blur_scale_pixels.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/graphics/filters/filter_test_images.h"

namespace {

TEST(BlurScalePixels, GaussAgreesWithScipyCorrelation) {
    TestImage source = LoadOracle("blur_in", 48, 20, 2);
    for (int taps : {8, 16, 32}) {
        for (int strength : {1, 10, 100}) {
            std::string name = "blur_" + std::to_string(taps) + "_" + std::to_string(strength);
            TestImage out(48, 20, 3);
            ASSERT_EQ(GaussBlurPixels(source.image(), out.image(), taps, float(strength)), 0);
            DifferenceRange range = CompareChannels(out, LoadOracle(name, 48, 20), 0, 4);
            EXPECT_GE(range.low, -1) << name;
            EXPECT_LE(range.high, 1) << name;
            EXPECT_TRUE(out.PaddingIntact()) << name;
        }
    }
}

TEST(BlurScalePixels, GaussKeepsFlatImagesAndCopiesAtNoStrength) {
    for (int taps : {8, 32}) {
        TestImage flat(21, 7, 1);
        flat.Fill(0x80C0A0B7u);
        TestImage out(21, 7);
        ASSERT_EQ(GaussBlurPixels(flat.image(), out.image(), taps, 100.0f), 0);
        DifferenceRange range = CompareChannels(out, flat, 0, 4);
        EXPECT_EQ(range.low, 0) << taps;
        EXPECT_EQ(range.high, 0) << taps;
    }
    TestImage source = LoadOracle("blur_in", 48, 20);
    for (float strength : {0.0f, 0.00000005f, -3.0f}) {
        TestImage out(48, 20, 1);
        ASSERT_EQ(GaussBlurPixels(source.image(), out.image(), 16, strength), 0);
        DifferenceRange range = CompareChannels(out, source, 0, 4);
        EXPECT_EQ(range.low, 0) << strength;
        EXPECT_EQ(range.high, 0) << strength;
    }
}

TEST(BlurScalePixels, TapWidthsRoundUpToEightSixteenOrThirtyTwo) {
    struct Case {
        int asked, used;
    };
    for (Case c :
         {Case{-4, 8}, Case{8, 8}, Case{9, 16}, Case{12, 16}, Case{16, 16}, Case{17, 32}, Case{100, 32}})
        EXPECT_EQ(GaussTapWidth(c.asked), c.used) << c.asked;
    TestImage source = LoadOracle("blur_in", 48, 20);
    TestImage twelve(48, 20), sixteen(48, 20), eight(48, 20);
    GaussBlurPixels(source.image(), twelve.image(), 12, 10.0f);
    GaussBlurPixels(source.image(), sixteen.image(), 16, 10.0f);
    GaussBlurPixels(source.image(), eight.image(), 8, 10.0f);
    DifferenceRange same = CompareChannels(twelve, sixteen, 0, 4);
    EXPECT_EQ(same.low, 0);
    EXPECT_EQ(same.high, 0);
    DifferenceRange other = CompareChannels(twelve, eight, 0, 4);
    EXPECT_NE(other.low, other.high);
}

TEST(BlurScalePixels, DownScaleIsTheFlooredBlockMean) {
    TestImage source = LoadOracle("down_in", 18, 13, 1);
    struct Case {
        int scale, width, height;
    };
    for (Case c : {Case{2, 9, 6}, Case{4, 4, 3}, Case{8, 2, 1}}) {
        TestImage out(c.width, c.height, 2);
        DownScalePixels(source.image(), out.image(), c.scale);
        DifferenceRange range =
            CompareChannels(out, LoadOracle("down_" + std::to_string(c.scale), c.width, c.height), 0, 4);
        EXPECT_EQ(range.low, 0) << c.scale;
        EXPECT_EQ(range.high, 0) << c.scale;
        EXPECT_TRUE(out.PaddingIntact());
    }
    TestImage byThree(4, 3), byFour(4, 3);
    DownScalePixels(source.image(), byThree.image(), 3);
    DownScalePixels(source.image(), byFour.image(), 4);
    DifferenceRange same = CompareChannels(byThree, byFour, 0, 4);
    EXPECT_EQ(same.low, 0);
    EXPECT_EQ(same.high, 0);
    struct Factor {
        int asked, used;
    };
    for (Factor f : {Factor{0, 2}, Factor{2, 2}, Factor{3, 4}, Factor{4, 4}, Factor{5, 8}, Factor{64, 8}})
        EXPECT_EQ(DownScaleFactor(f.asked), f.used) << f.asked;
}

}  // namespace
