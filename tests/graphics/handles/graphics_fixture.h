// Graphics started on the device stand-in (or in software mode) for tests of graphic creation, loading
// and upload; PNG fixtures written into the test's folder; texels read straight from the stand-in.
#pragma once

#include <array>
#include <cstring>
#include <string>

#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/image/image_writers.h"
#include "engine/image/soft_image.h"
#include "platform/d3d9/resources.h"
#include "tests/graphics/device/device_fixture.h"

class GraphicsTest : public DeviceTest {
  protected:
    void TearDown() override {
        ShutdownGraphics();
        DeviceTest::TearDown();
    }
    // The window counts as active, as in a running game, so that creation does not wait for it.
    void Start() {
        libraryState.run.active = 1;
        ASSERT_EQ(InitGraphicsSystem(), 0);
    }

    // An RGB image of the given size, filled by fill(x, y) -> 0x00RRGGBB.
    template <class Fill>
    static SoftImage RgbImage(int width, int height, Fill fill) {
        SoftImage image{};
        ColorFormat format{};
        SetColorFormatRgb24(&format);
        EXPECT_EQ(CreateSoftImage(width, height, &format, &image), 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t c = fill(x, y);
                SetImagePixelRgba(&image, x, y, int(c >> 16) & 255, int(c >> 8) & 255, int(c) & 255, 255);
            }
        return image;
    }
    // Writes the image as a PNG in the test's folder; its Windows path.
    std::string WritePng(const std::string& name, SoftImage* image) {
        EXPECT_EQ(SaveImageAsPng((folder_ + "/" + name).c_str(), image, 6), 0);
        return "C:" + folder_ + "/" + name;
    }

    // White below the edge x + 4y = 16 on the current draw target, as one untextured triangle whose other
    // edges lie outside a target of 16 x 4 (or larger).
    static int DrawWhiteEdge() {
        struct CallerVertex {  // x, y, u, v and colour B, G, R, A
            float x, y, u, v;
            uint8_t colour[4];
        };
        const CallerVertex edge[3] = {{48, -8, 0, 0, {255, 255, 255, 255}},
                                      {-32, 12, 0, 0, {255, 255, 255, 255}},
                                      {-32, -8, 0, 0, {255, 255, 255, 255}}};
        return DrawVertexArray2D(edge, 3, D3DPT_TRIANGLELIST, -5, 0, 0);
    }

    static const GraphicEntry* Entry(int handle) { return LookupGraphic(handle, 1); }
    static const GraphicTextureTile& Tile(int handle, int index) {
        return (&Entry(handle)->block->tiles[0])[index];
    }
    static D3DSURFACE_DESC TextureDesc(IDirect3DTexture9* texture) {
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(0, &desc);
        return desc;
    }
    // Raw texel of level 0 (2 or 4 bytes).
    static uint32_t Texel(IDirect3DTexture9* texture, int x, int y) {
        d3d9::Surface* level = static_cast<d3d9::Texture*>(texture)->Level(0);
        uint32_t value = 0;
        std::memcpy(&value, level->store.At(x, y), size_t(level->store.bytes_per_pixel));
        return value;
    }
};
