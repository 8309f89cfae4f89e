#include "engine/image/soft_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/image/image_memory.h"
#include "tests/image/image_test_util.h"

namespace {

TEST(CreateSoftImage, PadsRowsToFourBytesAndCopiesTheFormat) {
    struct Case {
        ColorFormat format;
        int width, pitch;
    };
    const Case cases[] = {
        {FormatRgb24(), 3, 12}, {FormatGrey8(), 5, 8}, {Format565(), 3, 8}, {FormatArgb8(), 7, 28}};
    for (const Case& c : cases) {
        ScopedImage image;
        ASSERT_EQ(CreateSoftImage(c.width, 2, &c.format, image.get()), 0);
        EXPECT_EQ(image->pitch, c.pitch);
        EXPECT_EQ(image->width, c.width);
        EXPECT_EQ(image->height, 2);
        EXPECT_EQ(image->mipCount, 0);
        ASSERT_NE(image->pixels, nullptr);
        EXPECT_EQ(std::memcmp(&image->format, &c.format, sizeof(ColorFormat)), 0);
        std::memset(image->pixels, 0xAB, c.pitch * 2);  // the whole block is addressable
    }
    ScopedImage argb, xrgb;
    ASSERT_EQ(CreateSoftImageArgb8(3, 3, argb.get()), 0);
    ASSERT_EQ(CreateSoftImageXrgb8(3, 3, xrgb.get()), 0);
    EXPECT_EQ(argb->format.alphaMask, 0xFF000000u);
    EXPECT_EQ(xrgb->format.fillMask, 0xFF000000u);
    EXPECT_EQ(argb->pitch, 12);
}

TEST(CreateSoftImage, RefusesSizesBeyondTheAllocator) {
    const int sizes[][2] = {{0x7FFFFFFF, 1}, {0x40000000, 4}, {-1, 4}, {65536, 65536}};
    for (const auto& s : sizes) {
        SoftImage image{};
        EXPECT_EQ(CreateSoftImageArgb8(s[0], s[1], &image), -1);
        EXPECT_EQ(image.pixels, nullptr);
        ReleaseSoftImage(&image);
    }
}

TEST(CreateZeroedSoftImage, LaysOutAsCreateSoftImageWithEveryByteZero) {
    struct Case {
        ColorFormat format;
        int width, height;
    };
    const Case cases[] = {{FormatRgb24(), 3, 2}, {Format565(), 700, 300}, {FormatArgb8(), 1024, 512}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        ScopedImage dirty, plain, zeroed;
        ASSERT_EQ(CreateSoftImage(c.width, c.height, &c.format, dirty.get()), 0);
        std::memset(dirty->pixels, 0xAB, size_t(dirty->pitch) * size_t(c.height));
        ReleaseSoftImage(dirty.get());  // its memory may come back for the zeroed image
        ASSERT_EQ(CreateZeroedSoftImage(c.width, c.height, &c.format, zeroed.get()), 0);
        ASSERT_EQ(CreateSoftImage(c.width, c.height, &c.format, plain.get()), 0);
        EXPECT_EQ(zeroed->pitch, plain->pitch);
        EXPECT_EQ(zeroed->width, c.width);
        EXPECT_EQ(zeroed->height, c.height);
        EXPECT_EQ(std::memcmp(&zeroed->format, &c.format, sizeof(ColorFormat)), 0);
        const auto* bytes = static_cast<const unsigned char*>(zeroed->pixels);
        const size_t size = size_t(zeroed->pitch) * size_t(c.height);
        EXPECT_EQ(std::count(bytes, bytes + size, 0), ptrdiff_t(size));
    }
    SoftImage refused{};
    const ColorFormat argb = FormatArgb8();
    EXPECT_EQ(CreateZeroedSoftImage(0x40000000, 4, &argb, &refused), -1);
    EXPECT_EQ(refused.pixels, nullptr);
}

TEST(ReleaseSoftImage, ZeroesEverythingAndMayRunTwice) {
    SoftImage image{};
    ASSERT_EQ(CreateSoftImageArgb8(4, 4, &image), 0);
    EXPECT_EQ(ReleaseSoftImage(&image), 0);
    SoftImage zero{};
    EXPECT_EQ(std::memcmp(&image, &zero, sizeof(image)), 0);
    EXPECT_EQ(ReleaseSoftImage(&image), 0);
}

TEST(GetImageDataSize, OneRuleForEveryLevel) {
    struct Case {
        int code, width, height, pitch, mips;
        int size;
    };
    const Case cases[] = {
        {0, 5, 3, 20, 0, 60},
        {0, 5, 3, 20, 1, 60},
        {1, 64, 64, 0, 3, 2048 + 512 + 128},
        {1, 64, 64, 0, 0, 2048},
        {3, 64, 64, 0, 2, 4096 + 1024},
        {1, 256, 256, 0, 9, 32768 + 8192 + 2048 + 512 + 128 + 32 + 8 + 8 + 8},
        {5, 8, 8, 0, 4, 64 + 16 + 16 + 16},
        {1, 6, 6, 0, 0, 4 * 8},  // partial blocks are whole blocks
        {2, 1, 1, 0, 0, 16},
        {0, 8, 4, 32, 3, 32 * 4 + 4 * 4 * 2 + 4 * 2 * 1},  // 8x4, 4x2, 2x1 of 4 bytes
        {0, 4, 1, 16, 3, 16 + 8 + 4},                      // 4x1, 2x1, 1x1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " " << c.width << "x" << c.height << " mips " << c.mips);
        SoftImage image{};
        SetColorFormatArgb8(&image.format);
        image.format.formatCode = static_cast<uint8_t>(c.code);
        image.width = c.width;
        image.height = c.height;
        image.pitch = c.pitch;
        image.mipCount = c.mips;
        EXPECT_EQ(GetImageDataSize(&image), c.size);
    }
    SoftImage bad{};
    bad.format.formatCode = 6;
    bad.width = bad.height = 4;
    EXPECT_EQ(GetImageDataSize(&bad), -1);
}

TEST(SoftImagePixels, ReadWriteRoundTripsAndRefusesOutside) {
    ScopedImage image;
    ASSERT_EQ(CreateSoftImageArgb8(3, 2, image.get()), 0);
    EXPECT_EQ(SetImagePixelRgba(image.get(), 2, 1, 0x12, 0x34, 0x56, 0x78), 0);
    EXPECT_EQ(RawPixel(image.image, 2, 1), 0x78123456u);
    int r = 0, g = 0, b = 0, a = 0;
    EXPECT_EQ(GetImagePixelRgba(image.get(), 2, 1, &r, &g, &b, &a), 0);
    EXPECT_EQ(r, 0x12);
    EXPECT_EQ(a, 0x78);
    EXPECT_EQ(GetImagePixelArgb(image.get(), 2, 1), 0x78123456u);
    const int outside[][2] = {{3, 0}, {0, 2}, {-1, 0}, {0, -1}};
    for (const auto& p : outside) {
        r = 99;
        EXPECT_EQ(GetImagePixelRgba(image.get(), p[0], p[1], &r, nullptr, nullptr, nullptr), -1);
        EXPECT_EQ(r, 99);
        EXPECT_EQ(SetImagePixelRgba(image.get(), p[0], p[1], 1, 2, 3, 4), -1);
        EXPECT_EQ(GetImagePixelArgb(image.get(), p[0], p[1]), 0u);
    }
}

TEST(SoftImagePixels, PaletteAnd565AndRgb24Pixels) {
    ScopedImage grey;
    ColorFormat gf = FormatGrey8();
    gf.palette[77].alpha = 9;
    ASSERT_EQ(CreateSoftImage(2, 2, &gf, grey.get()), 0);
    EXPECT_EQ(SetImagePixelRgba(grey.get(), 1, 1, 76, 77, 78, 0), 0);
    EXPECT_EQ(RawPixel(grey.image, 1, 1), 77u);
    int r, g, b, a;
    GetImagePixelRgba(grey.get(), 1, 1, &r, &g, &b, &a);
    EXPECT_EQ(r, 77);
    EXPECT_EQ(a, 9);
    EXPECT_EQ(GetImagePixelArgb(grey.get(), 1, 1), 0u);  // palette images read as 0

    ScopedImage rgb565;
    ColorFormat f565 = Format565();
    ASSERT_EQ(CreateSoftImage(1, 1, &f565, rgb565.get()), 0);
    PutRawPixel(rgb565.image, 0, 0, 0xFFFF);
    GetImagePixelRgba(rgb565.get(), 0, 0, &r, &g, &b, &a);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 255);
    EXPECT_EQ(b, 255);
    EXPECT_EQ(a, 255);
    EXPECT_EQ(GetImagePixelArgb(rgb565.get(), 0, 0), 0x00F8FCF8u);

    ScopedImage rgb24;
    ColorFormat f24 = FormatRgb24();
    ASSERT_EQ(CreateSoftImage(2, 1, &f24, rgb24.get()), 0);
    SetImagePixelRgba(rgb24.get(), 1, 0, 0xAA, 0xBB, 0xCC, 0);
    const uint8_t* p = PixelPtr(rgb24.image, 1, 0);
    EXPECT_EQ(p[0], 0xCC);
    EXPECT_EQ(p[1], 0xBB);
    EXPECT_EQ(p[2], 0xAA);
    EXPECT_EQ(GetImagePixelArgb(rgb24.get(), 1, 0), 0x00AABBCCu);
}

TEST(SoftImagePixels, ArgbOfAnImageWithoutPixelsIsZero) {
    SoftImage image{};
    SetColorFormatArgb8(&image.format);
    image.width = image.height = 4;
    EXPECT_EQ(GetImagePixelArgb(&image, 0, 0), 0u);
}

TEST(SoftImagePixels, BlockCompressedImageIsDecodedBeforeAPixelWrite) {
    ScopedImage image;
    image->format = FormatArgb8();
    image->format.formatCode = COLOR_FORMAT_DXT1;
    image->width = image->height = 4;
    auto* block = static_cast<uint8_t*>(ImageAlloc(8));
    const uint8_t bytes[8] = {0xFF, 0xFF, 0x00, 0x00, 0, 0, 0, 0};  // all texels white
    std::memcpy(block, bytes, 8);
    image->pixels = block;
    EXPECT_EQ(SetImagePixelRgba(image.get(), 1, 1, 1, 2, 3, 4), 0);
    EXPECT_EQ(image->format.formatCode, 0);
    EXPECT_EQ(image->pitch, 16);
    EXPECT_EQ(RawPixel(image.image, 1, 1), 0x04010203u);
    EXPECT_EQ(RawPixel(image.image, 0, 0), 0xFFFFFFFFu);
}

TEST(ClearSoftImageRect, ZeroesOnlyTheRectangle) {
    ScopedImage image;
    ColorFormat f = Format565();
    ASSERT_EQ(CreateSoftImage(4, 3, &f, image.get()), 0);
    std::memset(image->pixels, 0xFF, image->pitch * 3);
    EXPECT_EQ(ClearSoftImageRect(image.get(), 1, 1, 2, 2), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(RawPixel(image.image, x, y), (x >= 1 && x <= 2 && y >= 1) ? 0u : 0xFFFFu);
}

// Fills an image with distinct values and returns them row by row.
std::vector<uint32_t> FillDistinct(SoftImage& image) {
    std::vector<uint32_t> values;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            uint32_t v =
                (0x10203 * (y * image.width + x + 1)) & ((1ull << (8 * image.format.pixelBytes)) - 1);
            PutRawPixel(image, x, y, v);
            values.push_back(v);
        }
    return values;
}

TEST(ImageTransforms, MirrorFlipAndRotateMoveEveryPixel) {
    const ColorFormat formats[] = {FormatGrey8(), Format565(), FormatRgb24(), FormatArgb8()};
    const int sizes[][2] = {{1, 1}, {1, 3}, {3, 1}, {4, 3}, {5, 5}, {2, 2}};
    for (const ColorFormat& f : formats) {
        for (const auto& s : sizes) {
            const int w = s[0], h = s[1];
            SCOPED_TRACE(testing::Message() << int(f.pixelBytes) << " bytes " << w << "x" << h);
            ScopedImage image;
            ASSERT_EQ(CreateSoftImage(w, h, &f, image.get()), 0);
            std::vector<uint32_t> v = FillDistinct(image.image);
            auto at = [&](int x, int y) { return v[y * w + x]; };

            ASSERT_EQ(MirrorImageHorizontally(image.get()), 0);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) ASSERT_EQ(RawPixel(image.image, x, y), at(w - 1 - x, y));
            MirrorImageHorizontally(image.get());

            ASSERT_EQ(FlipImageVertically(image.get()), 0);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) ASSERT_EQ(RawPixel(image.image, x, y), at(x, h - 1 - y));
            FlipImageVertically(image.get());

            ASSERT_EQ(RotateImage180(image.get()), 0);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) ASSERT_EQ(RawPixel(image.image, x, y), at(w - 1 - x, h - 1 - y));
        }
    }
}

TEST(ImageTransforms, RefusalsAndNoOps) {
    SoftImage empty{};
    SetColorFormatArgb8(&empty.format);
    EXPECT_EQ(MirrorImageHorizontally(&empty), -1);  // width 0

    ScopedImage dxt;
    dxt->format = FormatArgb8();
    dxt->format.formatCode = COLOR_FORMAT_DXT5;
    dxt->width = dxt->height = 4;
    dxt->pixels = ImageAllocZeroed(16);
    EXPECT_EQ(RotateImage180(dxt.get()), -1);
    EXPECT_EQ(dxt->format.formatCode, COLOR_FORMAT_DXT5);
    EXPECT_EQ(MirrorImageHorizontally(dxt.get()), 0);  // decoded first
    EXPECT_EQ(dxt->format.formatCode, 0);
    EXPECT_EQ(dxt->pitch, 16);

    SoftImage perChannel{};
    BuildColorFormat(&perChannel.format, 0, 0, 0, 0, 0, 4, 16, 1);  // 8 bytes per pixel
    perChannel.width = perChannel.height = 2;
    perChannel.pixels = nullptr;
    EXPECT_EQ(MirrorImageHorizontally(&perChannel), 0);
    EXPECT_EQ(RotateImage180(&perChannel), 0);
}

TEST(SoftImageModule, InitAndEndFlags) {
    EXPECT_EQ(InitSoftImageModule(), 0);
    EXPECT_EQ(InitSoftImageModule(), -1);
    EXPECT_EQ(EndSoftImageModule(), 0);
    EXPECT_EQ(EndSoftImageModule(), -1);
}

}  // namespace
