// Copies of the draw target into graphics that are not draw targets: the rectangle is read back and
// written into the destination's textures, across texture edges, at the destination position.
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/handles/derived_graphics.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/handles/graphic_read_back.h"
#include "engine/graphics/loss/device_restart.h"
#include "engine/graphics/target/frame_flip.h"
#include "engine/graphics/target/render_target_slots.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

class ScreenCopyTexturesTest : public GraphicsTest {
  protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        Start();
        target_ = MakeDrawTarget(400, 300, 0);
        ASSERT_GE(target_, 0);
        ASSERT_EQ(SelectDrawTarget(target_), 0);
        // A colour per column and row, so that a misplaced pixel shows.
        IDirect3DSurface9* surface = Tile(target_, 0).surface;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                const RECT r{x, y, x + 1, y + 1};
                ASSERT_EQ(DeviceColorFill(surface, &r, Colour(x, y)), D3D_OK);
            }
    }
    void TearDown() override {
        SelectDrawTarget(kDrawTargetBackBuffer);
        GraphicsTest::TearDown();
        ResetGraphicsRestartForTests();
    }
    static D3DCOLOR Colour(int x, int y) {
        return D3DCOLOR(uint32_t(x * 6) << 16 | uint32_t(y * 6) << 8 | 0x80);
    }
    // A plain graphic split into textures no larger than maxTexture.
    static int Plain(int width, int height, int maxTexture) {
        GraphicCreateParams params;
        FillGraphicCreateParams(&params);
        params.words[CREATE_MAX_TEXTURE_SIZE] = maxTexture;
        return CreateGraphicFromParams(params, width, height, 0, 0, 0);
    }
    static uint32_t ReadPixel(int graphic, int x, int y) {
        SoftImage image{};
        const RECT r{x, y, x + 1, y + 1};
        EXPECT_EQ(ReadGraphicToImage(graphic, &image, &r), 0);
        const uint32_t pixel = image.pixels ? *static_cast<const uint32_t*>(image.pixels) & 0xFFFFFF : 0;
        ReleaseSoftImage(&image);
        return pixel;
    }

    int target_ = -1;
};

TEST_F(ScreenCopyTexturesTest, CopyToGraphicFillsEveryTextureOfTheGraphic) {
    const int copy = Plain(20, 10, 8);  // textures 8, 8 and 4 wide, 8 and 2 high
    ASSERT_GE(copy, 0);
    ASSERT_EQ(Entry(copy)->block->textureCount, 6);
    EXPECT_EQ(CopyDrawScreenToGraphic(5, 7, 26, 17, copy), -1);
    ASSERT_EQ(CopyDrawScreenToGraphic(5, 7, 25, 17, copy), 0);
    for (auto [x, y] :
         {std::pair{0, 0}, std::pair{7, 7}, std::pair{8, 8}, std::pair{19, 9}, std::pair{16, 3}})
        EXPECT_EQ(ReadPixel(copy, x, y), Colour(x + 5, y + 7) & 0xFFFFFF) << x << "," << y;
}

TEST_F(ScreenCopyTexturesTest, RectangleLandsAtTheDestinationPosition) {
    const int copy = Plain(32, 32, 0);
    ASSERT_GE(copy, 0);
    ASSERT_EQ(CopyDrawScreenRect(target_, 2, 3, 6, 8, 20, 10, copy), 0);
    EXPECT_EQ(ReadPixel(copy, 20, 10), Colour(2, 3) & 0xFFFFFF);
    EXPECT_EQ(ReadPixel(copy, 23, 14), Colour(5, 7) & 0xFFFFFF);
    EXPECT_EQ(ReadPixel(copy, 19, 10), 0u);
    EXPECT_EQ(ReadPixel(copy, 24, 10), 0u);
    EXPECT_EQ(CopyDrawScreenRect(target_, 0, 0, 4, 4, 29, 0, copy), -1);  // one column past the edge
    EXPECT_EQ(ReadPixel(copy, 31, 0), 0u);
}

// A graphic cut from a sheet keeps its place in the sheet through a screen copy into it. The screen shows
// the graphic's own picture, which is copied back into it; after a device restart the graphic is refilled
// from its place, so it still shows the copied pixels and the sheet around it is untouched (refilled from
// the sheet's corner, the copy's graphic would show the left half, and so would the sheet's right half).
TEST_F(ScreenCopyTexturesTest, CopyIntoADerivedGraphicKeepsItsPlaceInTheSheet) {
    SoftImage halves = RgbImage(32, 16, [](int x, int) { return x < 16 ? 0x102030u : 0xC0A080u; });
    const int sheet = LoadGraphFile(WritePng("halves.png", &halves).c_str(), 0);
    ReleaseSoftImage(&halves);
    ASSERT_GE(sheet, 0);
    const int right = DeriveGraphic(16, 0, 16, 16, sheet);
    ASSERT_GE(right, 0);
    const RECT shown{100, 100, 116, 116};
    ASSERT_EQ(DeviceColorFill(Tile(target_, 0).surface, &shown, 0x00C0A080), D3D_OK);
    ASSERT_EQ(CopyDrawScreenRect(target_, 100, 100, 116, 116, 0, 0, right), 0);
    ASSERT_EQ(ReadPixel(right, 3, 3), 0xC0A080u);
    ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    ASSERT_EQ(Direct3DMode, 1);
    for (auto [x, y] : {std::pair{0, 0}, std::pair{15, 15}})
        EXPECT_EQ(ReadPixel(right, x, y), 0xC0A080u) << x << "," << y;
    EXPECT_EQ(ReadPixel(sheet, 20, 5), 0xC0A080u);
    EXPECT_EQ(ReadPixel(sheet, 5, 5), 0x102030u);
}

}  // namespace
