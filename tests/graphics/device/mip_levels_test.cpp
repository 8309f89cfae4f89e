// The smaller mip levels of an uploaded image: every texel of a level is the average of the part of the
// image it covers (within 3 steps of rounding), whether or not the image's sides are powers of two (an odd
// side must not lose its last column or row).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/graphics/device/texture_transfer.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

// Red rises along x, green along y, blue is flat: the average over any box is its centre's value.
int Channel(int c, int x, int y) {
    return c == 0 ? 15 + 18 * x : c == 1 ? 9 + 22 * y : 77;
}

// The mean of channel c over the source box [x1, x2) x [y1, y2), each pixel weighted by its overlap.
double BoxMean(int c, double x1, double x2, double y1, double y2) {
    double sum = 0, area = 0;
    for (int y = int(y1); y < int(std::ceil(y2)); ++y)
        for (int x = int(x1); x < int(std::ceil(x2)); ++x) {
            const double w = (std::min(x2, x + 1.0) - std::max(x1, double(x))) *
                             (std::min(y2, y + 1.0) - std::max(y1, double(y)));
            sum += w * Channel(c, x, y);
            area += w;
        }
    return sum / area;
}

class MipLevelsTest : public GraphicsTest {};

TEST_F(MipLevelsTest, EachTexelAveragesItsPartOfTheImage) {
    struct Case {
        int width, height, levels;
    };
    const Case cases[] = {{8, 8, 4}, {5, 3, 3}, {7, 6, 3}, {12, 10, 4}, {3, 9, 4}};
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        GraphicCreateParams params;
        FillGraphicCreateParams(&params);
        params.words[CREATE_BIT_DEPTH] = 32;
        params.words[CREATE_COLOR_KEY_ALPHA] = 0;
        params.words[CREATE_MIP_LEVELS] = c.levels;
        const int graphic = CreateGraphicFromParams(params, c.width, c.height, 0, 0, 0);
        ASSERT_GT(graphic, 0);
        SoftImage image = RgbImage(c.width, c.height, [](int x, int y) {
            return uint32_t(Channel(0, x, y) << 16 | Channel(1, x, y) << 8 | Channel(2, x, y));
        });
        ASSERT_EQ(
            TransferImageToTextures(graphic, &image, nullptr, RECT{0, 0, c.width, c.height}, 0, 0, 0, 0, 0),
            0);
        auto* texture = static_cast<d3d9::Texture*>(Tile(graphic, 0).texture);
        ASSERT_EQ(texture->LevelCount(), c.levels);
        for (int level = 1; level < c.levels; ++level) {
            const int w = std::max(1, c.width >> level), h = std::max(1, c.height >> level);
            const double sx = double(c.width) / w, sy = double(c.height) / h;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    uint32_t texel = 0;
                    std::memcpy(&texel, texture->Level(level)->store.At(x, y), 4);
                    for (int ch = 0; ch < 3; ++ch) {
                        const double want = BoxMean(ch, x * sx, (x + 1) * sx, y * sy, (y + 1) * sy);
                        const int got = int(texel >> (16 - 8 * ch)) & 255;
                        EXPECT_NEAR(got, want, 3.0)
                            << "level " << level << " at " << x << "," << y << " channel " << ch;
                    }
                }
        }
        ReleaseSoftImage(&image);
    }
}

}  // namespace
