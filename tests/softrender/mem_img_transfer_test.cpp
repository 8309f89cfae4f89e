#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/image/color_format.h"
#include "engine/image/soft_image.h"
#include "engine/softrender/mem_img.h"

namespace {

struct Image {
    SoftImage img{};
    ~Image() { ReleaseSoftImage(&img); }
    void Put(int x, int y, uint32_t v) {
        std::memcpy(static_cast<uint8_t*>(img.pixels) + y * img.pitch + x * img.format.pixelBytes, &v,
                    img.format.pixelBytes);
    }
};

struct TransferSurface {
    MEMIMG img{};
    ~TransferSurface() { ReleaseMemImg(&img); }
    uint32_t Get(int x, int y) const {
        uint32_t v = 0;
        std::memcpy(&v, img.pixels + y * img.base->pitch + x * img.base->pixelBytes, img.base->pixelBytes);
        return v;
    }
};

struct FormatCase {
    int kind, alpha, palette;
    int depth, bytes;
    uint32_t r, a, fill;
};

TEST(MemImgFormat, TheTenFormats) {
    const FormatCase cases[] = {
        {0, 0, 0, 16, 2, 0xF800, 0, 0},
        {0, 0, 1, 8, 1, 0xF800, 0, 0},
        {0, 1, 0, 32, 4, 0xF800, 0x00FF0000, 0xFF000000},
        {0, 1, 1, 8, 1, 0xF800, 0x00FF0000, 0},
        {1, 0, 0, 32, 4, 0x00FF0000, 0, 0xFF000000},
        {1, 0, 1, 8, 1, 0x00FF0000, 0, 0},
        {1, 1, 0, 32, 4, 0x00FF0000, 0xFF000000, 0},
        {1, 1, 1, 8, 1, 0x00FF0000, 0xFF000000, 0},
        {2, 1, 1, 8, 1, 0xFF, 0xFF, 0},
        {3, 0, 1, 16, 2, 0xFFFF, 0xFFFF, 0},
    };
    for (const auto& c : cases) {
        const ColorFormat* f = GetMemImgColorFormat(c.kind, c.alpha, c.palette);
        ASSERT_NE(f, nullptr);
        SCOPED_TRACE(testing::Message() << c.kind << c.alpha << c.palette);
        EXPECT_EQ(f->bitDepth, c.depth);
        EXPECT_EQ(f->pixelBytes, c.bytes);
        EXPECT_EQ(f->redMask, c.r);
        EXPECT_EQ(f->alphaMask, c.a);
        EXPECT_EQ(f->fillMask, c.fill);
        EXPECT_EQ(GetMemImgColorFormat(c.kind, c.alpha, c.palette), f);  // built once, the same block after
    }
    EXPECT_EQ(GetMemImgColorFormat(0, 0, 0)->greenShift, 5);
    EXPECT_EQ(GetMemImgColorFormat(0, 0, 0)->greenWidth, 6);
    EXPECT_EQ(GetMemImgColorFormat(3, 0, 0)->redWidth, 16);
    EXPECT_EQ(GetMemImgColorFormat(3, 0, 0)->redShift, 0);
}

TEST(MemImgTransfer, PaletteImage) {
    Image src;
    ColorFormat pal{};
    SetColorFormatPalette8(&pal);
    pal.palette[5] = PaletteEntry{64, 128, 255, 0};
    ASSERT_EQ(CreateSoftImage(3, 2, &pal, &src.img), 0);
    const uint8_t indices[2][3] = {{5, 0, 9}, {1, 2, 3}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) src.Put(x, y, indices[y][x]);
    for (int kind : {0, 1}) {
        TransferSurface s;
        ASSERT_EQ(InitMemImg(&s.img, 3, 2, -1, 0, kind, 1, 0, 1, nullptr), 0);
        EXPECT_GE(TransferBaseImageToMemImg(&src.img, nullptr, &s.img, 0, 0, 3, 2, 0, 0, 0), 0);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) EXPECT_EQ(s.Get(x, y), indices[y][x]);
        EXPECT_EQ(s.img.base->paletteCount, 10);
        uint32_t entry = 0, copy = 0;
        std::memcpy(&entry, s.img.base->palette + 5 * (kind == 0 ? 2 : 4), kind == 0 ? 2 : 4);
        std::memcpy(&copy, s.img.base->paletteCopy + 5 * (kind == 0 ? 2 : 4), kind == 0 ? 2 : 4);
        EXPECT_EQ(entry, kind == 0 ? 0xFC08u : 0x00FF8040u);
        EXPECT_EQ(copy, entry);
        EXPECT_EQ(s.img.base->runTableValid, 1);
        // Transparent index 0 is the one skipped pixel of the first row.
        EXPECT_EQ(std::vector<uint8_t>(s.img.base->runTable, s.img.base->runTable + 6),
                  (std::vector<uint8_t>{0x40, 0x00, 0x40, 0xC0, 0x42, 0xC0}));
    }
}

TEST(MemImgTransfer, AlphaImageBuildsPremultipliedCopyAndRunTable) {
    Image src;
    ASSERT_EQ(CreateSoftImageArgb8(4, 1, &src.img), 0);
    const uint32_t alphas[4] = {0, 0, 128, 255};
    for (int x = 0; x < 4; ++x) src.Put(x, 0, alphas[x] << 24 | 50u << 16 | 100u << 8 | 200u);
    TransferSurface s;
    ASSERT_EQ(InitMemImg(&s.img, 4, 1, -1, 0, 1, 0, 1, 1, nullptr), 0);
    ASSERT_EQ(TransferBaseImageToMemImg(&src.img, nullptr, &s.img, 0, 0, 4, 1, 0, 0, 0), 0);
    EXPECT_EQ(s.img.base->premultipliedValid, 1);
    EXPECT_EQ(s.img.base->runTableValid, 1);
    EXPECT_TRUE(MemImgRunTableUsable(s.img.base));
    EXPECT_EQ(std::vector<uint8_t>(s.img.base->runTable, s.img.base->runTable + 4),
              (std::vector<uint8_t>{0x01, 0x80, 0x40, 0xC0}));
    uint32_t pre;
    std::memcpy(&pre, s.img.premultipliedPixels + 8, 4);
    EXPECT_EQ(pre, 128u << 24 | 25u << 16 | 50u << 8 | 100u);
    // The surface is drawn into afterwards: both stop standing for the pixels.
    FillMemImgRect(&s.img, nullptr, 0);
    EXPECT_EQ(s.img.base->premultipliedValid, 0);
    EXPECT_FALSE(MemImgRunTableUsable(s.img.base));
}

TEST(MemImgTransfer, PartialTransferBuildsNothing) {
    Image src;
    ASSERT_EQ(CreateSoftImageXrgb8(4, 4, &src.img), 0);
    std::memset(src.img.pixels, 0x40, src.img.pitch * 4);
    TransferSurface s;
    ASSERT_EQ(InitMemImg(&s.img, 4, 4, -1, 0, 1, 0, 0, 1, nullptr), 0);
    s.img.base->runTableValid = 1;
    s.img.base->premultipliedValid = 1;
    EXPECT_EQ(TransferBaseImageToMemImg(&src.img, nullptr, &s.img, 1, 1, 2, 2, 0, 0, 0), 0);
    EXPECT_EQ(s.img.base->runTableValid, 0);
    EXPECT_EQ(s.img.base->premultipliedValid, 0);
    EXPECT_EQ(s.Get(1, 1) & 0xFFFFFF, 0x404040u);
}

TEST(MemImgTransfer, RectanglesOutsideAreRefused) {
    Image src;
    ASSERT_EQ(CreateSoftImageXrgb8(4, 4, &src.img), 0);
    TransferSurface s;
    ASSERT_EQ(InitMemImg(&s.img, 4, 4, -1, 0, 1, 0, 0, 0, nullptr), 0);
    std::memset(s.img.pixels, 0x11, s.img.base->pitch * 4);
    EXPECT_EQ(TransferBaseImageToMemImg(&src.img, nullptr, &s.img, 2, 0, 4, 4, 0, 0, 0), -1);
    EXPECT_EQ(TransferBaseImageToMemImg(&src.img, nullptr, &s.img, 0, 0, 4, 4, 1, 0, 0), -1);
    EXPECT_EQ(TransferBaseImageToMemImg(&src.img, nullptr, &s.img, 0, 0, -1, 4, 0, 0, 0), -1);
    EXPECT_EQ(TransferBaseImageToMemImg(&src.img, nullptr, &s.img, 0, 0, 2, 2, INT32_MAX, 0, 0), -1);
    EXPECT_EQ(s.Get(0, 0), 0x11111111u);
}

TEST(MemImgCopy, ConvertsBetweenKindsAndRefusesOutside) {
    TransferSurface wide, narrow;
    ASSERT_EQ(InitMemImg(&wide.img, 3, 2, -1, 0, 1, 0, 0, 0, nullptr), 0);
    ASSERT_EQ(InitMemImg(&narrow.img, 4, 4, -1, 0, 0, 0, 0, 0, nullptr), 0);
    FillMemImgRect(&wide.img, nullptr, 0x00FF8040);
    FillMemImgRect(&narrow.img, nullptr, 0);
    EXPECT_EQ(CopyMemImgConverted(&narrow.img, &wide.img, nullptr, 1, 2), 0);
    EXPECT_EQ(narrow.Get(1, 2), 0xFC08u);
    EXPECT_EQ(narrow.Get(3, 3), 0xFC08u);
    EXPECT_EQ(narrow.Get(0, 2), 0u);
    EXPECT_LT(CopyMemImgConverted(&narrow.img, &wide.img, nullptr, 2, 2), 0);
    const int32_t rect[4] = {1, 0, 5, 1};
    EXPECT_LT(CopyMemImgConverted(&narrow.img, &wide.img, rect, 0, 0), 0);
    EXPECT_EQ(narrow.Get(0, 0), 0u);
}

}  // namespace
