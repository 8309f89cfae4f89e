// Helpers shared by the image tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/image/soft_image.h"

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

#include "engine/core/file_access.h"

// A read-only stream over a byte vector for driving readers directly, with the memory-stream semantics
// (whole elements; a last partial element is copied and counts as one).
struct VectorStream {
    std::vector<uint8_t> bytes;
    size_t position = 0;
    int closeCount = 0;

    static VectorStream* Of(uintptr_t source) { return reinterpret_cast<VectorStream*>(source); }
    static int64_t Tell(uintptr_t s) { return static_cast<int64_t>(Of(s)->position); }
    static int Seek(uintptr_t s, int64_t offset, int origin) {
        VectorStream* v = Of(s);
        int64_t base = origin == 0   ? 0
                       : origin == 1 ? static_cast<int64_t>(v->position)
                                     : static_cast<int64_t>(v->bytes.size());
        int64_t p = base + offset;
        v->position = static_cast<size_t>(p < 0                                       ? 0
                                          : p > static_cast<int64_t>(v->bytes.size()) ? v->bytes.size()
                                                                                      : p);
        return 0;
    }
    static size_t Read(void* buffer, size_t size, size_t count, uintptr_t s) {
        VectorStream* v = Of(s);
        size_t left = v->bytes.size() - v->position;
        if (left == 0 || size == 0) return 0;
        size_t whole = std::min(count, left / size);
        size_t n = whole ? whole * size : left;
        std::memcpy(buffer, v->bytes.data() + v->position, n);
        v->position += n;
        return whole ? whole : 1;
    }
    static int Eof(uintptr_t s) { return Of(s)->position == Of(s)->bytes.size(); }
    static int Idle(uintptr_t) { return 1; }
    static int Close(uintptr_t s) {
        ++Of(s)->closeCount;
        return 0;
    }

    StreamDescriptor Descriptor() {
        return StreamDescriptor{{Tell, Seek, Read, Eof, Idle, Close}, reinterpret_cast<uintptr_t>(this)};
    }
};
