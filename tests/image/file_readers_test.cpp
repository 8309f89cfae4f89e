// The BMP, BGRA, TGA and DDS readers over fixtures from ImageMagick and PIL, and over hand-built files
// that show each rule and each refusal.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/image/default_tga_images.h"
#include "engine/image/image_loader.h"
#include "engine/image/image_readers.h"
#include "engine/image/soft_image.h"
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

}  // namespace
