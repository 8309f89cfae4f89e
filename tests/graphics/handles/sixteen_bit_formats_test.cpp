// Texture formats on a 16-bit desktop: draw targets in R5G6B5, colour-keyed images in A1R5G5B5 with the
// transparent colour's alpha bit clear; the software image of the same load is 16-bit and keyed.
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "platform/host/host.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

class SixteenBitFormatsTest : public GraphicsTest {
  protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        const HostDisplayMode desktop{1024, 768, 16, 60};
        HostSetHeadlessDesktopModeForTests(&desktop);
    }
    void TearDown() override {
        HostSetHeadlessDesktopModeForTests(nullptr);
        GraphicsTest::TearDown();
    }
    // A red column and three pure green ones.
    int LoadRedGreen() {
        SoftImage image = RgbImage(4, 2, [](int x, int) { return x == 0 ? 0xFF0000u : 0x00FF00u; });
        const std::string path = WritePng("red_green.png", &image);
        ReleaseSoftImage(&image);
        return LoadGraphFile(path.c_str(), 0);
    }
};

TEST_F(SixteenBitFormatsTest, DrawTargetIsOneR5G6B5RenderTargetTexture) {
    Start();
    ASSERT_EQ(GetColorDepth(), 16);
    const int target = MakeDrawTarget(400, 300, 0);
    ASSERT_GE(target, 0);
    ASSERT_EQ(Entry(target)->block->textureCount, 1);
    const D3DSURFACE_DESC desc = TextureDesc(Tile(target, 0).texture);
    EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
    EXPECT_EQ(desc.Usage, DWORD(D3DUSAGE_RENDERTARGET));
    EXPECT_EQ(desc.Width * 1000 + desc.Height, 400300u);
}

TEST_F(SixteenBitFormatsTest, ColourKeyedPngIsA1R5G5B5WithTheKeyTransparent) {
    Start();
    ASSERT_EQ(Direct3DMode, 1);
    SetTransparentColour(0, 255, 0);
    const int graphic = LoadRedGreen();
    ASSERT_GE(graphic, 0);
    EXPECT_EQ(Entry(graphic)->block->format, 4);
    IDirect3DTexture9* texture = Tile(graphic, 0).texture;
    EXPECT_EQ(TextureDesc(texture).Format, D3DFMT_A1R5G5B5);
    EXPECT_EQ(Texel(texture, 0, 1), 0xFC00u);
    for (int x = 1; x < 4; ++x) EXPECT_EQ(Texel(texture, x, 0) & 0x8000u, 0u) << x;
}

TEST_F(SixteenBitFormatsTest, SoftwareImageIs16BitKeyedWithTheTransparentColour) {
    ASSERT_EQ(SetHardwareDrawEnabled(0), 0);
    Start();
    ASSERT_EQ(Direct3DMode, 0);
    SetTransparentColour(0, 255, 0);
    const int graphic = LoadRedGreen();
    ASSERT_GE(graphic, 0);
    const GraphicImageBlock* block = Entry(graphic)->block;
    EXPECT_EQ(block->format, 27);
    EXPECT_EQ(block->image.base->transparentColor, 0x07E0u);
    const auto* row = reinterpret_cast<const uint16_t*>(block->image.pixels);
    EXPECT_EQ(row[0], 0xF800u);
    EXPECT_EQ(row[1], 0x07E0u);
}

}  // namespace
