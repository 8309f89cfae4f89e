// The largest picture the library reads or makes. Each side alone is allowed far more than the area
// (a strip of 65536 x 1 is fine), so a reader or a creation checks the area and the bytes as well,
// before it allocates anything: no single call asks for more memory than a graphic can use.
#pragma once

#include <cstdint>

constexpr int64_t kMaxImageArea = int64_t{1} << 26;    // 8192 x 8192 pixels
constexpr int64_t kMaxImageBytes = kMaxImageArea * 4;  // that many pixels of 4 bytes

// Sides of at least 1 whose area, and bytes at `pixelBytes` a pixel, are within the limits.
inline bool ImageSizeAllowed(int64_t width, int64_t height, int64_t pixelBytes) {
    if (width < 1 || height < 1 || width > kMaxImageArea || height > kMaxImageArea) return false;
    const int64_t area = width * height;
    return area <= kMaxImageArea && area <= kMaxImageBytes / (pixelBytes < 1 ? 1 : pixelBytes);
}
