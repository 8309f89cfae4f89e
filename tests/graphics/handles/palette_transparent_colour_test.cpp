// Palette images and the transparent colour: only the pixels whose palette entry is that colour become
// transparent; a palette without it leaves every pixel as drawn (index 0 included), in both modes.
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "platform/host/host.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

class PaletteTransparentColourTest : public GraphicsTest {
  protected:
    void TearDown() override {
        HostSetHeadlessDesktopModeForTests(nullptr);
        GraphicsTest::TearDown();
    }
    // A 4 x 1 palette image of the indices 0..3 over the given palette colours (0x00RRGGBB).
    static SoftImage PaletteImage(std::array<uint32_t, 4> colours) {
        ColorFormat format{};
        SetColorFormatPalette8(&format);
        for (int i = 0; i < 4; ++i) {
            const uint32_t c = colours[size_t(i)];
            format.palette[i] = PaletteEntry{uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0};
        }
        SoftImage image{};
        EXPECT_EQ(CreateSoftImage(4, 1, &format, &image), 0);
        for (int x = 0; x < 4; ++x) static_cast<uint8_t*>(image.pixels)[x] = uint8_t(x);
        return image;
    }
    // Per pixel: 1 when the graphic shows it as transparent.
    static std::array<int, 4> Transparent(int graphic) {
        std::array<int, 4> seen{};
        const GraphicImageBlock* block = Entry(graphic)->block;
        for (int x = 0; x < 4; ++x) {
            if (block->description.hasTextures) {
                const uint32_t texel = Texel(Tile(graphic, 0).texture, x, 0);
                const bool sixteen = TextureDesc(Tile(graphic, 0).texture).Format == D3DFMT_A1R5G5B5;
                seen[size_t(x)] = sixteen ? (texel >> 15) == 0 : (texel >> 24) == 0;
            } else {
                const MemImgBase& base = *block->image.base;
                const int bytes = MemImgPixelBytes(base.kind, base.hasPalette, base.hasAlpha);
                uint32_t pixel = 0;
                std::memcpy(&pixel, block->image.pixels + x * bytes, size_t(bytes));
                seen[size_t(x)] = pixel == base.transparentColor;
            }
        }
        return seen;
    }
};

TEST_F(PaletteTransparentColourTest, OnlyTheEntryOfTheTransparentColourIsTransparent) {
    const std::array<uint32_t, 4> withKey{0xFF0000, 0x0000FF, 0x00FF00, 0xFFFFFF};
    const std::array<uint32_t, 4> withoutKey{0xFF0000, 0x0000FF, 0x808080, 0xFFFFFF};
    struct Case {
        int desktopBits, hardware;
        std::array<uint32_t, 4> palette;
        std::array<int, 4> transparent;
    } cases[] = {
        {32, 1, withKey, {0, 0, 1, 0}}, {32, 1, withoutKey, {0, 0, 0, 0}},
        {32, 0, withKey, {0, 0, 1, 0}}, {32, 0, withoutKey, {0, 0, 0, 0}},
        {16, 1, withKey, {0, 0, 1, 0}}, {16, 1, withoutKey, {0, 0, 0, 0}},
        {16, 0, withKey, {0, 0, 1, 0}}, {16, 0, withoutKey, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const HostDisplayMode desktop{1024, 768, c.desktopBits, 60};
        HostSetHeadlessDesktopModeForTests(&desktop);
        SetColorDepthSetting(c.desktopBits);
        ASSERT_EQ(SetHardwareDrawEnabled(c.hardware), 0);
        Start();
        ASSERT_EQ(Direct3DMode, c.hardware);
        ASSERT_EQ(GetColorDepth(), c.desktopBits);
        SetTransparentColour(0, 255, 0);
        SoftImage image = PaletteImage(c.palette);
        const int graphic = CreateGraphicFromSoftImages(&image, nullptr, 0);
        ReleaseSoftImage(&image);
        ASSERT_GE(graphic, 0);
        EXPECT_EQ(Transparent(graphic), c.transparent)
            << c.desktopBits << " bits, mode " << c.hardware << ", entry 2 " << std::hex << c.palette[2];
        ShutdownGraphics();
    }
}

}  // namespace
