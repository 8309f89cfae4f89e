#include "engine/image/image_loader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/memory/tracked_allocator.h"
#include "engine/image/block_decode.h"
#include "engine/image/image_memory.h"
#include "tests/image/image_test_util.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own below the working directory, removed afterwards.
class ImageLoaderTest : public testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            std::string("image_loader_") + testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        liveBlocks_ = GetTrackedAllocCount();
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Put(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::string path = folder_ + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }

    // Blocks allocated since the test started (the loads must leave none behind but the images).
    int NewBlocks() const { return static_cast<int>(GetTrackedAllocCount()) - static_cast<int>(liveBlocks_); }

    std::string folder_;
    uint32_t liveBlocks_ = 0;
};

void ExpectSamePixels(SoftImage* a, SoftImage* b, bool mirrored = false) {
    ASSERT_EQ(a->width, b->width);
    ASSERT_EQ(a->height, b->height);
    for (int y = 0; y < a->height; ++y)
        for (int x = 0; x < a->width; ++x) {
            int ra, ga, ba, rb, gb, bb;
            GetImagePixelRgba(a, x, y, &ra, &ga, &ba, nullptr);
            GetImagePixelRgba(b, mirrored ? b->width - 1 - x : x, y, &rb, &gb, &bb, nullptr);
            ASSERT_EQ(ra, rb);
            ASSERT_EQ(ga, gb);
            ASSERT_EQ(ba, bb);
        }
}

TEST_F(ImageLoaderTest, LoadsFromMemoryAndFromFilesWhateverTheName) {
    std::vector<uint8_t> png = ReadFileBytes(FixturePath("png_rgba8.png"));
    ScopedImage fromMemory, fromFile, jpegAsPng;
    ASSERT_EQ(LoadSoftImagePlain(nullptr, png.data(), uint32_t(png.size()), 1, fromMemory.get(), 0), 0);
    EXPECT_EQ(fromMemory->width, 13);
    EXPECT_EQ(fromMemory->format.alphaWidth, 8);

    // A PNG named .bmp: the readers before the PNG one refuse it, each after a rewind.
    std::string bmp = Put("picture.bmp", png);
    ASSERT_EQ(LoadSoftImagePlain(bmp.c_str(), nullptr, 0, 0, fromFile.get(), 0), 0);
    ExpectSamePixels(fromMemory.get(), fromFile.get());

    std::string named = Put("photo.png", ReadFileBytes(FixturePath("jpg_444.jpg")));
    ASSERT_EQ(LoadSoftImagePlain(named.c_str(), nullptr, 0, 0, jpegAsPng.get(), 0), 0);
    EXPECT_EQ(jpegAsPng->format.pixelBytes, 3);
    EXPECT_EQ(NewBlocks(), 3);  // the three images' pixel blocks
}

TEST_F(ImageLoaderTest, UnknownOrMissingFilesFailAndLeaveTheOutputUntouched) {
    std::string junk = Put("junk.png", std::vector<uint8_t>(300, 0x42));
    SoftImage out;
    std::memset(&out, 0x5A, sizeof(out));
    SoftImage before = out;
    EXPECT_EQ(LoadSoftImagePlain(junk.c_str(), nullptr, 0, 0, &out, 0), -1);
    EXPECT_EQ(LoadSoftImagePlain((folder_ + "/missing.png").c_str(), nullptr, 0, 0, &out, 0), -1);
    std::vector<uint8_t> truncated = ReadFileBytes(FixturePath("png_truncated.png.bin"));
    EXPECT_EQ(LoadSoftImagePlain(nullptr, truncated.data(), uint32_t(truncated.size()), 1, &out, 0), -1);
    EXPECT_EQ(LoadSoftImagePlain(nullptr, truncated.data(), 0, 1, &out, 0), -1);
    EXPECT_EQ(std::memcmp(&out, &before, sizeof(out)), 0);
    EXPECT_EQ(NewBlocks(), 0);
}

TEST_F(ImageLoaderTest, MirrorReversesEveryRow) {
    std::vector<uint8_t> jpg = ReadFileBytes(FixturePath("jpg_420.jpg"));
    ScopedImage plain, mirrored;
    ASSERT_EQ(LoadSoftImagePlain(nullptr, jpg.data(), uint32_t(jpg.size()), 1, plain.get(), 0), 0);
    ASSERT_EQ(LoadSoftImagePlain(nullptr, jpg.data(), uint32_t(jpg.size()), 1, mirrored.get(), 1), 0);
    ExpectSamePixels(plain.get(), mirrored.get(), true);
}

TEST_F(ImageLoaderTest, AlphaImagesByNameByMemoryOrNone) {
    std::vector<uint8_t> png = ReadFileBytes(FixturePath("png_rgb8.png"));
    std::vector<uint8_t> grey = ReadFileBytes(FixturePath("png_grey8.png"));
    std::string chara = Put("chara.png", png);
    ImageLoaderContext context;
    FillImageLoaderContext(&context);
    {
        ScopedImage image, alpha;
        EXPECT_EQ(LoadSoftImageWithAlpha(&context, chara.c_str(), nullptr, 0, 0, nullptr, 0, 0, image.get(),
                                         alpha.get(), 0),
                  1);
        EXPECT_EQ(image->width, 13);
        EXPECT_EQ(alpha->pixels, nullptr);
    }
    Put("chara_a.png", grey);
    {
        ScopedImage image, alpha;
        EXPECT_EQ(LoadSoftImageWithAlphaDefault(chara.c_str(), nullptr, 0, 0, nullptr, 0, 0, image.get(),
                                                alpha.get(), 0),
                  0);
        EXPECT_EQ(alpha->format.pixelBytes, 1);
        EXPECT_EQ(alpha->width, 13);
    }
    {
        ScopedImage image, alpha;
        EXPECT_EQ(LoadSoftImageWithAlpha(&context, nullptr, png.data(), uint32_t(png.size()), 1, grey.data(),
                                         uint32_t(grey.size()), 1, image.get(), alpha.get(), 0),
                  0);
        EXPECT_EQ(alpha->format.pixelBytes, 1);
    }
    {
        ScopedImage image, alpha;
        EXPECT_EQ(LoadSoftImageWithAlpha(&context, chara.c_str(), nullptr, 0, 0, grey.data(),
                                         uint32_t(grey.size()), 2, image.get(), alpha.get(), 0),
                  1);
        EXPECT_EQ(alpha->pixels, nullptr);
    }
    {
        ScopedImage image, alpha;
        EXPECT_EQ(LoadSoftImageWithAlpha(&context, (folder_ + "/none.png").c_str(), nullptr, 0, 0, nullptr, 0,
                                         0, image.get(), alpha.get(), 0),
                  -1);
    }
    EXPECT_EQ(NewBlocks(), 0);
}

// A reader of a made-up format: "DXT1TEST" followed by one 4 x 4 block. Extra readers come first.
int ReadTestBlocks(StreamDescriptor* stream, SoftImage* image) {
    uint8_t bytes[16];
    if (stream->functions.read(bytes, 1, 16, stream->source) != 16 || std::memcmp(bytes, "DXT1TEST", 8) != 0)
        return -1;
    SetColorFormatArgb8(&image->format);
    image->format.formatCode = COLOR_FORMAT_DXT1;
    image->width = image->height = 4;
    image->pixels = ImageAlloc(8);
    std::memcpy(image->pixels, bytes + 8, 8);
    return 0;
}

int memoryCloses = 0;
int CountingClose(uintptr_t stream) {
    ++memoryCloses;
    return CloseMemoryStream(stream);
}

TEST_F(ImageLoaderTest, ExtraReadersComeFirstAndMirrorDecodesBlocks) {
    // Red (0xF800) in columns 0 and 1 (index 0), blue (0x001F) in columns 2 and 3 (index 1).
    const uint8_t file[16] = {'D',  'X',  'T',  '1',  'T',  'E',  'S',  'T',
                              0x00, 0xF8, 0x1F, 0x00, 0x50, 0x50, 0x50, 0x50};
    ImageLoaderContext context;
    FillImageLoaderContext(&context);
    context.extraReaders[0] = ReadTestBlocks;
    context.extraReaderCount = 1;
    context.memoryStream.close = CountingClose;
    memoryCloses = 0;
    ScopedImage image;
    ASSERT_EQ(LoadSoftImageFromStream(&context, nullptr, file, 16, 1, 0, 1, image.get(), nullptr, nullptr),
              0);
    EXPECT_EQ(memoryCloses, 1);
    EXPECT_EQ(image->format.formatCode, 0);
    EXPECT_EQ(image->pitch, 16);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(RawPixel(image.image, 0, y), 0xFF0000FFu);
        EXPECT_EQ(RawPixel(image.image, 3, y), 0xFFFF0000u);
    }
    // The same reader without the context does not exist: the built-in readers refuse.
    SoftImage none{};
    EXPECT_EQ(LoadSoftImagePlain(nullptr, file, 16, 1, &none, 0), -1);
    std::vector<uint8_t> png = ReadFileBytes(FixturePath("png_grey8.png"));
    memoryCloses = 0;
    ScopedImage viaBuiltIn;
    ASSERT_EQ(LoadSoftImageFromStream(&context, nullptr, png.data(), uint32_t(png.size()), 1, 0, 0,
                                      viaBuiltIn.get(), nullptr, nullptr),
              0);
    EXPECT_EQ(memoryCloses, 1);
    EXPECT_EQ(NewBlocks(), 2);
}

TEST_F(ImageLoaderTest, DibOutputGivesHeaderAndRows) {
    struct Case {
        const char* file;
        int bitCount, rowBytes;
    };
    const Case cases[] = {{"png_pal8.png", 8, 16},
                          {"png_rgb8.png", 24, 40},
                          {"png_rgba8.png", 24, 40},
                          {"jpg_width3.jpg", 24, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<uint8_t> bytes = ReadFileBytes(FixturePath(c.file));
        ScopedImage reference;
        ASSERT_EQ(LoadSoftImagePlain(nullptr, bytes.data(), uint32_t(bytes.size()), 1, reference.get(), 0),
                  0);
        SoftImage untouched{};
        DibInfo* header = nullptr;
        void* bits = nullptr;
        ASSERT_EQ(
            LoadSoftImage(nullptr, bytes.data(), uint32_t(bytes.size()), 1, 1, 0, &untouched, &header, &bits),
            0);
        ASSERT_NE(header, nullptr);
        ASSERT_NE(bits, nullptr);
        EXPECT_EQ(untouched.pixels, nullptr);
        EXPECT_EQ(header->header.biSize, 40u);
        EXPECT_EQ(header->header.biWidth, reference->width);
        EXPECT_EQ(header->header.biHeight, -reference->height);
        EXPECT_EQ(header->header.biPlanes, 1);
        EXPECT_EQ(header->header.biBitCount, c.bitCount);
        EXPECT_EQ(header->header.biCompression, 0u);
        for (int y = 0; y < reference->height; ++y)
            for (int x = 0; x < reference->width; ++x) {
                const uint8_t* p = static_cast<uint8_t*>(bits) + y * c.rowBytes + x * (c.bitCount / 8);
                int r, g, b;
                GetImagePixelRgba(reference.get(), x, y, &r, &g, &b, nullptr);
                if (c.bitCount == 8) {
                    const RGBQUAD& e = header->colors[p[0]];
                    ASSERT_EQ(e.rgbRed, r);
                    ASSERT_EQ(e.rgbBlue, b);
                } else {
                    ASSERT_EQ(p[0], b);
                    ASSERT_EQ(p[1], g);
                    ASSERT_EQ(p[2], r);
                }
            }
        ImageFree(header);
        ImageFree(bits);
    }
    EXPECT_EQ(NewBlocks(), 0);
}

}  // namespace
