// Uploads with the premultiply option: each colour channel becomes c x a / 255 rounded, on every upload
// path (managed texture, staging texture, render target, the smaller mip levels), and only where the
// texture keeps alpha.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/graphics/device/texture_transfer.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

struct Pixel {
    uint32_t argb, premultiplied;
};

// Worked by hand: 200 x 128 / 255 = 100.4 -> 100, 20 x 191 / 255 = 14.98 -> 15, 1 x 64 / 255 -> 0.
const Pixel kPixels[] = {
    {0x80C86432, 0x80643219},  // 200, 100, 50 at alpha 128
    {0xFF123456, 0xFF123456},  // opaque: unchanged
    {0x00FFFFFF, 0x00000000},  // transparent: black
    {0x40FF0180, 0x40400020},  // 255, 1, 128 at alpha 64
    {0xBF0A141E, 0xBF070F16},  // 10, 20, 30 at alpha 191
};
constexpr int kCount = int(sizeof(kPixels) / sizeof(kPixels[0]));
constexpr int kSide = 8;  // each pixel fills a 2 x 2 cell of column pairs, so mip level 1 keeps it

struct Path {
    const char* name;
    int drawTarget, mipLevels;
    bool ex;
};

const Path kPaths[] = {{"managed texture", 0, 1, false},
                       {"staging texture", 0, 1, true},
                       {"render target", 1, 1, false},
                       {"mip levels", 0, 2, false}};

class PremultipliedTransferTest : public GraphicsTest {
  protected:
    static int Make(const Path& p, int alpha) {
        GraphicCreateParams params;
        FillGraphicCreateParams(&params);
        params.words[CREATE_BIT_DEPTH] = 32;
        params.words[CREATE_ALPHA] = alpha;
        params.words[CREATE_COLOR_KEY_ALPHA] = 0;
        params.words[CREATE_DRAW_TARGET] = p.drawTarget;
        params.words[CREATE_DRAW_TARGET_ALPHA] = p.drawTarget ? alpha : 0;
        params.words[CREATE_MIP_LEVELS] = p.mipLevels;
        return CreateGraphicFromParams(params, kSide, kSide, 0, 0, 0);
    }
    // Pixel i of the table in the 2 x 2 cell (2 (i % 4), 2 (i / 4)).
    static SoftImage Cells() {
        SoftImage image{};
        EXPECT_EQ(CreateSoftImageArgb8(kSide, kSide, &image), 0);
        std::memset(image.pixels, 0, size_t(image.pitch) * kSide);
        for (int i = 0; i < kCount; ++i)
            for (int k = 0; k < 4; ++k) {
                const uint32_t c = kPixels[i].argb;
                SetImagePixelRgba(&image, 2 * (i % 4) + (k & 1), 2 * (i / 4) + (k >> 1), int(c >> 16) & 255,
                                  int(c >> 8) & 255, int(c) & 255, int(c >> 24));
            }
        return image;
    }
    static uint32_t LevelTexel(IDirect3DTexture9* texture, int level, int x, int y) {
        d3d9::Surface* surface = static_cast<d3d9::Texture*>(texture)->Level(level);
        uint32_t value = 0;
        std::memcpy(&value, surface->store.At(x, y), 4);
        return value;
    }
};

TEST_F(PremultipliedTransferTest, ColourChannelsCarryTheAlpha) {
    for (const Path& p : kPaths) {
        SCOPED_TRACE(p.name);
        D3D9SetExAvailable(p.ex);
        Start();
        SoftImage image = Cells();
        const int graphic = Make(p, 1);
        ASSERT_GT(graphic, 0);
        IDirect3DTexture9* texture = Tile(graphic, 0).texture;
        ASSERT_EQ(TextureDesc(texture).Format, D3DFMT_A8R8G8B8);
        ASSERT_EQ(
            TransferImageToTextures(graphic, &image, nullptr, RECT{0, 0, kSide, kSide}, 0, 0, 0, 0, 0, 1), 0);
        for (int i = 0; i < kCount; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(LevelTexel(texture, 0, 2 * (i % 4) + 1, 2 * (i / 4)), kPixels[i].premultiplied);
            if (p.mipLevels > 1) {
                EXPECT_EQ(LevelTexel(texture, 1, i % 4, i / 4), kPixels[i].premultiplied);
            }
        }
        ReleaseSoftImage(&image);
        ShutdownGraphics();
    }
}

// Without alpha in the texture the colours stay as given (the alpha they would be scaled by is gone),
// and without the option an alpha texture keeps them too.
TEST_F(PremultipliedTransferTest, LeavesColoursWhereNothingIsMultiplied) {
    Start();
    SoftImage image = Cells();
    struct Case {
        const char* name;
        int alpha, premultiply;
        Path path;
    };
    const Case cases[] = {{"opaque texture", 0, 1, kPaths[0]},
                          {"opaque mip texture", 0, 1, kPaths[3]},
                          {"option off", 1, 0, kPaths[3]}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int graphic = Make(c.path, c.alpha);
        ASSERT_GT(graphic, 0);
        IDirect3DTexture9* texture = Tile(graphic, 0).texture;
        ASSERT_EQ(TextureDesc(texture).Format, c.alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8);
        ASSERT_EQ(TransferImageToTextures(graphic, &image, nullptr, RECT{0, 0, kSide, kSide}, 0, 0, 0, 0, 0,
                                          c.premultiply),
                  0);
        const int levels = static_cast<d3d9::Texture*>(texture)->LevelCount();
        for (int i = 0; i < kCount; ++i)
            for (int level = 0; level < levels; ++level)
                EXPECT_EQ(
                    LevelTexel(texture, level, (2 * (i % 4)) >> level, (2 * (i / 4)) >> level) & 0xFFFFFF,
                    kPixels[i].argb & 0xFFFFFF)
                    << i << " level " << level;
    }
    ReleaseSoftImage(&image);
}

}  // namespace
