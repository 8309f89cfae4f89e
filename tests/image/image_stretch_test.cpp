#include <gtest/gtest.h>

#include <cstring>

#include "engine/image/image_loader.h"
#include "engine/image/pixel_convert.h"
#include "tests/image/image_test_util.h"

namespace {

TEST(StretchImageRect, NearestDoublesEveryPixel) {
    ScopedImage src, dst;
    ASSERT_EQ(CreateSoftImageArgb8(2, 2, src.get()), 0);
    ASSERT_EQ(CreateSoftImageArgb8(6, 5, dst.get()), 0);
    std::memset(dst->pixels, 0, dst->pitch * 5);
    const uint32_t colours[4] = {0x11223344, 0x55667788, 0x99AABBCC, 0xDDEEFF00};
    for (int i = 0; i < 4; ++i) PutRawPixel(src.image, i % 2, i / 2, colours[i]);
    EXPECT_EQ(StretchImageRect(0, 0, 2, 2, src.get(), 1, 1, 5, 5, dst.get(), 0), 0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            bool inside = x >= 1 && x < 5 && y >= 1;
            uint32_t want = inside ? colours[(y - 1) / 2 * 2 + (x - 1) / 2] : 0;
            EXPECT_EQ(RawPixel(dst.image, x, y), want) << x << "," << y;
        }
}

TEST(StretchImageRect, SameSizeIsTheClippedCopy) {
    ScopedImage src, viaStretch, viaBlit;
    ColorFormat f565 = Format565();
    ASSERT_EQ(CreateSoftImage(3, 3, &f565, src.get()), 0);
    for (int i = 0; i < 9; ++i) PutRawPixel(src.image, i % 3, i / 3, 0x1111u * i + 0x0841);
    ASSERT_EQ(CreateSoftImageArgb8(4, 4, viaStretch.get()), 0);
    ASSERT_EQ(CreateSoftImageArgb8(4, 4, viaBlit.get()), 0);
    std::memset(viaStretch->pixels, 0, 64);
    std::memset(viaBlit->pixels, 0, 64);
    EXPECT_EQ(StretchImageRect(1, 0, 3, 3, src.get(), 2, 1, 4, 4, viaStretch.get(), 1), 0);
    EXPECT_EQ(BlitImageRect(1, 0, 2, 3, 2, 1, src.get(), viaBlit.get()), 0);
    EXPECT_EQ(std::memcmp(viaStretch->pixels, viaBlit->pixels, 64), 0);
    EXPECT_NE(RawPixel(viaStretch.image, 3, 3), 0u);
}

TEST(StretchImageRect, BilinearWeightsAndTheClampedLastColumn) {
    ScopedImage src, dst;
    ASSERT_EQ(CreateSoftImageArgb8(2, 1, src.get()), 0);
    ASSERT_EQ(CreateSoftImageArgb8(4, 1, dst.get()), 0);
    PutRawPixel(src.image, 0, 0, 0xFF000000);
    PutRawPixel(src.image, 1, 0, 0xFFFF0000);
    EXPECT_EQ(StretchImageRect(0, 0, 2, 1, src.get(), 0, 0, 4, 1, dst.get(), 1), 0);
    // Weights are 16-bit fractions of 65535, so a full weight gives 254 of 255.
    const int red[4] = {0, 127, 254, 254};
    for (int x = 0; x < 4; ++x) {
        int r, a;
        GetImagePixelRgba(dst.get(), x, 0, &r, nullptr, nullptr, &a);
        EXPECT_EQ(r, red[x]) << x;
        EXPECT_EQ(a, 254) << x;
    }
}

TEST(StretchImageRect, InvalidRectanglesAreRefused) {
    ScopedImage src, dst;
    ASSERT_EQ(CreateSoftImageArgb8(4, 4, src.get()), 0);
    ASSERT_EQ(CreateSoftImageArgb8(4, 4, dst.get()), 0);
    const int bad[][8] = {
        {1, 0, 1, 2, 0, 0, 2, 2}, {0, 1, 2, 1, 0, 0, 2, 2}, {-1, 0, 2, 2, 0, 0, 2, 2},
        {0, 0, 5, 2, 0, 0, 2, 2}, {0, 0, 2, 5, 0, 0, 2, 2}, {0, 0, 2, 2, 3, 0, 2, 2},
        {0, 0, 2, 2, 0, 0, 2, 5}, {4, 0, 5, 2, 0, 0, 2, 2},
    };
    for (const auto& r : bad) {
        EXPECT_EQ(StretchImageRect(r[0], r[1], r[2], r[3], src.get(), r[4], r[5], r[6], r[7], dst.get(), 0),
                  -1);
    }
}

TEST(MakeAlphaImageName, InsertsBeforeTheExtensionOfTheLastComponent) {
    struct Case {
        const char* name;
        const char* alpha;
    };
    const Case cases[] = {
        {"chara.png", "chara_a.png"},
        {"a.b.png", "a.b_a.png"},
        {"noext", "noext_a"},
        {"", "_a"},
        {"data\\v1.2\\chara", "data\\v1.2\\chara_a"},
        {"data/v1.2/chara.bmp", "data/v1.2/chara_a.bmp"},
        {"\x95\x5C.png", "\x95\x5C_a.png"},  // a double-byte character whose second byte is a backslash
        {"a.b\x95\x5C", "a_a.b\x95\x5C"},
    };
    for (const Case& c : cases) {
        char out[64];
        std::memset(out, 0x7F, sizeof(out));
        EXPECT_EQ(MakeAlphaImageName(c.name, out), 0);
        EXPECT_STREQ(out, c.alpha) << c.name;
    }
}

}  // namespace
