// Upload of images into graphics and derived graphics: empty and oversized rectangles, a staging texture
// that cannot be made, and the cut of a derived rectangle at its source's edges.
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/texture_transfer.h"
#include "engine/graphics/handles/derived_graphics.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

class GraphicTransferTest : public GraphicsTest {
  protected:
    static int Sized(int width, int height) {
        GraphicCreateParams params;
        FillGraphicCreateParams(&params);
        return CreateGraphicFromParams(params, width, height, 0, 0, 0);
    }
};

TEST_F(GraphicTransferTest, EmptyRectangleWritesNothing) {
    Start();
    const int graphic = Sized(16, 16);
    SoftImage image = RgbImage(16, 16, [](int, int) { return 0xFF0000u; });
    D3D9SetTraceEnabled(true);
    D3D9TakeTrace();
    for (RECT r : {RECT{0, 0, 0, 16}, RECT{0, 0, 16, 0}, RECT{5, 5, 4, 9}})
        EXPECT_EQ(TransferImageToTextures(graphic, &image, nullptr, r, 0, 0, 1, 0, 0), 0);
    EXPECT_TRUE(D3D9TakeTrace().empty());
    ReleaseSoftImage(&image);
}

TEST_F(GraphicTransferTest, RectangleLargerThanTheImageIsClipped) {
    Start();
    const int graphic = Sized(16, 16);
    SoftImage image = RgbImage(4, 4, [](int, int) { return 0xFF0000u; });
    EXPECT_EQ(TransferImageToTextures(graphic, &image, nullptr, RECT{-2, -2, 100, 100}, 0, 0, 1, 0, 0), 0);
    IDirect3DTexture9* texture = Tile(graphic, 0).texture;
    const uint32_t red = Texel(texture, 2, 2);
    EXPECT_NE(red, 0u);
    EXPECT_EQ(Texel(texture, 5, 5), red);  // the cut corner moved the image to (2, 2)
    EXPECT_EQ(Texel(texture, 1, 1), 0u);
    EXPECT_EQ(Texel(texture, 6, 6), 0u);
    SoftImage smallAlpha = RgbImage(2, 2, [](int, int) { return 0u; });
    EXPECT_EQ(TransferImageToTextures(graphic, &image, &smallAlpha, RECT{0, 0, 4, 4}, 0, 0, 1, 0, 0), -1);
    ReleaseSoftImage(&smallAlpha);
    ReleaseSoftImage(&image);
}

TEST_F(GraphicTransferTest, StagingTextureThatCannotBeMadeFailsAtOnce) {
    D3D9SetExAvailable(true);  // default-pool textures, filled through staging textures
    Start();
    ASSERT_EQ(IsDirect3D9Ex(), 1);
    const int graphic = Sized(16, 16);
    SoftImage image = RgbImage(16, 16, [](int, int) { return 0xFF0000u; });
    D3D9FailCreation("CreateTexture", 1);
    EXPECT_EQ(TransferImageToTextures(graphic, &image, nullptr, RECT{0, 0, 16, 16}, 0, 0, 1, 0, 0), -1);
    EXPECT_EQ(TransferImageToTextures(graphic, &image, nullptr, RECT{0, 0, 16, 16}, 0, 0, 1, 0, 0), 0);
    ReleaseSoftImage(&image);
}

TEST_F(GraphicTransferTest, DerivedRectangleIsCutAtTheSourceEdge) {
    Start();
    const int sheet = Sized(100, 50);
    const int cut = DeriveGraphic(90, 40, 30, 30, sheet);
    ASSERT_GE(cut, 0);
    EXPECT_EQ(Entry(cut)->width, 10);
    EXPECT_EQ(Entry(cut)->height, 10);
    const int count = handleTypes[kGraphicHandleType].count;
    for (auto r :
         {std::array{100, 0, 5, 5}, std::array{0, 50, 5, 5}, std::array{-1, 0, 5, 5}, std::array{0, 0, 0, 5}})
        EXPECT_EQ(DeriveGraphic(r[0], r[1], r[2], r[3], sheet), -1) << r[0] << "," << r[1];
    EXPECT_EQ(handleTypes[kGraphicHandleType].count, count);  // failures delete their handles
    EXPECT_EQ(Entry(cut)->originX, 90);
}

}  // namespace
