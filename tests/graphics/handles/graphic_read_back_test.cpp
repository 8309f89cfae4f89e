// Reading graphics back into 32-bit images: rectangles outside the graphic, a read across two textures
// against the whole read, and the software image.
#include <array>

#include "engine/core/frame/library_state.h"

#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/handles/graphic_read_back.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

class GraphicReadBackTest : public GraphicsTest {
  protected:
    static uint32_t Colour(int x, int y) {
        return uint32_t(x & 255) << 16 | uint32_t(x >> 8) << 8 | uint32_t(y);
    }
    static int WideGraphic() {
        SoftImage image = RgbImage(3000, 50, Colour);
        const int graphic = CreateGraphicFromSoftImages(&image, nullptr, 0);
        ReleaseSoftImage(&image);
        return graphic;
    }
    static uint32_t Pixel(const SoftImage& image, int x, int y) {
        return static_cast<const uint32_t*>(
            static_cast<const void*>(static_cast<const char*>(image.pixels) + y * image.pitch))[x];
    }
};

TEST_F(GraphicReadBackTest, ReadAcrossTwoTexturesEqualsTheWholeReadCut) {
    Start();
    const int graphic = WideGraphic();
    ASSERT_GE(graphic, 0);
    ASSERT_EQ(Entry(graphic)->block->textureCount, 2);
    SoftImage whole{}, part{};
    ASSERT_EQ(ReadGraphicToImage(graphic, &whole, nullptr), 0);
    ASSERT_EQ(whole.width, 3000);
    const RECT across{2040, 3, 2060, 40};
    ASSERT_EQ(ReadGraphicToImage(graphic, &part, &across), 0);
    ASSERT_EQ(part.width, 20);
    ASSERT_EQ(part.height, 37);
    for (int y = 0; y < part.height; ++y)
        for (int x = 0; x < part.width; ++x)
            ASSERT_EQ(Pixel(part, x, y), Pixel(whole, x + 2040, y + 3)) << x << "," << y;
    EXPECT_EQ(Pixel(whole, 2050, 7) & 0xFFFFFF, Colour(2050, 7));
    EXPECT_EQ(Pixel(whole, 10, 1) & 0xFFFFFF, Colour(10, 1));
    ReleaseSoftImage(&whole);
    ReleaseSoftImage(&part);
}

// A graphic cut into more textures than an entry holds draw tiles inline (7 x 2356: heights 2048, 256,
// 32, 16 and 4): read back whole, and drawn through its last tiles onto a draw target.
TEST_F(GraphicReadBackTest, GraphicOfMoreTilesThanTheInlineOnesReadsAndDrawsWhole) {
    Start();
    auto colour = [](int x, int y) { return uint32_t(x) << 16 | uint32_t(y >> 8) << 8 | uint32_t(y & 255); };
    SoftImage image = RgbImage(7, 2356, colour);
    const int graphic = CreateGraphicFromSoftImages(&image, nullptr, 0);
    ReleaseSoftImage(&image);
    ASSERT_GE(graphic, 0);
    ASSERT_GT(Entry(graphic)->drawTileCount, kInlineDrawTiles);
    SoftImage whole{};
    ASSERT_EQ(ReadGraphicToImage(graphic, &whole, nullptr), 0);
    ASSERT_EQ(whole.height, 2356);
    for (int y = 0; y < 2356; ++y)
        for (int x = 0; x < 7; ++x) ASSERT_EQ(Pixel(whole, x, y) & 0xFFFFFF, colour(x, y)) << x << "," << y;
    ReleaseSoftImage(&whole);

    const int target = MakeDrawTarget(7, 400, 0);
    ASSERT_GE(target, 0);
    ASSERT_EQ(SelectDrawTarget(target), 0);
    libraryFlags.initialised = 1;  // as after the library's init, which draws need
    const int drew = DrawImageAt(0, -2000, graphic, 0);
    libraryFlags.initialised = 0;
    ASSERT_EQ(drew, 0);
    SoftImage drawn{};
    ASSERT_EQ(ReadGraphicToImage(target, &drawn, nullptr), 0);
    for (int y = 0; y < 356; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(Pixel(drawn, x, y) & 0xFFFFFF, colour(x, y + 2000)) << x << "," << y;
    ReleaseSoftImage(&drawn);
}

TEST_F(GraphicReadBackTest, RectangleNotInsideTheGraphicFails) {
    Start();
    SoftImage image = RgbImage(16, 8, [](int, int) { return 0x102030u; });
    const int graphic = CreateGraphicFromSoftImages(&image, nullptr, 0);
    ReleaseSoftImage(&image);
    for (RECT r :
         {RECT{-1, 0, 4, 4}, RECT{0, 0, 17, 4}, RECT{0, 0, 4, 9}, RECT{4, 4, 4, 8}, RECT{16, 0, 20, 4}}) {
        SoftImage out{};
        EXPECT_EQ(ReadGraphicToImage(graphic, &out, &r), -1) << r.left << "," << r.right;
        EXPECT_EQ(out.pixels, nullptr);
    }
    SoftImage out{};
    EXPECT_EQ(ReadGraphicToImage(-1, &out, nullptr), -1);
}

TEST_F(GraphicReadBackTest, SoftwareGraphicIsReadFromItsImage) {
    SetHardwareDrawEnabled(0);
    Start();
    ASSERT_EQ(Direct3DMode, 0);
    SoftImage image = RgbImage(16, 8, [](int x, int y) { return uint32_t(x * 16) << 16 | uint32_t(y * 32); });
    const int graphic = CreateGraphicFromSoftImages(&image, nullptr, 0);
    ReleaseSoftImage(&image);
    SoftImage out{};
    const RECT r{4, 2, 12, 6};
    ASSERT_EQ(ReadGraphicToImage(graphic, &out, &r), 0);
    ASSERT_EQ(out.width, 8);
    // The software image keeps 16 bits per pixel on this screen or 32: compare the top bits only.
    EXPECT_EQ(Pixel(out, 3, 1) & 0xE000E0, (uint32_t(7 * 16) << 16 | uint32_t(3 * 32)) & 0xE000E0);
    ReleaseSoftImage(&out);
}

TEST_F(GraphicReadBackTest, DrawTargetIsReadThroughItsSurface) {
    Start();
    const int target = MakeDrawTarget(16, 16, 0);
    ASSERT_GE(target, 0);
    ASSERT_EQ(DeviceColorFill(Tile(target, 0).surface, nullptr, 0x00FF8000), D3D_OK);
    SoftImage out{};
    const RECT r{2, 3, 10, 9};
    ASSERT_EQ(ReadGraphicToImage(target, &out, &r), 0);
    EXPECT_EQ(out.height, 6);
    EXPECT_EQ(Pixel(out, 7, 5) & 0xFFFFFF, 0xFF8000u);
    ReleaseSoftImage(&out);
}

}  // namespace
