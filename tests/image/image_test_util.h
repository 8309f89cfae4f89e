// Helpers shared by the image tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/image/soft_image.h"
#include "tests/image/vector_stream.h"

// A SoftImage that is released when the test ends.
struct ScopedImage {
    SoftImage image{};
    ScopedImage() = default;
    ScopedImage(const ScopedImage&) = delete;
    ScopedImage& operator=(const ScopedImage&) = delete;
    ~ScopedImage() { ReleaseSoftImage(&image); }
    SoftImage* operator->() { return &image; }
    SoftImage* get() { return &image; }
};

inline ColorFormat MaskFormat(int depth, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    ColorFormat f{};
    BuildColorFormat(&f, depth, r, g, b, a, 0, 0, 0);
    return f;
}

inline ColorFormat Format565() {
    return MaskFormat(16, 0xF800, 0x07E0, 0x001F, 0);
}
inline ColorFormat FormatX555() {
    return MaskFormat(16, 0x7C00, 0x03E0, 0x001F, 0);
}
inline ColorFormat FormatA1555() {
    return MaskFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000);
}
inline ColorFormat FormatArgb8() {
    ColorFormat f{};
    SetColorFormatArgb8(&f);
    return f;
}
inline ColorFormat FormatXrgb8() {
    ColorFormat f{};
    SetColorFormatXrgb8(&f);
    return f;
}
inline ColorFormat FormatRgb24() {
    ColorFormat f{};
    SetColorFormatRgb24(&f);
    return f;
}
inline ColorFormat FormatGrey8() {
    ColorFormat f{};
    SetColorFormatGrey8(&f);
    return f;
}

inline uint8_t* PixelPtr(const SoftImage& image, int x, int y) {
    return static_cast<uint8_t*>(image.pixels) + y * image.pitch + x * image.format.pixelBytes;
}
inline uint32_t RawPixel(const SoftImage& image, int x, int y) {
    return ReadPixelValue(PixelPtr(image, x, y), image.format.pixelBytes);
}
inline void PutRawPixel(SoftImage& image, int x, int y, uint32_t value) {
    WritePixelValue(PixelPtr(image, x, y), image.format.pixelBytes, value);
}

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + n);
        std::fclose(f);
    }
    return bytes;
}

inline std::string FixturePath(const std::string& name) {
    return std::string(KORVALUND_TEST_DIR) + "/fixtures/" + name;
}
