#include "engine/graphics/scene3d/model_textures.h"

#include <gtest/gtest.h>

#include "engine/graphics/scene3d/model_handles.h"

namespace {

TEST(ModelTextures, DefaultImagesAreWhiteTheFourStepRampAndTheSmoothRamp) {
    SoftImage images[kModelDefaultTextureCount]{};
    ASSERT_EQ(MakeDefaultTextureImages(images), 0);
    struct Case {
        int texture, width, height;
        uint32_t (*expected)(int x);
    };
    const Case cases[] = {
        {kModelTextureWhite, 8, 8, [](int) { return 0xFFFFFFFFu; }},
        {kModelTextureFourStepRamp, 256, 8, [](int x) { return uint32_t(x / 64 * 0x55) * 0x010101u; }},
        {kModelTextureSmoothRamp, 256, 8, [](int x) { return uint32_t(x) * 0x010101u; }},
    };
    for (const Case& c : cases) {
        SoftImage& image = images[c.texture];
        ASSERT_EQ(image.width, c.width);
        ASSERT_EQ(image.height, c.height);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                uint32_t pixel = GetImagePixelArgb(&image, x, y);
                if (c.texture != kModelTextureWhite) pixel &= 0xFFFFFF;  // the ramps carry no alpha
                ASSERT_EQ(pixel, c.expected(x)) << c.texture << " at " << x << "," << y;
            }
    }
    for (SoftImage& image : images) ReleaseSoftImage(&image);
}

}  // namespace
