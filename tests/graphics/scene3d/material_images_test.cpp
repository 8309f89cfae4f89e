#include "engine/graphics/scene3d/material_images.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/core/memory/tracked_allocator.h"
#include "engine/image/image_writers.h"

namespace {

SoftImage HeightImage(int width, int height, int (*level)(int x, int y)) {
    SoftImage image{};
    CreateSoftImageXrgb8(width, height, &image);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) SetImagePixelRgba(&image, x, y, level(x, y), 0, 0, 255);
    return image;
}

void ExpectPixel(const SoftImage& image, int x, int y, int r, int g, int b, int tolerance) {
    const uint32_t p = GetImagePixelArgb(&image, x, y);
    EXPECT_NEAR(int((p >> 16) & 0xFF), r, tolerance) << x << "," << y;
    EXPECT_NEAR(int((p >> 8) & 0xFF), g, tolerance) << x << "," << y;
    EXPECT_NEAR(int(p & 0xFF), b, tolerance) << x << "," << y;
}

TEST(MaterialImages, TextureSidesRiseToPowersOfTwoWithinHalfTheLargestTexture) {
    struct Case {
        int width, height, maxSide, expectedWidth, expectedHeight;
    };
    const Case cases[] = {{300, 200, 4096, 512, 256},
                          {300, 200, 2048, 512, 256},
                          {1500, 10, 2048, 1024, 16},
                          {4096, 3, 2048, 4096, 4},  // a power of two stays as it is
                          {1, 1, 2048, 1, 1}};
    for (const Case& c : cases) {
        SoftImage image{};
        ASSERT_EQ(CreateSoftImageXrgb8(c.width, c.height, &image), 0);
        ASSERT_EQ(FitMaterialImage(&image, c.maxSide, c.maxSide, 0), 0);
        EXPECT_EQ(image.width, c.expectedWidth) << c.width << "x" << c.height;
        EXPECT_EQ(image.height, c.expectedHeight) << c.width << "x" << c.height;
        ReleaseSoftImage(&image);
    }
}

TEST(MaterialImages, FlatHeightsGiveUpwardNormals) {
    SoftImage heights = HeightImage(4, 4, [](int, int) { return 100; });
    SoftImage normals{};
    ASSERT_EQ(MakeNormalMapImage(&heights, 0.0f, &normals), 0);  // scale raised to 0.000001
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) ExpectPixel(normals, x, y, 127, 127, 255, 0);
    ReleaseSoftImage(&heights);
    ReleaseSoftImage(&normals);
}

TEST(MaterialImages, RampNormalsEqualTheOracle) {
    SoftImage heights = HeightImage(8, 4, [](int x, int y) { return 28 * x + 16 * y; });
    SoftImage normals{};
    ASSERT_EQ(MakeNormalMapImage(&heights, 2.0f, &normals), 0);
    std::ifstream in(std::string(KORVALUND_TEST_DIR) + "/scene3d/oracles/normal_map_ramp.txt");
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            int r = -1, g = -1, b = -1;
            ASSERT_TRUE(in >> r >> g >> b);
            ExpectPixel(normals, x, y, r, g, b, 1);
        }
    ReleaseSoftImage(&heights);
    ReleaseSoftImage(&normals);
}

TEST(MaterialImages, SizesMatchTowardsTheLargerImage) {
    struct Case {
        int colourW, colourH, alphaW, alphaH, w, h;
    };
    const Case cases[] = {{16, 16, 32, 64, 32, 64}, {64, 16, 32, 32, 64, 16}, {8, 8, 8, 8, 8, 8}};
    for (const Case& c : cases) {
        SoftImage colour{}, alpha{};
        CreateSoftImageXrgb8(c.colourW, c.colourH, &colour);
        CreateSoftImageXrgb8(c.alphaW, c.alphaH, &alpha);
        ASSERT_EQ(MatchMaterialImageSizes(&colour, &alpha), 0);
        EXPECT_EQ(colour.width, c.w);
        EXPECT_EQ(colour.height, c.h);
        EXPECT_EQ(alpha.width, c.w);
        EXPECT_EQ(alpha.height, c.h);
        ReleaseSoftImage(&colour);
        ReleaseSoftImage(&alpha);
    }
}

class MaterialFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/material_imagesXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        std::remove(AlphaPath().c_str());
        std::remove(folder.c_str());
    }
    std::string AlphaPath() const { return folder + "/alpha.bmp"; }
    std::string folder;
};

TEST_F(MaterialFileTest, AlphaWithoutColourFileGetsAWhiteStandInAndMissingFilesKeepNothing) {
    SoftImage saved = HeightImage(3, 5, [](int x, int) { return x * 100; });
    ASSERT_EQ(SaveImageAsBmp(AlphaPath().c_str(), &saved), 0);
    ReleaseSoftImage(&saved);
    const uint32_t blocks = GetTrackedAllocCount();
    const std::string alpha = AlphaPath();
    const std::string missing = folder + "/none.bmp";

    SoftImage colourImage{}, alphaImage{};
    int hasAlpha = 0;
    MaterialImageRequest request{nullptr, alpha.c_str(), 0, 1.0f, 1, 2048, 2048};
    ASSERT_EQ(BuildMaterialImage(request, &colourImage, &alphaImage, &hasAlpha), 0);
    EXPECT_EQ(hasAlpha, 1);
    EXPECT_EQ(colourImage.width, 4);
    EXPECT_EQ(colourImage.height, 8);
    EXPECT_EQ(alphaImage.width, 4);
    ExpectPixel(colourImage, 2, 3, 255, 255, 255, 0);
    ReleaseSoftImage(&colourImage);
    ReleaseSoftImage(&alphaImage);

    for (MaterialImageRequest bad : {MaterialImageRequest{missing.c_str(), alpha.c_str(), 0, 1, 0, 64, 64},
                                     MaterialImageRequest{nullptr, missing.c_str(), 0, 1, 0, 64, 64},
                                     MaterialImageRequest{nullptr, nullptr, 0, 1, 0, 64, 64}}) {
        EXPECT_EQ(BuildMaterialImage(bad, &colourImage, &alphaImage, &hasAlpha), -1);
        EXPECT_EQ(hasAlpha, 0);
    }
    EXPECT_EQ(GetTrackedAllocCount(), blocks);
}

}  // namespace
