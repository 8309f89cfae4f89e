// Comparing what a reader decodes from a fixture with the reference pixels an independent tool decoded
// (<fixture base name>.rgba: R, G, B, A bytes, rows top to bottom).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/image/image_readers.h"
#include "engine/image/soft_image.h"
#include "tests/image/image_test_util.h"

// RGBA_NEAR1: every channel within 1 (block decoders that interpolate with another rounding).
enum Compare { RGB, RGBA, RGBA_NEAR1 };

struct FixtureCase {
    const char* file;
    int (*reader)(StreamDescriptor*, SoftImage*);
    int width, height, pixelBytes, bitDepth, pitch;
    Compare compare;
};

inline std::vector<uint8_t> ReferencePixels(const std::string& fixture) {
    return ReadFileBytes(FixturePath(fixture.substr(0, fixture.find('.')) + ".rgba"));
}

// Every pixel of image (read through GetImagePixelRgba) against the reference.
inline void ExpectReferencePixels(SoftImage* image, const std::vector<uint8_t>& want, Compare compare) {
    ASSERT_EQ(want.size(), size_t(image->width) * image->height * 4);
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            int r, g, b, a = 0;
            ASSERT_EQ(GetImagePixelRgba(image, x, y, &r, &g, &b, &a), 0);
            const uint8_t* p = &want[(size_t(y) * image->width + x) * 4];
            if (compare == RGBA_NEAR1) {
                const int got[4] = {r, g, b, a};
                for (int c = 0; c < 4; ++c) ASSERT_NEAR(got[c], p[c], 1) << x << "," << y << " channel " << c;
                continue;
            }
            ASSERT_EQ(r, p[0]) << x << "," << y;
            ASSERT_EQ(g, p[1]) << x << "," << y;
            ASSERT_EQ(b, p[2]) << x << "," << y;
            if (compare == RGBA) {
                ASSERT_EQ(a, p[3]) << x << "," << y;
            }
        }
}

// Loads a fixture through one reader and checks the result's size, format and pixels.
inline void ExpectFixture(const FixtureCase& c) {
    SCOPED_TRACE(c.file);
    VectorStream stream{ReadFileBytes(FixturePath(c.file))};
    ASSERT_FALSE(stream.bytes.empty());
    std::vector<uint8_t> want = ReferencePixels(c.file);
    ASSERT_EQ(want.size(), size_t(c.width * c.height * 4));

    StreamDescriptor d = stream.Descriptor();
    ScopedImage image;
    ASSERT_EQ(c.reader(&d, image.get()), 0);
    EXPECT_EQ(image->width, c.width);
    EXPECT_EQ(image->height, c.height);
    EXPECT_EQ(image->format.pixelBytes, c.pixelBytes);
    EXPECT_EQ(image->format.bitDepth, c.bitDepth);
    EXPECT_EQ(image->pitch, c.pitch);
    ExpectReferencePixels(image.get(), want, c.compare);
}
