// The BMP, BGRA, TGA and DDS readers over fixtures from ImageMagick and PIL, and over hand-built files
// that show each rule and each refusal.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/memory/log.h"
#include "engine/image/default_tga_images.h"
#include "engine/image/dib_import.h"
#include "engine/image/image_loader.h"
#include "engine/image/image_memory.h"
#include "engine/image/image_readers.h"
#include "engine/image/image_size_limit.h"
#include "engine/image/little_endian.h"
#include "engine/image/soft_image.h"
#include "tests/core/log_capture.h"
#include "tests/image/image_test_util.h"
#include "tests/image/reference_pixels.h"

namespace {

const FixtureCase kFileFixtures[] = {
    // BMP: 1 and 16 bits and bit fields come out as 24 bits; palettes as 8-bit palette images.
    {"bmp_1bit.bmp", ReadBmpImage, 13, 7, 3, 24, 40, RGB},
    {"bmp_4bit.bmp", ReadBmpImage, 13, 7, 1, 8, 16, RGB},
    {"bmp_8bit.bmp", ReadBmpImage, 13, 7, 1, 8, 16, RGB},
    {"bmp_8bit_16colors.bmp", ReadBmpImage, 13, 7, 1, 8, 16, RGB},
    {"bmp_8bit_topdown.bmp", ReadBmpImage, 13, 7, 1, 8, 16, RGB},
    {"bmp_24bit.bmp", ReadBmpImage, 13, 7, 3, 24, 40, RGB},
    {"bmp_24bit_topdown.bmp", ReadBmpImage, 13, 7, 3, 24, 40, RGB},
    {"bmp_32bit.bmp", ReadBmpImage, 13, 7, 4, 32, 52, RGB},
    {"bmp_32bit_topdown.bmp", ReadBmpImage, 13, 7, 4, 32, 52, RGB},
    {"bmp_rle8.bmp", ReadBmpImage, 13, 7, 1, 8, 16, RGB},
    {"bmp_rle8_codes.bmp", ReadBmpImage, 7, 4, 1, 8, 8, RGB},
    {"bmp_rle4.bmp", ReadBmpImage, 9, 5, 1, 8, 12, RGB},
    {"bmp_16bit.bmp", ReadBmpImage, 13, 7, 3, 24, 40, RGB},
    {"bmp_v5_555.bmp", ReadBmpImage, 13, 7, 3, 24, 40, RGB},
    {"bmp_v5_565.bmp", ReadBmpImage, 13, 7, 3, 24, 40, RGB},
    {"bmp_v5_565_topdown.bmp", ReadBmpImage, 13, 7, 3, 24, 40, RGB},
    {"bmp_v4_565.bmp", ReadBmpImage, 13, 7, 3, 24, 40, RGB},
    {"bmp_v5_1555.bmp", ReadBmpImage, 13, 7, 3, 24, 40, RGB},
    // TGA: rows are not padded.
    {"tga_type1.tga", ReadTgaImage, 13, 7, 3, 24, 39, RGB},
    {"tga_type1_top.tga", ReadTgaImage, 13, 7, 3, 24, 39, RGB},
    {"tga_type1_nofooter.tga", ReadTgaImage, 13, 7, 3, 24, 39, RGB},
    {"tga_type9.tga", ReadTgaImage, 13, 7, 3, 24, 39, RGB},
    {"tga_type2.tga", ReadTgaImage, 13, 7, 3, 24, 39, RGB},
    {"tga_type2_nofooter.tga", ReadTgaImage, 13, 7, 3, 24, 39, RGB},
    {"tga_type2_rgba_top.tga", ReadTgaImage, 13, 7, 4, 32, 52, RGBA},
    {"tga_type10_rgba.tga", ReadTgaImage, 13, 7, 4, 32, 52, RGBA},
    {"tga_type10_top.tga", ReadTgaImage, 13, 7, 3, 24, 39, RGB},
    {"tga_type10_nofooter.tga", ReadTgaImage, 13, 7, 3, 24, 39, RGB},
    {"tga_default_white.tga", ReadTgaImage, 8, 8, 4, 32, 32, RGBA},
    {"tga_default_ramp.tga", ReadTgaImage, 256, 8, 3, 24, 768, RGB},
    // DDS: the first level; block-compressed images are decoded by the pixel read, whose interpolated
    // colours truncate where ImageMagick rounds.
    {"dds_argb.dds", ReadDdsImage, 16, 8, 4, 32, 64, RGBA},
    {"dds_dxt1.dds", ReadDdsImage, 16, 8, 4, 4, 0, RGBA_NEAR1},
    {"dds_dxt5.dds", ReadDdsImage, 16, 8, 4, 8, 0, RGBA_NEAR1},
};

TEST(FileReaders, EveryFixtureDecodesToTheReferencePixels) {
    for (const FixtureCase& c : kFileFixtures) ExpectFixture(c);
}

// Runs a reader over bytes; the image is released by the caller's ScopedImage.
int Read(int (*reader)(StreamDescriptor*, SoftImage*), const std::vector<uint8_t>& bytes, SoftImage* image) {
    VectorStream stream{bytes};
    StreamDescriptor d = stream.Descriptor();
    *image = SoftImage{};
    return reader(&d, image);
}

void Append32(std::vector<uint8_t>* out, uint32_t v) {
    uint8_t b[4];
    StoreLe32(b, v);
    out->insert(out->end(), b, b + 4);
}
void Append16(std::vector<uint8_t>* out, uint32_t v) {
    out->push_back(static_cast<uint8_t>(v));
    out->push_back(static_cast<uint8_t>(v >> 8));
}

struct BmpSpec {
    int32_t width = 2, height = 2;
    int bits = 8;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    uint32_t headerSize = 40;
    std::vector<uint8_t> table;  // palette or masks, right after the header
    std::vector<uint8_t> data;
    int64_t offsetAdjust = 0;  // added to the true pixel-data offset
};

std::vector<uint8_t> MakeBmp(const BmpSpec& s) {
    std::vector<uint8_t> file = {'B', 'M'};
    uint32_t offset = 14 + s.headerSize + static_cast<uint32_t>(s.table.size());
    Append32(&file, offset + static_cast<uint32_t>(s.data.size()));
    Append32(&file, 0);
    Append32(&file, static_cast<uint32_t>(offset + s.offsetAdjust));
    Append32(&file, s.headerSize);
    Append32(&file, static_cast<uint32_t>(s.width));
    Append32(&file, static_cast<uint32_t>(s.height));
    Append16(&file, 1);
    Append16(&file, s.bits);
    Append32(&file, s.compression);
    Append32(&file, static_cast<uint32_t>(s.data.size()));
    Append32(&file, 0);
    Append32(&file, 0);
    Append32(&file, s.colorsUsed);
    Append32(&file, 0);
    file.resize(14 + s.headerSize, 0);
    file.insert(file.end(), s.table.begin(), s.table.end());
    file.insert(file.end(), s.data.begin(), s.data.end());
    return file;
}

std::vector<uint8_t> Palette(int entries) {
    std::vector<uint8_t> table;
    for (int i = 0; i < entries; ++i)
        table.insert(table.end(), {uint8_t(i + 1), uint8_t(i + 2), uint8_t(i + 3), 9});
    return table;
}

TEST(ReadBmpImage, PaletteFollowsTheHeaderOfAnyVersionWithItsColourCount) {
    struct Case {
        uint32_t headerSize;
        int bits;
        uint32_t colorsUsed;
        int entries;  // entries the reader takes from the file
    };
    for (const Case& c : {Case{40, 8, 3, 3}, Case{108, 8, 2, 2}, Case{124, 8, 0, 256}, Case{40, 4, 0, 16},
                          Case{40, 4, 300, 16}}) {
        SCOPED_TRACE(testing::Message() << c.headerSize << " " << c.bits << " " << c.colorsUsed);
        BmpSpec spec;
        spec.headerSize = c.headerSize;
        spec.bits = c.bits;
        spec.colorsUsed = c.colorsUsed;
        spec.table = Palette(c.entries);
        spec.data = {0x12, 0x21, 0, 0, 0x01, 0x10, 0, 0};
        ScopedImage image;
        ASSERT_EQ(Read(ReadBmpImage, MakeBmp(spec), image.get()), 0);
        ASSERT_EQ(image->format.pixelBytes, 1);
        for (int i = 0; i < 256; ++i) {
            const PaletteEntry& e = image->format.palette[i];
            bool fromFile = i < c.entries;
            EXPECT_EQ(e.blue, fromFile ? (i + 1) & 0xFF : 0) << i;
            EXPECT_EQ(e.green, fromFile ? (i + 2) & 0xFF : 0) << i;
            EXPECT_EQ(e.red, fromFile ? (i + 3) & 0xFF : 0) << i;
            EXPECT_EQ(e.alpha, 0) << i;
        }
        // Bottom-up rows: the file's second row is the image's first.
        const auto* p = static_cast<const uint8_t*>(image->pixels);
        if (c.bits == 8) {
            EXPECT_EQ(p[0], 0x01);
            EXPECT_EQ(p[image->pitch], 0x12);
        } else {
            EXPECT_EQ(std::vector<uint8_t>(p, p + 2), (std::vector<uint8_t>{0, 1}));
            EXPECT_EQ(std::vector<uint8_t>(p + image->pitch, p + image->pitch + 2),
                      (std::vector<uint8_t>{1, 2}));
        }
    }
}

TEST(ReadBmpImage, FourBitsFivePixelsWideUnpackToOneIndexAPixel) {
    BmpSpec spec;
    spec.width = 5;
    spec.height = 1;
    spec.bits = 4;
    spec.table = Palette(16);
    spec.data = {0x0F, 0x7A, 0x50, 0x00};
    ScopedImage image;
    ASSERT_EQ(Read(ReadBmpImage, MakeBmp(spec), image.get()), 0);
    EXPECT_EQ(image->pitch, 8);
    const auto* p = static_cast<const uint8_t*>(image->pixels);
    EXPECT_EQ(std::vector<uint8_t>(p, p + 5), (std::vector<uint8_t>{0, 15, 7, 10, 5}));
}

TEST(ReadBmpImage, ThirtyTwoBitsKeepTheirFourthByteAsAlpha) {
    ScopedImage image;
    ASSERT_EQ(Read(ReadBmpImage, ReadFileBytes(FixturePath("bmp_32bit.bmp")), image.get()), 0);
    int a = -1;
    ASSERT_EQ(GetImagePixelRgba(image.get(), 3, 2, nullptr, nullptr, nullptr, &a), 0);
    EXPECT_EQ(a, (3 * 20 + 2 * 30) % 256);
    EXPECT_EQ(image->format.alphaMask, 0xFF000000u);
}

// RLE8 into a 4 x 3 bitmap (bottom-up): the expected indices, rows top to bottom.
struct RleCase {
    const char* what;
    std::vector<uint8_t> data;
    std::vector<uint8_t> want;
};

TEST(ReadBmpImage, RleCodesAreClippedToTheImageAndStopWithTheData) {
    const RleCase cases[] = {
        {"run past the right edge", {10, 7, 0, 0, 1, 8, 0, 1}, {0, 0, 0, 0, 8, 0, 0, 0, 7, 7, 7, 7}},
        {"literal past the right edge", {0, 5, 1, 2, 3, 4, 5, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4}},
        {"move beyond the last row", {1, 6, 0, 2, 1, 9, 2, 7}, {0, 0, 0, 0, 0, 0, 0, 0, 6, 0, 0, 0}},
        {"move right past the edge, then a run",
         {0, 2, 9, 0, 3, 5, 0, 0, 2, 4},
         {0, 0, 0, 0, 4, 4, 0, 0, 0, 0, 0, 0}},
        {"literal cut by the end of the data", {0, 6, 1, 2, 3}, {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 0}},
        {"move cut by the end of the data", {2, 3, 0, 2, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 3, 3, 0, 0}},
        {"no end code, odd last byte", {2, 5, 0, 0, 2, 6, 0}, {0, 0, 0, 0, 6, 6, 0, 0, 5, 5, 0, 0}},
        {"end of bitmap mid-row", {1, 4, 0, 1, 3, 3}, {0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0}},
        {"rows beyond the bitmap", {0, 0, 0, 0, 0, 0, 0, 0, 4, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const RleCase& c : cases) {
        SCOPED_TRACE(c.what);
        BmpSpec spec;
        spec.width = 4;
        spec.height = 3;
        spec.compression = 1;
        spec.table = Palette(256);
        spec.data = c.data;
        ScopedImage image;
        ASSERT_EQ(Read(ReadBmpImage, MakeBmp(spec), image.get()), 0);
        ASSERT_EQ(image->pitch, 4);
        const auto* p = static_cast<const uint8_t*>(image->pixels);
        EXPECT_EQ(std::vector<uint8_t>(p, p + 12), c.want);
    }
}

TEST(ReadBmpImage, RleFourLiteralRunsTakeNibblesAndStopWithTheData) {
    BmpSpec spec;
    spec.width = 6;
    spec.height = 1;
    spec.bits = 4;
    spec.compression = 2;
    spec.table = Palette(16);
    spec.data = {3, 0xAB, 0, 5, 0x12, 0x3};  // A B A, then 5 nibbles of which 3 are there
    ScopedImage image;
    ASSERT_EQ(Read(ReadBmpImage, MakeBmp(spec), image.get()), 0);
    EXPECT_EQ(image->pitch, 8);
    const auto* p = static_cast<const uint8_t*>(image->pixels);
    EXPECT_EQ(std::vector<uint8_t>(p, p + 6), (std::vector<uint8_t>{10, 11, 10, 1, 2, 0}));
}

TEST(ReadBmpImage, RefusesBadSizesOffsetsAndWhatNothingCanDecode) {
    BmpSpec good;
    good.bits = 24;
    good.data.assign(16, 0x40);
    {
        ScopedImage image;
        ASSERT_EQ(Read(ReadBmpImage, MakeBmp(good), image.get()), 0);
    }
    struct Case {
        const char* what;
        void (*change)(BmpSpec*);
    };
    const Case cases[] = {
        {"width 0", [](BmpSpec* s) { s->width = 0; }},
        {"negative width", [](BmpSpec* s) { s->width = -2; }},
        {"height 0", [](BmpSpec* s) { s->height = 0; }},
        {"smallest height", [](BmpSpec* s) { s->height = INT32_MIN; }},
        {"width beyond the limit", [](BmpSpec* s) { s->width = 70000; }},
        {"huge width and height", [](BmpSpec* s) { s->width = s->height = 0x7FFFFFFF; }},
        {"pixel data beyond the file", [](BmpSpec* s) { s->offsetAdjust = 100; }},
        {"pixel data shorter than claimed", [](BmpSpec* s) { s->data.resize(15); }},
        {"core header", [](BmpSpec* s) { s->headerSize = 12; }},
        {"palette beyond the file", [](BmpSpec* s) { s->bits = 8, s->colorsUsed = 200, s->data.clear(); }},
        {"two bits a pixel", [](BmpSpec* s) { s->bits = 2; }},
        {"JPEG compression", [](BmpSpec* s) { s->compression = 4; }},
        {"RLE8 of 24 bits", [](BmpSpec* s) { s->compression = 1; }},
        {"bit fields of 24 bits", [](BmpSpec* s) { s->compression = 3, s->table.assign(12, 0xFF); }},
        {"top-down RLE through GDI", [](BmpSpec* s) { s->bits = 4, s->compression = 1, s->height = -2; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BmpSpec spec = good;
        c.change(&spec);
        SoftImage image{};
        EXPECT_EQ(Read(ReadBmpImage, MakeBmp(spec), &image), -1);
        EXPECT_EQ(image.pixels, nullptr);
    }
    for (size_t size : {0, 2, 14, 30, 53}) {
        std::vector<uint8_t> cut = MakeBmp(good);
        cut.resize(size);
        SoftImage image{};
        EXPECT_EQ(Read(ReadBmpImage, cut, &image), -1) << size;
    }
}

void AppendBe32(std::vector<uint8_t>* out, uint32_t v) {
    out->insert(out->end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}

// A black one-bit grey PNG of the given size, whole and valid.
std::vector<uint8_t> BlackPng(uint32_t width, uint32_t height) {
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&file](const char* type, const std::vector<uint8_t>& data) {
        AppendBe32(&file, uint32_t(data.size()));
        const size_t start = file.size();
        file.insert(file.end(), type, type + 4);
        file.insert(file.end(), data.begin(), data.end());
        AppendBe32(&file, uint32_t(crc32(0, file.data() + start, uInt(file.size() - start))));
    };
    std::vector<uint8_t> header;
    AppendBe32(&header, width);
    AppendBe32(&header, height);
    header.insert(header.end(), {1, 0, 0, 0, 0});
    chunk("IHDR", header);
    const std::vector<uint8_t> rows(size_t(height) * (1 + (width + 7) / 8), 0);
    uLongf packed = compressBound(uLong(rows.size()));
    std::vector<uint8_t> data(packed);
    EXPECT_EQ(compress2(data.data(), &packed, rows.data(), uLong(rows.size()), 9), Z_OK);
    data.resize(packed);
    chunk("IDAT", data);
    chunk("IEND", {});
    return file;
}

// The JPEG fixture with other sides in its frame header; the scan is then too short, which the reader
// takes as the end of the image.
std::vector<uint8_t> ResizedJpeg(uint16_t width, uint16_t height) {
    std::vector<uint8_t> file = ReadFileBytes(FixturePath("jpg_444.jpg"));
    for (size_t i = 0; i + 9 < file.size(); ++i) {
        if (file[i] != 0xFF || file[i + 1] != 0xC0) continue;
        file[i + 5] = uint8_t(height >> 8), file[i + 6] = uint8_t(height);
        file[i + 7] = uint8_t(width >> 8), file[i + 8] = uint8_t(width);
        return file;
    }
    ADD_FAILURE() << "no frame header";
    return file;
}

std::vector<uint8_t> RleBmp(int32_t width, int32_t height) {
    BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.compression = 1;
    spec.colorsUsed = 2;
    spec.table = Palette(2);
    spec.data = {4, 1, 0, 1};  // a run, then the end of the bitmap
    return MakeBmp(spec);
}

// Pictures whose sides each pass but whose area is beyond what a graphic can use: refused by the reader
// from the header, where each decoded before (hundreds of megabytes from a few hundred bytes). The
// same readers still take a picture at the limit.
TEST(ImageReaders, PicturesBeyondTheAreaLimitAreRefusedFromTheirHeader) {
    struct Case {
        const char* what;
        int (*reader)(StreamDescriptor*, SoftImage*);
        std::vector<uint8_t> bytes;
        bool loads;
    };
    const Case cases[] = {
        {"RLE8 BMP of 12551 x 65260", ReadBmpImage, RleBmp(12551, 65260), false},
        {"RLE8 BMP of 65536 x 1025", ReadBmpImage, RleBmp(65536, 1025), false},
        {"RLE8 BMP one row past the limit", ReadBmpImage, RleBmp(8192, 8193), false},
        {"RLE8 BMP at the limit", ReadBmpImage, RleBmp(8192, 8192), true},
        {"RLE8 BMP of one long row", ReadBmpImage, RleBmp(65536, 1), true},
        {"PNG one column past the limit", LoadPngImage, BlackPng(8193, 8192), false},
        {"JPEG of 12551 x 65260", LoadJpegImage, ResizedJpeg(12551, 65260), false},
        {"JPEG one row past the limit", LoadJpegImage, ResizedJpeg(8192, 8193), false},
    };
    ASSERT_EQ(int64_t{8192} * 8192, kMaxImageArea);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_LT(c.bytes.size(), 300000u);
        ScopedImage image;
        const int result = Read(c.reader, c.bytes, image.get());
        EXPECT_EQ(result, c.loads ? 0 : -1);
        if (result != 0) {
            EXPECT_EQ(image->pixels, nullptr);
        } else if (c.loads) {
            // The run of four pixels of index 1 starts the bottom row.
            const auto* bottom =
                static_cast<const uint8_t*>(image->pixels) + size_t(image->height - 1) * image->pitch;
            EXPECT_EQ(std::vector<uint8_t>(bottom, bottom + 5), (std::vector<uint8_t>{1, 1, 1, 1, 0}));
        }
    }
}

class DibImport : public LogCapture {};

TEST_F(DibImport, TopDownDirectFormatsKeepTheirPixelsOrCopyThem) {
    struct Info {
        BITMAPINFOHEADER header;
        uint32_t masks[3];
    } info{};
    info.header = BITMAPINFOHEADER{40, 3, -2, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0};
    info.masks[0] = 0xF800, info.masks[1] = 0x07E0, info.masks[2] = 0x001F;
    uint16_t bits[8] = {0xFFFF, 0xF800, 0x07E0, 0, 0x001F, 0, 0, 0};
    ScopedImage shared;
    EXPECT_EQ(ConvertDibToSoftImage(reinterpret_cast<BITMAPINFO*>(&info), bits, shared.get(), 0), 0);
    EXPECT_EQ(shared->pixels, bits);
    EXPECT_EQ(shared->pitch, 8);
    EXPECT_EQ(shared->format.redWidth, 5);
    EXPECT_EQ(shared->format.greenWidth, 6);
    EXPECT_EQ(shared->format.greenShift, 5);
    EXPECT_EQ(shared->format.fillMask, 0u);
    shared->pixels = nullptr;  // the caller's bits

    info.header.biCompression = BI_RGB;  // 5-5-5
    ScopedImage copied;
    ASSERT_EQ(ConvertDibToSoftImage(reinterpret_cast<BITMAPINFO*>(&info), bits, copied.get(), 1), 1);
    EXPECT_NE(copied->pixels, static_cast<void*>(bits));
    EXPECT_EQ(copied->format.redMask, 0x7C00u);
    EXPECT_EQ(copied->format.fillMask, 0x8000u);
    int r, g, b;
    ASSERT_EQ(GetImagePixelRgba(copied.get(), 1, 0, &r, &g, &b, nullptr), 0);
    EXPECT_EQ(r, 30 * 255 / 31);  // 0xF800 read as 5-5-5: red 30, green 0
    EXPECT_EQ(g, 0);
    EXPECT_EQ(b, 0);
}

TEST_F(DibImport, OtherBitmapsComeOutAsTopDownTwentyFourBits) {
    struct Info {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header = BITMAPINFOHEADER{40, 3, 2, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
    info.colors[0] = RGBQUAD{1, 2, 3, 0};
    info.colors[1] = RGBQUAD{200, 150, 100, 0};
    const uint8_t bits[8] = {0xA0, 0, 0, 0, 0x40, 0, 0, 0};  // bottom row 1 0 1, top row 0 1 0
    ScopedImage image;
    ASSERT_EQ(ConvertDibToSoftImage(reinterpret_cast<BITMAPINFO*>(&info), bits, image.get(), 0), 1);
    EXPECT_EQ(image->format.bitDepth, 24);
    EXPECT_EQ(image->pitch, 12);
    const uint32_t want[2][3] = {{0x030201, 0x6496C8, 0x030201}, {0x6496C8, 0x030201, 0x6496C8}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(RawPixel(image.image, x, y), want[y][x]) << x << "," << y;
}

TEST_F(DibImport, ConversionFailuresAreReportedNeverABlackImage) {
    struct Info {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    // 1 bit, 30000 x 20000: the 24-bit section would need 1.8 GB.
    info.header = BITMAPINFOHEADER{40, 30000, 20000, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
    const uint8_t bits[16] = {};
    SoftImage image{};
    EXPECT_EQ(ConvertDibToSoftImage(reinterpret_cast<BITMAPINFO*>(&info), bits, &image, 0), -1);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_NE(ReadLog().find("ＤＩＢの作成に失敗しました3"), std::string::npos);

    // A format GDI can't read: 2 bits a pixel.
    info.header = BITMAPINFOHEADER{40, 2, 2, 1, 2, BI_RGB, 0, 0, 0, 0, 0};
    EXPECT_EQ(ConvertDibToSoftImage(reinterpret_cast<BITMAPINFO*>(&info), bits, &image, 0), -1);
    EXPECT_EQ(image.pixels, nullptr);
}

TEST(ReadBgraImage, EightAndSixteenBitChannels) {
    std::vector<uint8_t> file = {'B', 'G', 'R', 'A'};
    Append32(&file, 0x08080808);
    Append32(&file, 2);
    Append32(&file, 1);
    file.insert(file.end(), {1, 2, 3, 4, 5, 6, 7, 8});
    ScopedImage image;
    ASSERT_EQ(Read(ReadBgraImage, file, image.get()), 0);
    EXPECT_EQ(image->pitch, 8);
    EXPECT_EQ(image->format.alphaMask, 0xFF000000u);
    EXPECT_EQ(RawPixel(image.image, 1, 0), 0x08070605u);

    std::vector<uint8_t> wide = {'B', 'G', 'R', 'A'};
    Append32(&wide, 0x10101010);
    Append32(&wide, 1);
    Append32(&wide, 2);
    for (uint32_t sample : {0x01AA, 0x02BB, 0x12FF, 0xFF00, 0x0300, 0x0400, 0x0500, 0x0600})
        Append16(&wide, sample);
    ScopedImage deep;
    ASSERT_EQ(Read(ReadBgraImage, wide, deep.get()), 0);
    int r, g, b, a;
    ASSERT_EQ(GetImagePixelRgba(deep.get(), 0, 0, &r, &g, &b, &a), 0);
    EXPECT_EQ(std::vector<int>({r, g, b, a}), std::vector<int>({0x12, 0x02, 0x01, 0xFF}));
    ASSERT_EQ(GetImagePixelRgba(deep.get(), 0, 1, &r, &g, &b, &a), 0);
    EXPECT_EQ(std::vector<int>({r, g, b, a}), std::vector<int>({5, 4, 3, 6}));
}

TEST(ReadBgraImage, RefusesOtherChannelBitsSizesAndShortData) {
    auto make = [](uint32_t channels, int32_t width, int32_t height, size_t pixelBytes) {
        std::vector<uint8_t> file = {'B', 'G', 'R', 'A'};
        Append32(&file, channels);
        Append32(&file, static_cast<uint32_t>(width));
        Append32(&file, static_cast<uint32_t>(height));
        file.resize(file.size() + pixelBytes, 0x55);
        return file;
    };
    const std::vector<uint8_t> cases[] = {
        make(0x08080800, 1, 1, 4),
        make(0x20202020, 1, 1, 16),
        make(0x08080808, 0, 1, 4),
        make(0x08080808, -1, 1, 4),
        make(0x08080808, 2, 2, 15),
        make(0x10101010, 2, 1, 15),
        make(0x08080808, 0x40000000, 0x40000000, 64),
        {'B', 'G', 'R', 'A', 8, 8, 8},
    };
    for (const std::vector<uint8_t>& bytes : cases) {
        SoftImage image{};
        EXPECT_EQ(Read(ReadBgraImage, bytes, &image), -1);
        EXPECT_EQ(image.pixels, nullptr);
    }
}

}  // namespace
