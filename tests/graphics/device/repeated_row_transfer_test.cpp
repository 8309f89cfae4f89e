// An image whose pitch is 0 repeats its one row on every row: uploaded into a graphic it writes the
// same texels as the full image would, through every upload path (managed texture, staging texture,
// render target, mip levels, colour key, alpha image, a clipped rectangle at an offset).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/graphics/device/texture_transfer.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

struct Case {
    const char* name;
    int bits, alpha, colourKeyAlpha, drawTarget, mipLevels;
    bool ex;
    bool alphaImage;
    RECT source;
    int destX, destY;
};

const Case kCases[] = {
    {"16-bit colour key", 16, 0, 1, 0, 1, false, false, RECT{0, 0, 40, 24}, 0, 0},
    {"32-bit alpha with an alpha image", 32, 1, 0, 0, 1, false, true, RECT{0, 0, 40, 24}, 0, 0},
    {"staging texture", 16, 1, 0, 0, 1, true, false, RECT{0, 0, 40, 24}, 0, 0},
    {"render target", 32, 0, 0, 1, 1, false, false, RECT{0, 0, 40, 24}, 0, 0},
    {"mip levels", 32, 1, 0, 0, 3, false, false, RECT{0, 0, 40, 24}, 0, 0},
    {"clipped at an offset", 16, 0, 1, 0, 1, false, false, RECT{-3, 2, 70, 19}, 5, 7},
};

constexpr int kGraphicWidth = 64, kGraphicHeight = 48;
constexpr uint32_t kKey = 0x00FF00FF;  // the default transparent colour

class RepeatedRowTransferTest : public GraphicsTest {
  protected:
    static int Make(const Case& c) {
        GraphicCreateParams params;
        FillGraphicCreateParams(&params);
        params.words[CREATE_BIT_DEPTH] = c.bits;
        params.words[CREATE_ALPHA] = c.alpha;
        params.words[CREATE_COLOR_KEY_ALPHA] = c.colourKeyAlpha;
        params.words[CREATE_DRAW_TARGET] = c.drawTarget;
        params.words[CREATE_MIP_LEVELS] = c.mipLevels;
        return CreateGraphicFromParams(params, kGraphicWidth, kGraphicHeight, 0, 0, 0);
    }
    // Every level of every texture of the graphic, byte for byte.
    static std::vector<uint8_t> AllTexels(int graphic) {
        std::vector<uint8_t> bytes;
        const GraphicImageBlock* block = Entry(graphic)->block;
        for (int i = 0; i < block->textureCount; ++i) {
            auto* texture = static_cast<d3d9::Texture*>(Tile(graphic, i).texture);
            for (int level = 0; level < texture->LevelCount(); ++level) {
                const auto& bits = texture->Level(level)->store.bits;
                bytes.insert(bytes.end(), bits.begin(), bits.end());
            }
        }
        return bytes;
    }
};

TEST_F(RepeatedRowTransferTest, WritesWhatTheFullImageWrites) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        D3D9SetExAvailable(c.ex);
        Start();
        // Each pixel of the row differs from its neighbours; every fifth is the transparent colour.
        auto row = [](int x, int) { return x % 5 == 0 ? kKey : 0x102030u * uint32_t(x + 1) & 0xFFFFFF; };
        auto fade = [](int x, int) { return 0x030303u * uint32_t(x); };
        SoftImage full = RgbImage(kGraphicWidth, kGraphicHeight, row);
        SoftImage fullAlpha = RgbImage(kGraphicWidth, kGraphicHeight, fade);
        SoftImage repeated = RgbImage(kGraphicWidth, 1, row);
        SoftImage repeatedAlpha = RgbImage(kGraphicWidth, 1, fade);
        SoftImage repeatedView = repeated, repeatedAlphaView = repeatedAlpha;
        repeatedView.height = repeatedAlphaView.height = kGraphicHeight;
        repeatedView.pitch = repeatedAlphaView.pitch = 0;

        const int fromFull = Make(c), fromRepeated = Make(c);
        ASSERT_GT(fromFull, 0);
        ASSERT_GT(fromRepeated, 0);
        EXPECT_EQ(TransferImageToTextures(fromFull, &full, c.alphaImage ? &fullAlpha : nullptr, c.source,
                                          c.destX, c.destY, 1, 0, 0),
                  0);
        EXPECT_EQ(
            TransferImageToTextures(fromRepeated, &repeatedView, c.alphaImage ? &repeatedAlphaView : nullptr,
                                    c.source, c.destX, c.destY, 1, 0, 0),
            0);
        const std::vector<uint8_t> expected = AllTexels(fromFull);
        EXPECT_NE(expected, std::vector<uint8_t>(expected.size(), 0));
        const std::vector<uint8_t> got = AllTexels(fromRepeated);
        ASSERT_EQ(got.size(), expected.size());
        EXPECT_TRUE(got == expected) << "first difference at byte "
                                     << std::mismatch(got.begin(), got.end(), expected.begin()).first -
                                            got.begin();

        for (SoftImage* image : {&full, &fullAlpha, &repeated, &repeatedAlpha}) ReleaseSoftImage(image);
        TearDown();
        SetUp();
    }
}

}  // namespace
