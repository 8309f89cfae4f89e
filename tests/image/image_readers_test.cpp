#include "engine/image/image_readers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/image/soft_image.h"
#include "tests/image/image_test_util.h"
#include "tests/image/reference_pixels.h"

namespace {

TEST(LoadPngImage, EveryFixtureDecodesToTheReferencePixels) {
    const FixtureCase cases[] = {
        {"png_rgb8.png", LoadPngImage, 13, 7, 3, 24, 39, RGBA},
        {"png_rgba8.png", LoadPngImage, 13, 7, 4, 32, 52, RGBA},
        {"png_rgb16.png", LoadPngImage, 13, 7, 3, 24, 39, RGBA},
        {"png_interlaced.png", LoadPngImage, 13, 7, 3, 24, 39, RGBA},
        {"png_grey1.png", LoadPngImage, 13, 7, 1, 8, 13, RGB},
        {"png_grey2.png", LoadPngImage, 13, 7, 1, 8, 13, RGB},
        {"png_grey4.png", LoadPngImage, 13, 7, 1, 8, 13, RGB},
        {"png_grey8.png", LoadPngImage, 13, 7, 1, 8, 13, RGB},
        {"png_grey16.png", LoadPngImage, 13, 7, 1, 8, 13, RGB},
        {"png_grey_alpha.png", LoadPngImage, 13, 7, 2, 16, 26, RGB},  // alpha is lost
        {"png_pal1.png", LoadPngImage, 13, 7, 1, 8, 13, RGB},
        {"png_pal2.png", LoadPngImage, 13, 7, 1, 8, 13, RGB},
        {"png_pal4.png", LoadPngImage, 13, 7, 1, 8, 13, RGB},
        {"png_pal8.png", LoadPngImage, 13, 7, 1, 8, 13, RGB},
        {"png_pal1_trns.png", LoadPngImage, 13, 7, 4, 32, 52, RGBA},
        {"png_pal2_trns.png", LoadPngImage, 13, 7, 4, 32, 52, RGBA},
        {"png_pal4_trns.png", LoadPngImage, 13, 7, 4, 32, 52, RGBA},
        {"png_pal8_trns.png", LoadPngImage, 13, 7, 4, 32, 52, RGBA},
    };
    for (const FixtureCase& c : cases) ExpectFixture(c);
}

TEST(LoadPngImage, FormatsOfTheResult) {
    VectorStream grey{ReadFileBytes(FixturePath("png_grey_alpha.png"))};
    StreamDescriptor d = grey.Descriptor();
    ScopedImage image;
    ASSERT_EQ(LoadPngImage(&d, image.get()), 0);
    EXPECT_EQ(image->format.redMask, 0xFFu);
    EXPECT_EQ(image->format.blueMask, 0xFFu);
    EXPECT_EQ(image->format.alphaWidth, 0);
    EXPECT_EQ(image->format.fillMask, 0xFF00u);

    VectorStream pal{ReadFileBytes(FixturePath("png_pal2.png"))};
    d = pal.Descriptor();
    ScopedImage palette;
    ASSERT_EQ(LoadPngImage(&d, palette.get()), 0);
    // Four entries from the file (blue, green, red, 0); the rest are zero.
    EXPECT_EQ(palette->format.palette[1].red, (1 * 53 + 7) % 256);
    EXPECT_EQ(palette->format.palette[1].green, (1 * 97 + 11) % 256);
    EXPECT_EQ(palette->format.palette[1].blue, (1 * 31 + 200) % 256);
    EXPECT_EQ(palette->format.palette[1].alpha, 0);
    EXPECT_EQ(palette->format.palette[4].red, 0);
    EXPECT_EQ(palette->format.palette[255].blue, 0);
    EXPECT_EQ(static_cast<uint8_t*>(palette->pixels)[5], 5 % 4);  // indices one byte each
}

TEST(LoadJpegImage, EveryFixtureDecodesToTheReferencePixels) {
    const FixtureCase cases[] = {
        {"jpg_420.jpg", LoadJpegImage, 13, 7, 3, 24, 39, RGB},
        {"jpg_422.jpg", LoadJpegImage, 13, 7, 3, 24, 39, RGB},
        {"jpg_444.jpg", LoadJpegImage, 13, 7, 3, 24, 39, RGB},
        {"jpg_progressive.jpg", LoadJpegImage, 13, 7, 3, 24, 39, RGB},
        {"jpg_grey.jpg", LoadJpegImage, 13, 7, 1, 8, 13, RGB},
        {"jpg_width3.jpg", LoadJpegImage, 3, 2, 3, 24, 9, RGB},
        {"jpg_truncated.jpg.bin", LoadJpegImage, 13, 7, 3, 24, 39, RGB},
    };
    for (const FixtureCase& c : cases) ExpectFixture(c);
}

TEST(ImageReaders, RefuseWhatIsNotTheirsOrBroken) {
    struct Case {
        const char* file;
        int (*reader)(StreamDescriptor*, SoftImage*);
    };
    const Case cases[] = {
        {"png_truncated.png.bin", LoadPngImage},
        {"jpg_cmyk.jpg", LoadJpegImage},
        {"png_rgb8.png", LoadJpegImage},
        {"jpg_444.jpg", LoadPngImage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        VectorStream stream{ReadFileBytes(FixturePath(c.file))};
        ASSERT_FALSE(stream.bytes.empty());
        StreamDescriptor d = stream.Descriptor();
        SoftImage image{};
        EXPECT_EQ(c.reader(&d, &image), -1);
        EXPECT_EQ(image.pixels, nullptr);
    }
    for (auto reader : {LoadPngImage, LoadJpegImage}) {
        for (const std::vector<uint8_t>& bytes :
             {std::vector<uint8_t>{}, std::vector<uint8_t>{0xFF, 0xD8}, std::vector<uint8_t>(100, 0x89)}) {
            VectorStream stream{bytes};
            StreamDescriptor d = stream.Descriptor();
            SoftImage image{};
            EXPECT_EQ(reader(&d, &image), -1);
            EXPECT_EQ(image.pixels, nullptr);
        }
    }
}

// A PNG cut anywhere is refused (its end chunk is read too); a JPEG cut after its header still loads,
// with the missing tail read as the end of the image.
TEST(ImageReaders, EveryCutOfAValidFileIsRefusedOrDecodedWithoutFaults) {
    struct Case {
        const char* file;
        int (*reader)(StreamDescriptor*, SoftImage*);
        bool cutLoads;
    };
    const Case cases[] = {{"png_pal4_trns.png", LoadPngImage, false},
                          {"png_interlaced.png", LoadPngImage, false},
                          {"jpg_progressive.jpg", LoadJpegImage, true},
                          {"jpg_420.jpg", LoadJpegImage, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<uint8_t> whole = ReadFileBytes(FixturePath(c.file));
        int loaded = 0;
        for (size_t n = 0; n <= whole.size(); ++n) {
            VectorStream stream{std::vector<uint8_t>(whole.begin(), whole.begin() + n)};
            StreamDescriptor d = stream.Descriptor();
            ScopedImage image;
            int result = c.reader(&d, image.get());
            if (n == whole.size() || (!c.cutLoads && result != -1)) {
                ASSERT_EQ(result, n == whole.size() ? 0 : -1) << n;
            }
            if (result == 0) {
                ++loaded;
                EXPECT_EQ(image->width, 13);
                EXPECT_EQ(image->height, 7);
            } else {
                EXPECT_EQ(image->pixels, nullptr);
            }
        }
        if (c.cutLoads) {
            EXPECT_GT(loaded, 1);
        }
    }
}

}  // namespace
