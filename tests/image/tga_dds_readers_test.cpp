// TGA and DDS reader rules and refusals over hand-built files, and the two default TGA textures.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/image/default_tga_images.h"
#include "engine/image/image_readers.h"
#include "engine/image/little_endian.h"
#include "engine/image/soft_image.h"
#include "tests/image/image_test_util.h"

namespace {

int Read(int (*reader)(StreamDescriptor*, SoftImage*), const std::vector<uint8_t>& bytes, SoftImage* image) {
    VectorStream stream{bytes};
    StreamDescriptor d = stream.Descriptor();
    *image = SoftImage{};
    return reader(&d, image);
}

struct TgaSpec {
    int type = 2;
    int colorMapType = 0;
    int mapFirst = 0, mapLength = 0, mapEntryBits = 0;
    int xOrigin = 0, yOrigin = 0;
    int width = 2, height = 2, depth = 24, descriptor = 0x20;
    std::vector<uint8_t> id, map, data;
    bool footer = false;
};

std::vector<uint8_t> MakeTga(const TgaSpec& s) {
    std::vector<uint8_t> f(18);
    f[0] = static_cast<uint8_t>(s.id.size());
    f[1] = static_cast<uint8_t>(s.colorMapType);
    f[2] = static_cast<uint8_t>(s.type);
    StoreLe16(&f[3], s.mapFirst);
    StoreLe16(&f[5], s.mapLength);
    f[7] = static_cast<uint8_t>(s.mapEntryBits);
    StoreLe16(&f[8], s.xOrigin);
    StoreLe16(&f[10], s.yOrigin);
    StoreLe16(&f[12], s.width);
    StoreLe16(&f[14], s.height);
    f[16] = static_cast<uint8_t>(s.depth);
    f[17] = static_cast<uint8_t>(s.descriptor);
    for (const auto* part : {&s.id, &s.map, &s.data}) f.insert(f.end(), part->begin(), part->end());
    if (s.footer) {
        f.insert(f.end(), 8, 0);
        for (char c : std::string("TRUEVISION-XFILE.")) f.push_back(static_cast<uint8_t>(c));
        f.push_back(0);
    }
    return f;
}

std::vector<uint32_t> RawPixels(const SoftImage& image) {
    std::vector<uint32_t> out;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) out.push_back(RawPixel(image, x, y));
    return out;
}

TEST(ReadTgaImage, TheFourOrdersOfRowsAndColumnsGiveTheSameImage) {
    // The picture top to bottom, left to right: A B / C D (24-bit values).
    const std::vector<uint8_t> topLeft = {0xA, 0, 0, 0xB, 0, 0, 0xC, 0, 0, 0xD, 0, 0};
    const std::vector<uint8_t> bottomLeft = {0xC, 0, 0, 0xD, 0, 0, 0xA, 0, 0, 0xB, 0, 0};
    const std::vector<uint8_t> topRight = {0xB, 0, 0, 0xA, 0, 0, 0xD, 0, 0, 0xC, 0, 0};
    const std::vector<uint8_t> bottomRight = {0xD, 0, 0, 0xC, 0, 0, 0xB, 0, 0, 0xA, 0, 0};
    for (auto [descriptor, data] : {std::pair{0x20, topLeft}, std::pair{0x00, bottomLeft},
                                    std::pair{0x30, topRight}, std::pair{0x10, bottomRight}}) {
        SCOPED_TRACE(descriptor);
        TgaSpec spec;
        spec.descriptor = descriptor;
        spec.data = data;
        ScopedImage image;
        ASSERT_EQ(Read(ReadTgaImage, MakeTga(spec), image.get()), 0);
        EXPECT_EQ(image->pitch, 6);
        EXPECT_EQ(RawPixels(image.image), (std::vector<uint32_t>{0xA, 0xB, 0xC, 0xD}));
    }
}

TEST(ReadTgaImage, SixteenBitsKeepTheAttributeBitOutsideEveryChannel) {
    TgaSpec spec;
    spec.width = 2, spec.height = 1, spec.depth = 16;
    spec.data = {0xFF, 0xFF, 0x1F, 0x00};
    ScopedImage image;
    ASSERT_EQ(Read(ReadTgaImage, MakeTga(spec), image.get()), 0);
    EXPECT_EQ(image->format.fillMask, 0x8000u);
    EXPECT_EQ(image->format.redMask, 0x7C00u);
    EXPECT_EQ(image->format.alphaWidth, 0);
    EXPECT_EQ(RawPixels(image.image), (std::vector<uint32_t>{0xFFFF, 0x001F}));
}

TEST(ReadTgaImage, ColourMapStartsAtItsFirstEntryAndUnnamedEntriesAreZero) {
    TgaSpec spec;
    spec.type = 1, spec.colorMapType = 1, spec.mapFirst = 2, spec.mapLength = 2, spec.mapEntryBits = 24;
    spec.depth = 8, spec.width = 3, spec.height = 1, spec.id = {'i', 'd'};
    spec.map = {1, 2, 3, 4, 5, 6};
    spec.data = {2, 3, 0};
    ScopedImage image;
    ASSERT_EQ(Read(ReadTgaImage, MakeTga(spec), image.get()), 0);
    EXPECT_EQ(RawPixels(image.image), (std::vector<uint32_t>{0x030201, 0x060504, 0}));
}

TEST(ReadTgaImage, ATrueColourFileStepsOverAColourMapItCarries) {
    TgaSpec spec;
    spec.colorMapType = 1, spec.mapLength = 2, spec.mapEntryBits = 24;
    spec.width = 1, spec.height = 1;
    spec.map = {9, 9, 9, 9, 9, 9};
    spec.data = {0x11, 0x22, 0x33};
    ScopedImage image;
    ASSERT_EQ(Read(ReadTgaImage, MakeTga(spec), image.get()), 0);
    EXPECT_EQ(RawPixels(image.image), (std::vector<uint32_t>{0x332211}));
}

TEST(ReadTgaImage, RunLengthDataEndsAtTheFooterNotInIt) {
    // 2 x 1 pixels of 32 bits: one run packet of both pixels.
    TgaSpec spec;
    spec.type = 10, spec.width = 2, spec.height = 1, spec.depth = 32;
    spec.data = {0x81, 1, 2, 3, 4};
    for (bool footer : {false, true}) {
        spec.footer = footer;
        ScopedImage image;
        ASSERT_EQ(Read(ReadTgaImage, MakeTga(spec), image.get()), 0) << footer;
        EXPECT_EQ(RawPixels(image.image), (std::vector<uint32_t>{0x04030201, 0x04030201}));
    }
    // A raw packet whose second pixel is missing: without the footer the bytes after it would be taken.
    spec.data = {0x01, 1, 2, 3, 4};
    spec.footer = true;
    SoftImage image{};
    EXPECT_EQ(Read(ReadTgaImage, MakeTga(spec), &image), -1);
}

TEST(ReadTgaImage, RefusesWhatItCannotReadSafely) {
    TgaSpec good;
    good.type = 9, good.colorMapType = 1, good.mapLength = 2, good.mapEntryBits = 24, good.depth = 8;
    good.map = {1, 2, 3, 4, 5, 6};
    good.data = {0x83, 1};
    {
        ScopedImage image;
        ASSERT_EQ(Read(ReadTgaImage, MakeTga(good), image.get()), 0);
    }
    struct Case {
        const char* what;
        void (*change)(TgaSpec*);
    };
    const Case cases[] = {
        {"grey type 3", [](TgaSpec* s) { s->type = 3; }},
        {"width 8193", [](TgaSpec* s) { s->width = 8193; }},
        {"width 0", [](TgaSpec* s) { s->width = 0; }},
        {"x origin", [](TgaSpec* s) { s->xOrigin = 1; }},
        {"15-bit map entries", [](TgaSpec* s) { s->mapEntryBits = 15; }},
        {"map beyond 256 entries", [](TgaSpec* s) { s->mapFirst = 255; }},
        {"16-bit indices", [](TgaSpec* s) { s->depth = 16; }},
        {"no colour map", [](TgaSpec* s) { s->colorMapType = 0; }},
        {"packet past the image",
         [](TgaSpec* s) {
             s->data = {0x84, 1};
         }},
        {"packet past the data",
         [](TgaSpec* s) {
             s->data = {0x03, 1, 0};
         }},
        {"packets end early",
         [](TgaSpec* s) {
             s->data = {0x81, 1};
         }},
        {"short colour map", [](TgaSpec* s) { s->mapLength = 200, s->data.resize(500, 0x80); }},
        {"plain data short",
         [](TgaSpec* s) {
             s->type = 1, s->data = {0, 1, 0};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TgaSpec spec = good;
        c.change(&spec);
        SoftImage image{};
        EXPECT_EQ(Read(ReadTgaImage, MakeTga(spec), &image), -1);
        EXPECT_EQ(image.pixels, nullptr);
    }
}

TEST(DefaultTgaImages, AreTheFilesPilWritesAndDecodeToTheirTextures) {
    EXPECT_EQ(std::vector<uint8_t>(kDefaultWhiteTga.begin(), kDefaultWhiteTga.end()),
              ReadFileBytes(FixturePath("tga_default_white.tga")));
    EXPECT_EQ(std::vector<uint8_t>(kDefaultRampTga.begin(), kDefaultRampTga.end()),
              ReadFileBytes(FixturePath("tga_default_ramp.tga")));
    ScopedImage white;
    ASSERT_EQ(Read(ReadTgaImage, std::vector<uint8_t>(kDefaultWhiteTga.begin(), kDefaultWhiteTga.end()),
                   white.get()),
              0);
    EXPECT_EQ(RawPixels(white.image), std::vector<uint32_t>(64, 0xFFFFFFFF));
    ScopedImage ramp;
    ASSERT_EQ(
        Read(ReadTgaImage, std::vector<uint8_t>(kDefaultRampTga.begin(), kDefaultRampTga.end()), ramp.get()),
        0);
    ASSERT_EQ(ramp->width, 256);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 256; ++x) {
            uint32_t grey = (x / 64) * 0x55;
            ASSERT_EQ(RawPixel(ramp.image, x, y), grey * 0x010101) << x << "," << y;
        }
}

struct DdsSpec {
    uint32_t flags = 0x1007;
    uint32_t width = 8, height = 8, pitch = 0, mipCount = 0;
    uint32_t pfFlags = 0x40, fourCC = 0, bits = 32;
    uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    uint32_t caps = 0x1000;
    size_t dataBytes = 0;
};

std::vector<uint8_t> MakeDds(const DdsSpec& s) {
    std::vector<uint8_t> f(128, 0);
    std::memcpy(f.data(), "DDS ", 4);
    uint8_t* h = f.data() + 4;
    StoreLe32(h, 124);
    StoreLe32(h + 4, s.flags);
    StoreLe32(h + 8, s.height);
    StoreLe32(h + 12, s.width);
    StoreLe32(h + 16, s.pitch);
    StoreLe32(h + 24, s.mipCount);
    StoreLe32(h + 72, 32);
    StoreLe32(h + 76, s.pfFlags);
    StoreLe32(h + 80, s.fourCC);
    StoreLe32(h + 84, s.bits);
    for (int i = 0; i < 4; ++i) StoreLe32(h + 88 + 4 * i, s.masks[i]);
    StoreLe32(h + 104, s.caps);
    for (size_t i = 0; i < s.dataBytes; ++i) f.push_back(static_cast<uint8_t>(i * 7));
    return f;
}

uint32_t FourCC(const char* code) {
    return LoadLe32(reinterpret_cast<const uint8_t*>(code));
}

TEST(ReadDdsImage, DxtOneWithNineMipLevelsReadsTheWholeChain) {
    DdsSpec spec;
    spec.flags |= 0x20000;
    spec.caps = 0x401008;
    spec.width = spec.height = 256;
    spec.mipCount = 9;
    spec.pfFlags = 4;
    spec.fourCC = FourCC("DXT1");
    spec.dataBytes = 32768 + 8192 + 2048 + 512 + 128 + 32 + 8 + 8 + 8;
    std::vector<uint8_t> file = MakeDds(spec);
    ScopedImage image;
    ASSERT_EQ(Read(ReadDdsImage, file, image.get()), 0);
    EXPECT_EQ(image->mipCount, 9);
    EXPECT_EQ(image->pitch, 0);
    EXPECT_EQ(image->format.formatCode, COLOR_FORMAT_DXT1);
    EXPECT_EQ(image->format.bitDepth, 4);
    EXPECT_EQ(GetImageDataSize(image.get()), int(spec.dataBytes));
    EXPECT_EQ(std::memcmp(image->pixels, file.data() + 128, spec.dataBytes), 0);

    // One byte short of the chain is refused.
    file.pop_back();
    SoftImage shorter{};
    EXPECT_EQ(Read(ReadDdsImage, file, &shorter), -1);
}

TEST(ReadDdsImage, MaskFormatsFromTheHeaderOrFromADirect3DFormatCode) {
    DdsSpec rgb;
    rgb.bits = 16;
    rgb.masks[0] = 0xF800, rgb.masks[1] = 0x7E0, rgb.masks[2] = 0x1F, rgb.masks[3] = 0;
    rgb.dataBytes = 8 * 8 * 2;
    ScopedImage image;
    ASSERT_EQ(Read(ReadDdsImage, MakeDds(rgb), image.get()), 0);
    EXPECT_EQ(std::vector<int>({image->format.redWidth, image->format.greenWidth, image->format.blueWidth}),
              std::vector<int>({5, 6, 5}));
    EXPECT_EQ(std::vector<int>({image->format.redShift, image->format.greenShift, image->format.blueShift}),
              std::vector<int>({11, 5, 0}));
    EXPECT_EQ(image->format.fillMask, 0u);
    EXPECT_EQ(image->pitch, 16);

    // A1R5G5B5 named by its code 25, and the pitch from the header's pitch field.
    DdsSpec coded;
    coded.flags |= 0x8;
    coded.pitch = 20;
    coded.pfFlags = 4;
    coded.fourCC = 25;
    coded.bits = 0;
    coded.dataBytes = 20 * 8;
    ScopedImage a1;
    ASSERT_EQ(Read(ReadDdsImage, MakeDds(coded), a1.get()), 0);
    EXPECT_EQ(a1->format.alphaMask, 0x8000u);
    EXPECT_EQ(a1->format.redMask, 0x7C00u);
    EXPECT_EQ(a1->pitch, 20);

    // The alpha mask counts even without the alpha-pixels flag; 3 mip levels of 32 bits.
    DdsSpec mips;
    mips.flags |= 0x20000;
    mips.caps = 0x401008;
    mips.mipCount = 3;
    mips.dataBytes = (64 + 16 + 4) * 4;
    ScopedImage chain;
    ASSERT_EQ(Read(ReadDdsImage, MakeDds(mips), chain.get()), 0);
    EXPECT_EQ(chain->format.alphaWidth, 8);
    EXPECT_EQ(chain->mipCount, 3);
    EXPECT_EQ(GetImageDataSize(chain.get()), int(mips.dataBytes));
}

TEST(ReadDdsImage, RefusesBrokenHeadersSizesAndShortData) {
    DdsSpec good;
    good.dataBytes = 8 * 8 * 4;
    {
        ScopedImage image;
        ASSERT_EQ(Read(ReadDdsImage, MakeDds(good), image.get()), 0);
    }
    struct Case {
        const char* what;
        void (*change)(DdsSpec*);
    };
    const Case cases[] = {
        {"data short", [](DdsSpec* s) { s->dataBytes -= 1; }},
        {"width 0", [](DdsSpec* s) { s->width = 0; }},
        {"height beyond the limit", [](DdsSpec* s) { s->height = 0x80000000u; }},
        {"unknown FourCC", [](DdsSpec* s) { s->pfFlags = 4, s->fourCC = FourCC("ATI2"); }},
        {"luminance", [](DdsSpec* s) { s->pfFlags = 0x20000; }},
        {"12-bit pixels", [](DdsSpec* s) { s->bits = 12; }},
        {"pitch smaller than a row", [](DdsSpec* s) { s->flags |= 0x8, s->pitch = 31; }},
        {"more mip levels than the chain has",
         [](DdsSpec* s) { s->flags |= 0x20000, s->caps = 0x401008, s->mipCount = 5; }},
        {"a mip count near 2^32",
         [](DdsSpec* s) { s->flags |= 0x20000, s->caps = 0x401008, s->mipCount = ~0u; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DdsSpec spec = good;
        c.change(&spec);
        SoftImage image{};
        EXPECT_EQ(Read(ReadDdsImage, MakeDds(spec), &image), -1);
        EXPECT_EQ(image.pixels, nullptr);
    }
    std::vector<uint8_t> fifty = MakeDds(good);
    fifty.resize(50);
    SoftImage image{};
    EXPECT_EQ(Read(ReadDdsImage, fifty, &image), -1);
}

}  // namespace
