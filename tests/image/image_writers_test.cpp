// The BMP, PNG and JPEG writers against reference tools: PIL's BMPs of the same picture, libpng's own
// decoder, and cjpeg at the same quality.
#include "engine/image/image_writers.h"

#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/image/little_endian.h"
#include "engine/image/soft_image.h"
#include "tests/core/log_capture.h"
#include "tests/image/image_test_util.h"

namespace {

constexpr int kWidth = 13, kHeight = 7;

// The writer source picture (R, G, B, A bytes) in a new image of the given format.
void MakeSourceImage(const ColorFormat& format, SoftImage* image) {
    std::vector<uint8_t> rgba = ReadFileBytes(FixturePath("writer_src.rgba"));
    ASSERT_EQ(rgba.size(), size_t(kWidth * kHeight * 4));
    ASSERT_EQ(CreateSoftImage(kWidth, kHeight, &format, image), 0);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p = &rgba[(y * kWidth + x) * 4];
            SetImagePixelRgba(image, x, y, p[0], p[1], p[2], p[3]);
        }
}

// The palette picture: PIL's indices and its 256-entry palette.
void MakePaletteImage(SoftImage* image) {
    std::vector<uint8_t> indices = ReadFileBytes(FixturePath("writer_src.idx"));
    std::vector<uint8_t> palette = ReadFileBytes(FixturePath("writer_src.pal"));
    ASSERT_EQ(indices.size(), size_t(kWidth * kHeight));
    ASSERT_EQ(palette.size(), 768u);
    ColorFormat format{};
    SetColorFormatPalette8(&format);
    for (int i = 0; i < 256; ++i)
        format.palette[i] = PaletteEntry{palette[3 * i + 2], palette[3 * i + 1], palette[3 * i], 0x77};
    ASSERT_EQ(CreateSoftImage(kWidth, kHeight, &format, image), 0);
    for (int y = 0; y < kHeight; ++y) std::memcpy(PixelPtr(*image, 0, y), &indices[y * kWidth], kWidth);
}

class ImageWriters : public LogCapture {
  protected:
    std::string Path(const std::string& name) const { return folder_ + "/" + name; }
};

struct BmpFile {
    std::vector<uint8_t> bytes;
    uint32_t U32(size_t at) const { return LoadLe32(&bytes[at]); }
    uint16_t U16(size_t at) const { return LoadLe16(&bytes[at]); }
    std::vector<uint8_t> Range(size_t from, size_t count) const {
        return std::vector<uint8_t>(bytes.begin() + from, bytes.begin() + from + count);
    }
    std::vector<uint8_t> PixelRegion() const { return Range(U32(10), bytes.size() - U32(10)); }
};

void ExpectHeader(const BmpFile& file, int bits, uint32_t offset, uint32_t stride) {
    ASSERT_GE(file.bytes.size(), 54u);
    EXPECT_EQ(file.bytes[0], 'B');
    EXPECT_EQ(file.bytes[1], 'M');
    EXPECT_EQ(file.U32(2), offset + stride * kHeight);
    EXPECT_EQ(file.bytes.size(), offset + stride * kHeight);
    EXPECT_EQ(file.U32(6), 0u);
    EXPECT_EQ(file.U32(10), offset);
    EXPECT_EQ(file.U32(14), 40u);
    EXPECT_EQ(file.U32(18), uint32_t(kWidth));
    EXPECT_EQ(file.U32(22), uint32_t(kHeight));  // positive: bottom-up
    EXPECT_EQ(file.U16(26), 1);
    EXPECT_EQ(file.U16(28), bits);
    for (size_t at = 30; at < 54; at += 4) EXPECT_EQ(file.U32(at), 0u) << at;
}

TEST_F(ImageWriters, TwentyFourBitBmpHasThePixelRegionOfTheReferenceWriter) {
    BmpFile reference{ReadFileBytes(FixturePath("writer_ref24.bmp"))};
    ASSERT_FALSE(reference.bytes.empty());
    for (const ColorFormat& format : {FormatRgb24(), FormatXrgb8(), FormatArgb8()}) {
        SCOPED_TRACE(int(format.bitDepth));
        ScopedImage image;
        MakeSourceImage(format, image.get());
        ASSERT_EQ(SaveImageAsBmp(Path("out.bmp").c_str(), image.get()), 0);
        BmpFile written{ReadFileBytes(Path("out.bmp"))};
        ExpectHeader(written, 24, 54, 40);
        EXPECT_EQ(written.PixelRegion(), reference.PixelRegion());
    }
}

TEST_F(ImageWriters, EightBitBmpKeepsIndicesAndPaletteOfTheReferenceWriter) {
    BmpFile reference{ReadFileBytes(FixturePath("writer_ref8.bmp"))};
    ASSERT_EQ(reference.U32(10), 54u + 1024u);
    ScopedImage image;
    MakePaletteImage(image.get());
    ASSERT_EQ(SaveImageAsBmp(Path("pal.bmp").c_str(), image.get()), 0);
    BmpFile written{ReadFileBytes(Path("pal.bmp"))};
    ExpectHeader(written, 8, 54 + 1024, 16);  // 13 pixels padded to 16 bytes
    EXPECT_EQ(written.PixelRegion(), reference.PixelRegion());
    // The palette as blue, green, red, 0 (the image's fourth byte is not written).
    EXPECT_EQ(written.Range(54, 1024), reference.Range(54, 1024));
}

TEST_F(ImageWriters, SixteenBitPixelsKeepTheirTopBits) {
    ScopedImage image;
    ColorFormat format = Format565();
    ASSERT_EQ(CreateSoftImage(3, 1, &format, image.get()), 0);
    PutRawPixel(image.image, 0, 0, 0xFFFF);
    PutRawPixel(image.image, 1, 0, 0x0821);  // 1, 1, 1
    PutRawPixel(image.image, 2, 0, 0xF800);
    ASSERT_EQ(SaveImageAsBmp(Path("565.bmp").c_str(), image.get()), 0);
    BmpFile written{ReadFileBytes(Path("565.bmp"))};
    ASSERT_EQ(written.bytes.size(), 54u + 12u);
    EXPECT_EQ(written.Range(54, 12),
              (std::vector<uint8_t>{248, 252, 248, 8, 4, 8, 0, 0, 248, 0, 0, 0}));  // B, G, R; padding
}

TEST_F(ImageWriters, SavingOverAnExistingBmpReplacesIt) {
    std::string path = Path("old.bmp");
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> junk(5000, 0xEE);
    std::fwrite(junk.data(), 1, junk.size(), f);
    std::fclose(f);
    ScopedImage image;
    MakeSourceImage(FormatRgb24(), image.get());
    ASSERT_EQ(SaveImageAsBmp(path.c_str(), image.get()), 0);
    EXPECT_EQ(ReadFileBytes(path).size(), 54u + 40u * kHeight);
}

TEST_F(ImageWriters, BmpOfAnUnsupportedDepthIsRefusedAndWritesNothing) {
    ScopedImage image;
    ColorFormat format = FormatGrey8();
    ASSERT_EQ(CreateSoftImage(4, 4, &format, image.get()), 0);
    image->format.bitDepth = 4;
    EXPECT_EQ(SaveImageAsBmp(Path("four.bmp").c_str(), image.get()), -1);
    image->format.bitDepth = 8;
    image->format.formatCode = COLOR_FORMAT_DXT1;
    EXPECT_EQ(SaveImageAsBmp(Path("dxt.bmp").c_str(), image.get()), -1);
    EXPECT_EQ(access(Path("four.bmp").c_str(), F_OK), -1);
    EXPECT_EQ(access(Path("dxt.bmp").c_str(), F_OK), -1);
}

TEST_F(ImageWriters, BmpFailuresAreLogged) {
    ScopedImage image;
    MakeSourceImage(FormatRgb24(), image.get());
    EXPECT_EQ(SaveImageAsBmp(Path("no/such/folder/x.bmp").c_str(), image.get()), -1);
    EXPECT_NE(ReadLog().find("ＢＭＰセーブ用ファイルのオープンに失敗しました"), std::string::npos);

    // Rows of 120000 bytes x 40000 rows: more than the image module ever allocates.
    SoftImage huge = image.image;
    huge.width = 40000;
    huge.height = 40000;
    EXPECT_EQ(SaveImageAsBmp(Path("huge.bmp").c_str(), &huge), -1);
    EXPECT_NE(ReadLog().find("グラフィック保存用メモリの確保に失敗しました"), std::string::npos);
    EXPECT_EQ(access(Path("huge.bmp").c_str(), F_OK), -1);
}

// Files may grow to `limit` bytes while the object lives; writes beyond fail instead of raising SIGXFSZ.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit lower = saved_;
        lower.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit saved_{};
    sighandler_t oldHandler_;
};

TEST_F(ImageWriters, AShortWriteFailsEveryWriter) {
    ScopedImage image;
    MakeSourceImage(FormatArgb8(), image.get());
    {
        FileSizeLimit limit(100);
        EXPECT_EQ(SaveImageAsBmp(Path("short.bmp").c_str(), image.get()), -1);
        EXPECT_EQ(SaveImageAsJpeg(Path("short.jpg").c_str(), image.get(), 85, 0), -1);
        EXPECT_EQ(SaveImageAsPng(Path("short.png").c_str(), image.get(), 0), -1);
    }
    EXPECT_EQ(access(Path("short.bmp").c_str(), F_OK), -1);  // no half-written bitmap is left
}

// The PNG as libpng's simplified reader decodes it: R, G, B (and A) bytes; the channel count out.
std::vector<uint8_t> DecodePngWithLibpng(const std::string& path, int* channels) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return {};
    *channels = (png.format & PNG_FORMAT_FLAG_ALPHA) ? 4 : 3;
    png.format = *channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) return {};
    EXPECT_EQ(png.width, uint32_t(kWidth));
    EXPECT_EQ(png.height, uint32_t(kHeight));
    return pixels;
}

TEST_F(ImageWriters, PngDecodesToTheExactSourcePixels) {
    std::vector<uint8_t> rgba = ReadFileBytes(FixturePath("writer_src.rgba"));
    std::vector<uint8_t> rgb;
    for (size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), &rgba[i], &rgba[i + 3]);
    struct Case {
        ColorFormat format;
        int channels;
        const std::vector<uint8_t>* want;
    };
    for (const Case& c :
         {Case{FormatArgb8(), 4, &rgba}, Case{FormatRgb24(), 3, &rgb}, Case{FormatXrgb8(), 3, &rgb}}) {
        for (int level : {0, 9}) {
            SCOPED_TRACE(testing::Message() << int(c.format.bitDepth) << " bits, level " << level);
            ScopedImage image;
            MakeSourceImage(c.format, image.get());
            ASSERT_EQ(SaveImageAsPng(Path("out.png").c_str(), image.get(), level), 0);
            int channels = 0;
            EXPECT_EQ(DecodePngWithLibpng(Path("out.png"), &channels), *c.want);
            EXPECT_EQ(channels, c.channels);
        }
    }
}

TEST_F(ImageWriters, PngOfAPaletteImageHoldsItsColours) {
    ScopedImage image;
    MakePaletteImage(image.get());
    ASSERT_EQ(SaveImageAsPng(Path("pal.png").c_str(), image.get(), 6), 0);
    int channels = 0;
    std::vector<uint8_t> decoded = DecodePngWithLibpng(Path("pal.png"), &channels);
    ASSERT_EQ(channels, 3);
    ASSERT_EQ(decoded.size(), size_t(kWidth * kHeight * 3));
    std::vector<uint8_t> indices = ReadFileBytes(FixturePath("writer_src.idx"));
    std::vector<uint8_t> palette = ReadFileBytes(FixturePath("writer_src.pal"));
    for (int i = 0; i < kWidth * kHeight; ++i)
        for (int c = 0; c < 3; ++c) ASSERT_EQ(decoded[3 * i + c], palette[3 * indices[i] + c]) << i;
}

TEST_F(ImageWriters, JpegIsTheFileCjpegWritesAtTheSameQuality) {
    std::vector<uint8_t> reference = ReadFileBytes(FixturePath("writer_ref_q85.jpg"));
    ASSERT_FALSE(reference.empty());
    for (const ColorFormat& format : {FormatRgb24(), FormatArgb8()}) {
        ScopedImage image;
        MakeSourceImage(format, image.get());
        ASSERT_EQ(SaveImageAsJpeg(Path("out.jpg").c_str(), image.get(), 85, 0), 0);
        EXPECT_EQ(ReadFileBytes(Path("out.jpg")), reference);
    }
}

TEST_F(ImageWriters, PngAndJpegFailWhenTheFileCannotBeOpened) {
    ScopedImage image;
    MakeSourceImage(FormatRgb24(), image.get());
    EXPECT_EQ(SaveImageAsPng(Path("missing/x.png").c_str(), image.get(), 6), -1);
    EXPECT_EQ(SaveImageAsJpeg(Path("missing/x.jpg").c_str(), image.get(), 85, 0), -1);
}

}  // namespace
