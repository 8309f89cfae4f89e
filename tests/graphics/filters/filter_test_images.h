// Images for the filter tests: 32-bit B, G, R, A pixels with a row padding of their own that is filled
// with a guard byte, the reference pixels made by oracles/make_filter_oracles.py, and comparisons.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/image/color_format.h"
#include "engine/image/soft_image.h"

constexpr uint8_t kGuardByte = 0xCD;

class TestImage {
  public:
    TestImage(int width, int height, int paddingPixels = 0)
        : bytes_(size_t(width + paddingPixels) * 4 * height, kGuardByte), width_(width) {
        image_.width = width;
        image_.height = height;
        image_.pitch = (width + paddingPixels) * 4;
        image_.pixels = bytes_.data();
        SetColorFormatArgb8(&image_.format);
        for (int y = 0; y < height; ++y) std::fill_n(At(0, y), width * 4, 0);
    }
    TestImage(const TestImage& other) : TestImage(other.image_.width, other.image_.height, other.Padding()) {
        bytes_ = other.bytes_;
    }
    TestImage& operator=(const TestImage&) = delete;

    const SoftImage& image() const { return image_; }
    int width() const { return image_.width; }
    int height() const { return image_.height; }
    uint8_t* At(int x, int y) { return bytes_.data() + size_t(y) * image_.pitch + x * 4; }
    const uint8_t* At(int x, int y) const { return bytes_.data() + size_t(y) * image_.pitch + x * 4; }
    // Pixel as 0xAARRGGBB.
    uint32_t Argb(int x, int y) const {
        const uint8_t* p = At(x, y);
        return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
    void Set(int x, int y, uint32_t argb) {
        uint8_t* p = At(x, y);
        for (int c = 0; c < 4; ++c) p[c] = uint8_t(argb >> (8 * c));
    }
    void Fill(uint32_t argb) {
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x) Set(x, y, argb);
    }
    // True when every byte beyond the rows' pixels still holds the guard byte.
    bool PaddingIntact() const {
        for (int y = 0; y < height(); ++y)
            for (int i = width_ * 4; i < image_.pitch; ++i)
                if (bytes_[size_t(y) * image_.pitch + i] != kGuardByte) return false;
        return true;
    }

  private:
    int Padding() const { return image_.pitch / 4 - image_.width; }
    std::vector<uint8_t> bytes_;
    int width_;
    SoftImage image_{};
};

// A reference image of oracles/, given its size, laid into an image with the given padding.
inline TestImage LoadOracle(const std::string& name, int width, int height, int paddingPixels = 0) {
    std::ifstream in(std::string(KORVALUND_TEST_DIR) + "/filters/oracles/" + name + ".bgra",
                     std::ios::binary);
    std::vector<uint8_t> raw((std::istreambuf_iterator<char>(in)), {});
    TestImage image(width, height, paddingPixels);
    EXPECT_EQ(raw.size(), size_t(width) * height * 4) << name;
    if (raw.size() != size_t(width) * height * 4) return image;
    for (int y = 0; y < height; ++y) std::copy_n(&raw[size_t(y) * width * 4], width * 4, image.At(0, y));
    return image;
}

// Smallest and largest (actual - expected) over the given channels of every pixel.
struct DifferenceRange {
    int low = 0;
    int high = 0;
};

inline DifferenceRange CompareChannels(const TestImage& actual, const TestImage& expected,
                                       int firstChannel = 0, int channelCount = 3) {
    DifferenceRange range{256, -256};
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            for (int c = firstChannel; c < firstChannel + channelCount; ++c) {
                int difference = int(actual.At(x, y)[c]) - int(expected.At(x, y)[c]);
                range.low = std::min(range.low, difference);
                range.high = std::max(range.high, difference);
            }
    return range;
}

inline bool AlphaEqual(const TestImage& actual, const TestImage& expected) {
    DifferenceRange range = CompareChannels(actual, expected, 3, 1);
    return range.low == 0 && range.high == 0;
}
