// Uploads read from DIB sections: rows in either direction, rows padded to 4 bytes, and handles that
// cannot be read.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/graphics/device/texture_transfer.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "platform/gdi/gdi32.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

constexpr int kWidth = 5, kHeight = 3;  // 5 pixels of 3 bytes make rows of 15 bytes, padded to 16

uint32_t Colour(int x, int y) {
    return 0x102000u * uint32_t(x + 1) + 0x000B07u * uint32_t(y + 1);
}

// A section filled with Colour, its rows stored top-down or bottom-up as its height's sign says.
HBITMAP MakeSection(int bits, bool topDown) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = topDown ? -kHeight : kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = WORD(bits);
    info.bmiHeader.biCompression = BI_RGB;
    void* bits_out = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_out, nullptr, 0);
    const int pitch = (kWidth * bits / 8 + 3) / 4 * 4;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = static_cast<uint8_t*>(bits_out) + (topDown ? y : kHeight - 1 - y) * pitch;
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t c = Colour(x, y);
            std::memcpy(row + x * bits / 8, &c, size_t(bits / 8));
        }
    }
    return bitmap;
}

class BitmapTransferTest : public GraphicsTest {
  protected:
    static int MakeGraphic() {
        GraphicCreateParams params;
        FillGraphicCreateParams(&params);
        params.words[CREATE_BIT_DEPTH] = 32;
        return CreateGraphicFromParams(params, kWidth, kHeight, 0, 0, 0);
    }
};

TEST_F(BitmapTransferTest, ReadsRowsInTheirOrder) {
    struct Case {
        const char* name;
        int bits;
        bool topDown;
    };
    const Case cases[] = {{"24-bit bottom-up", 24, false},
                          {"24-bit top-down", 24, true},
                          {"32-bit bottom-up", 32, false},
                          {"32-bit top-down", 32, true}};
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ColorFormat format{};
        c.bits == 24 ? SetColorFormatRgb24(&format) : SetColorFormatXrgb8(&format);
        HBITMAP bitmap = MakeSection(c.bits, c.topDown);
        ASSERT_NE(bitmap, nullptr);
        const int graphic = MakeGraphic();
        ASSERT_GT(graphic, 0);
        ASSERT_EQ(TransferBitmapToTextures(graphic, bitmap, nullptr, format, nullptr,
                                           RECT{0, 0, kWidth, kHeight}, 0, 0, 0, 0, 0),
                  0);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                EXPECT_EQ(Texel(Tile(graphic, 0).texture, x, y) & 0xFFFFFF, Colour(x, y)) << x << "," << y;
        DeleteObject(bitmap);
    }
}

TEST_F(BitmapTransferTest, UnreadableSourcesFail) {
    Start();
    ColorFormat rgb24{}, xrgb{};
    SetColorFormatRgb24(&rgb24);
    SetColorFormatXrgb8(&xrgb);
    HBITMAP section = MakeSection(24, false);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    const int graphic = MakeGraphic();
    ASSERT_GT(graphic, 0);
    const RECT all{0, 0, kWidth, kHeight};
    EXPECT_EQ(TransferBitmapToTextures(graphic, nullptr, nullptr, rgb24, nullptr, all, 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(TransferBitmapToTextures(graphic, HBITMAP(brush), nullptr, rgb24, nullptr, all, 0, 0, 0, 0, 0),
              -1);
    EXPECT_EQ(TransferBitmapToTextures(graphic, section, nullptr, xrgb, nullptr, all, 0, 0, 0, 0, 0), -1)
        << "24-bit rows read as 32-bit pixels";
    EXPECT_EQ(TransferBitmapToTextures(graphic, section, section, rgb24, nullptr, all, 0, 0, 0, 0, 0), -1)
        << "an alpha bitmap without its format";
    EXPECT_EQ(TransferBitmapToTextures(graphic, section, nullptr, rgb24, nullptr, all, 0, 0, 0, 0, 0), 0);
    DeleteObject(brush);
    DeleteObject(section);
}

}  // namespace
