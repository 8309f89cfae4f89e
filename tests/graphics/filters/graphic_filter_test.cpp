#include "engine/graphics/filters/graphic_filter.h"

#include <gtest/gtest.h>

#include "engine/graphics/filters/filter_arguments.h"
#include "engine/graphics/filters/filter_shader_layout.h"
#include "engine/graphics/filters/filter_shaders.h"
#include "tests/core/log_capture.h"

namespace {

TEST(GraphicFilter, ArgumentCountsFollowTheKindsTable) {
    const int noFill[3] = {2, 100, 0}, withFill[3] = {5, 100, 1};
    struct Case {
        int blendFlag, kind;
        const int* arguments;
        int count;
    };
    for (Case c :
         {Case{0, 0, nullptr, 2}, Case{0, 1, nullptr, 2}, Case{0, 2, nullptr, 1}, Case{0, 3, noFill, 3},
          Case{0, 3, withFill, 5}, Case{0, 4, nullptr, 4}, Case{0, 5, nullptr, 0}, Case{0, 6, nullptr, 5},
          Case{0, 7, nullptr, 5}, Case{0, 8, nullptr, 2}, Case{0, 9, nullptr, 0}, Case{0, 10, nullptr, 0},
          Case{1, 1, nullptr, 4}, Case{1, 0, nullptr, 0}, Case{1, 16, nullptr, 0}})
        EXPECT_EQ(FilterArgumentCount(c.blendFlag, c.kind, c.arguments), c.count)
            << c.blendFlag << " " << c.kind;
}

TEST(GraphicFilter, ArgumentConversions) {
    FilterArguments out;
    const int mono[2] = {255, -51};
    ConvertFilterArguments(0, 0, mono, &out);
    EXPECT_FLOAT_EQ(out.cb, 100.0f);
    EXPECT_FLOAT_EQ(out.cr, -20.0f);
    const int blur[2] = {16, 250};
    ConvertFilterArguments(0, 1, blur, &out);
    EXPECT_EQ(out.taps, 16);
    EXPECT_FLOAT_EQ(out.strength, 2.5f);
    const int level[5] = {10, 200, 220, 5, 250};
    ConvertFilterArguments(0, 6, level, &out);
    EXPECT_FLOAT_EQ(out.gamma, 2.2f);
    EXPECT_FLOAT_EQ(out.inputMax, 200.0f);
    const int hsb[4] = {2, 45, 51, -255};
    ConvertFilterArguments(0, 4, hsb, &out);
    EXPECT_EQ(out.mode, 2);
    EXPECT_FLOAT_EQ(out.hue, 45.0f);
    EXPECT_FLOAT_EQ(out.saturation, 20.0f);
    EXPECT_FLOAT_EQ(out.brightness, -100.0f);
    const int mix[4] = {2, 1, 0, 3};
    ConvertFilterArguments(1, 1, mix, &out);
    EXPECT_EQ(out.selector[0], 2);
    EXPECT_EQ(out.selector[3], 3);
}

// No graphic exists until the graphics layer hands them out: every run is refused.
TEST(GraphicFilter, RefusedWithoutGraphics) {
    EXPECT_EQ(ApplyGraphicFilter(1, 5), -1);
    const int mix[4] = {2, 1, 0, 3};
    EXPECT_EQ(RunGraphicFilter(1, 1, 2, 1, 255, 1, 0, 0, 8, 8, 0, 0, 0, 0, 0, mix), -1);
}

TEST(GraphicFilter, ShaderNamesByArguments) {
    EXPECT_STREQ(BrightClipShader(2, 0)->fileName, "BrightClipLess.pso");
    EXPECT_STREQ(BrightClipShader(2, 1)->fileName, "BrightClipFillLess.pso");
    EXPECT_STREQ(BrightClipShader(5, 0)->fileName, "BrightClipGreater.pso");
    EXPECT_STREQ(BrightClipShader(5, 1)->fileName, "BrightClipFillGreater.pso");
    EXPECT_STREQ(HsbShader(1, 0)->fileName, "Hsb_HSB_HLOCK.pso");
    EXPECT_STREQ(HsbShader(0, 0)->fileName, "Hsb_RGB_TO_HSB.pso");
    EXPECT_STREQ(HsbShader(2, 1)->fileName, "Hsb_HSB_TO_RGB.pso");
    EXPECT_STREQ(GradientMapShader(1)->fileName, "GradientMapRev.pso");
    EXPECT_STREQ(GaussShader(12)->fileName, "Gauss_16Pixel_PS.pso");
    EXPECT_STREQ(GaussShader(100)->fileName, "Gauss_32Pixel_PS.pso");
    EXPECT_STREQ(DownScaleShader(3)->fileName, "DownScaleX4.pso");
    EXPECT_STREQ(BlendShader(0)->fileName, "BasBF_Normal.pso");
    EXPECT_EQ(BlendShader(1), nullptr);
    EXPECT_STREQ(BlendShader(16)->fileName, "BasBF_Multiple_AOnly.pso");
    EXPECT_EQ(BlendShader(17), nullptr);
    EXPECT_STREQ(RgbaMixShader(2, 1, 0, 7)->fileName, "RGBAMix_SBSGSRBA.pso");
    EXPECT_STREQ(RgbaMixShader(0, 5, 2, 3)->fileName, "RGBAMix_Base.pso");
    // One graphic only: the precompiled variant of the selectors, reading the blend graphic for 4-7.
    EXPECT_EQ(RgbaMixShader(2, 1, 0, 3)->fileName, nullptr);
    EXPECT_EQ(RgbaMixShader(2, 1, 0, 3)->tableEntry, RgbaMixTableEntry(2, 1, 0, 3));
    EXPECT_EQ(RgbaMixShader(4, 5, 6, 7)->tableEntry, RgbaMixTableEntry(0, 1, 2, 3));
    EXPECT_EQ(RgbaMixShader(0, 0, 0, 0)->handle, -1);
    EXPECT_EQ(RgbaMixReadsBlendOnly(4, 5, 6, 7), 1);
    EXPECT_EQ(RgbaMixReadsBlendOnly(4, 5, 6, 3), 0);
}

class FilterShaderLog : public LogCapture {};

TEST_F(FilterShaderLog, FailedCreationIsLoggedAndLeavesTheCacheEmpty) {
    EXPECT_EQ(PrepareFilterShader(InvertShader()), -1);
    EXPECT_EQ(InvertShader()->handle, -1);
    EXPECT_EQ(PrepareRgbaMixShader(2, 1, 0, 7), -1);
    EXPECT_EQ(PrepareRgbaMixShader(2, 1, 0, 3), -1);
    std::string log = ReadLog();
    // The texts are written as Shift-JIS bytes.
    const char* failed =
        "\x83\x74\x83\x42\x83\x8B\x83\x5E\x81\x5B\x97\x70\x83\x56\x83\x46\x81\x5B\x83\x5F\x81\x5B"
        "\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
    EXPECT_NE(log.find(std::string(failed) + " Invert.pso"), std::string::npos) << log;
    EXPECT_NE(log.find("RGBAMixS " + std::string(failed) + " RGBAMix_SBSGSRBA.pso"), std::string::npos);
    EXPECT_NE(log.find("RGBAMixS " + std::string(failed) + "\r\n"), std::string::npos);
}

}  // namespace
