#include "engine/image/block_decode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/image/image_memory.h"
#include "engine/image/soft_image.h"
#include "tests/image/image_test_util.h"

namespace {

// Colour block: endpoints and one 2-bit index per texel (texels row-major).
std::vector<uint8_t> ColorBlock(uint16_t c0, uint16_t c1, const int (&indices)[16]) {
    uint32_t bits = 0;
    for (int t = 0; t < 16; ++t) bits |= uint32_t(indices[t]) << (2 * t);
    return {uint8_t(c0),   uint8_t(c0 >> 8),   uint8_t(c1),         uint8_t(c1 >> 8),
            uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)};
}

std::vector<uint8_t> ExplicitAlpha(const int (&alphas)[16]) {
    std::vector<uint8_t> b(8, 0);
    for (int t = 0; t < 16; ++t) b[t / 2] |= uint8_t(alphas[t] << (4 * (t % 2)));
    return b;
}

std::vector<uint8_t> InterpolatedAlpha(int a0, int a1, const int (&indices)[16]) {
    uint64_t bits = 0;
    for (int t = 0; t < 16; ++t) bits |= uint64_t(indices[t]) << (3 * t);
    std::vector<uint8_t> b = {uint8_t(a0), uint8_t(a1)};
    for (int i = 0; i < 6; ++i) b.push_back(uint8_t(bits >> (8 * i)));
    return b;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

uint32_t Texel(const uint8_t (&t)[16][4], int i) {
    return t[i][0] | t[i][1] << 8 | t[i][2] << 16 | uint32_t(t[i][3]) << 24;
}

constexpr int kRamp[16] = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3};

TEST(DecodeDxtBlock, Dxt1FourColourMode) {
    uint8_t t[16][4];
    DecodeDxtBlock(1, ColorBlock(0xFFFF, 0x0000, kRamp).data(), t);
    EXPECT_EQ(Texel(t, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Texel(t, 1), 0xFF000000u);
    EXPECT_EQ(Texel(t, 2), 0xFFAAAAAAu);
    EXPECT_EQ(Texel(t, 3), 0xFF555555u);
    // Mixed endpoints: red 31 and green 63 widen to 255, blue 10 to 82.
    DecodeDxtBlock(1, ColorBlock(0xF800, 0x07EA, kRamp).data(), t);
    EXPECT_EQ(Texel(t, 0), 0xFFFF0000u);
    EXPECT_EQ(Texel(t, 1), 0xFF00FF52u);
    EXPECT_EQ(Texel(t, 2), 0xFFAA551Bu);  // (2 x 255 + 0) / 3, (0 + 255) / 3, 82 / 3
    EXPECT_EQ(Texel(t, 3), 0xFF55AA36u);
}

TEST(DecodeDxtBlock, Dxt1ThreeColourModeGivesTransparentIndexThree) {
    uint8_t t[16][4];
    DecodeDxtBlock(1, ColorBlock(0x001F, 0x001F, kRamp).data(), t);  // equal endpoints
    EXPECT_EQ(Texel(t, 0), 0xFF0000FFu);
    EXPECT_EQ(Texel(t, 2), 0xFF0000FFu);
    EXPECT_EQ(Texel(t, 3), 0x000000FFu);  // the endpoint colour with alpha 0, not black
    DecodeDxtBlock(1, ColorBlock(0x0000, 0xF800, kRamp).data(), t);
    EXPECT_EQ(Texel(t, 2), 0xFF7F0000u);
    EXPECT_EQ(Texel(t, 3), 0x007F0000u);
}

TEST(DecodeDxtBlock, Dxt3ExplicitAlpha) {
    int alphas[16];
    for (int i = 0; i < 16; ++i) alphas[i] = i;
    uint8_t t[16][4];
    // DXT3 colour blocks are always four-colour, even with c0 <= c1.
    DecodeDxtBlock(3, Concat(ExplicitAlpha(alphas), ColorBlock(0x0000, 0xFFFF, kRamp)).data(), t);
    EXPECT_EQ(t[8][3], 136);
    EXPECT_EQ(t[15][3], 255);
    EXPECT_EQ(t[0][3], 0);
    EXPECT_EQ(t[1][3], 17);
    EXPECT_EQ(Texel(t, 3) & 0xFFFFFF, 0xAAAAAAu);  // (0 + 2 x 255) / 3
}

TEST(DecodeDxtBlock, Dxt5AlphaTables) {
    int idx[16];
    for (int i = 0; i < 16; ++i) idx[i] = i % 8;
    uint8_t t[16][4];
    DecodeDxtBlock(5, Concat(InterpolatedAlpha(255, 0, idx), ColorBlock(0xFFFF, 0, kRamp)).data(), t);
    const int eight[8] = {255, 0, 218, 182, 145, 109, 72, 36};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(t[i][3], eight[i % 8]) << i;
    DecodeDxtBlock(5, Concat(InterpolatedAlpha(100, 200, idx), ColorBlock(0xFFFF, 0, kRamp)).data(), t);
    const int six[8] = {100, 200, 120, 140, 160, 180, 0, 255};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(t[i][3], six[i % 8]) << i;
}

TEST(DecodeDxtBlock, PremultipliedFormatsDivideByAlphaWithoutFaults) {
    int idx[16] = {0, 1, 6, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    // Colour endpoint 0 = 16<<11 | 16<<5 | 4 widens to (131, 64, 32).
    uint16_t c0 = (16 << 11) | (16 << 5) | 4;
    int colorIdx[16] = {};
    uint8_t t[16][4];
    DecodeDxtBlock(4, Concat(InterpolatedAlpha(128, 64, idx), ColorBlock(c0, 0, colorIdx)).data(), t);
    EXPECT_EQ(t[0][3], 128);
    EXPECT_EQ(t[0][2], 131 * 255 / 128 > 255 ? 255 : 131 * 255 / 128);
    EXPECT_EQ(t[0][1], 64 * 255 / 128);
    EXPECT_EQ(t[0][0], 32 * 255 / 128);
    EXPECT_EQ(t[1][3], 64);
    EXPECT_EQ(t[1][2], 255);  // 131 x 255 / 64 clamped
    EXPECT_EQ(t[1][1], 255);  // 64 x 255 / 64
    EXPECT_EQ(t[1][0], 127);
    // 128 > 64, so index 6 is (a0 + 5 a1) / 7... of the 8-value table: (2 x 128 + 5 x 64) / 7 = 82.
    EXPECT_EQ(t[2][3], 82);
    int zero[16] = {};
    DecodeDxtBlock(2, Concat(ExplicitAlpha(zero), ColorBlock(c0, 0, colorIdx)).data(), t);
    EXPECT_EQ(Texel(t, 5), 0u);  // alpha 0: black, no division
}

TEST(DecodeBlockCompressedImage, DecodesBlocksInRowMajorOrderAndCoversPartialBlocks) {
    // 6 x 5 DXT1: a 2 x 2 grid; block k is a solid colour with a different blue.
    std::vector<uint8_t> data;
    for (int k = 0; k < 4; ++k) {
        auto b = ColorBlock(uint16_t(k + 1), uint16_t(k + 1), {});
        data.insert(data.end(), b.begin(), b.end());
    }
    ScopedImage image;
    image->format = FormatArgb8();
    image->format.formatCode = COLOR_FORMAT_DXT1;
    image->width = 6;
    image->height = 5;
    image->mipCount = 3;
    image->pixels = ImageAlloc(data.size());
    std::memcpy(image->pixels, data.data(), data.size());
    ASSERT_EQ(DecodeBlockCompressedImage(image.get()), 0);
    EXPECT_EQ(image->format.formatCode, 0);
    EXPECT_EQ(image->format.alphaMask, 0xFF000000u);
    EXPECT_EQ(image->pitch, 24);
    EXPECT_EQ(image->width, 6);
    EXPECT_EQ(image->mipCount, 0);  // only the top level remains
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            int k = (y / 4) * 2 + x / 4;
            EXPECT_EQ(RawPixel(image.image, x, y), 0xFF000000u | ((k + 1) * 255 / 31)) << x << "," << y;
        }
    // A second call changes nothing.
    void* pixels = image->pixels;
    EXPECT_EQ(DecodeBlockCompressedImage(image.get()), 0);
    EXPECT_EQ(image->pixels, pixels);
}

TEST(DecodeBlockCompressedImage, PlainImageIsLeftAlone) {
    ScopedImage image;
    ASSERT_EQ(CreateSoftImageXrgb8(2, 2, image.get()), 0);
    SoftImage before = image.image;
    EXPECT_EQ(DecodeBlockCompressedImage(image.get()), 0);
    EXPECT_EQ(std::memcmp(&before, &image.image, sizeof(SoftImage)), 0);
}

}  // namespace
