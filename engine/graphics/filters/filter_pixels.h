// Pixel access of the filters' processor path: 32-bit images with bytes B, G, R, A, each image with its
// own pitch, and the loop that runs a per-pixel rule over several images at once.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "engine/image/soft_image.h"

enum FilterChannel { kFilterBlue = 0, kFilterGreen = 1, kFilterRed = 2, kFilterAlpha = 3 };

inline uint8_t* FilterPixelAt(const SoftImage& image, int x, int y) {
    return static_cast<uint8_t*>(image.pixels) + static_cast<ptrdiff_t>(y) * image.pitch + x * 4;
}

// Luma in 12-bit fixed point; the weights sum to 4094, so white gives 1043970.
inline int Luma4096(const uint8_t* pixel) {
    return 1224 * pixel[kFilterRed] + 2404 * pixel[kFilterGreen] + 466 * pixel[kFilterBlue];
}

inline uint8_t ClampToByte(int value) {
    return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

// A 0.0-1.0 float as a byte: int(value x 255), clamped; clamped before the conversion, so a value far
// beyond the range (or NaN, which gives 0) converts without overflow.
inline uint8_t FloatToByte(float value) {
    const float scaled = value * 255.0f;
    if (!(scaled > 0.0f)) return 0;
    return scaled >= 255.0f ? 255 : static_cast<uint8_t>(scaled);
}

// A colour of 0.0-1.0 floats as a pixel.
inline void ColorToPixel(float red, float green, float blue, float alpha, uint8_t* pixel) {
    pixel[kFilterRed] = FloatToByte(red);
    pixel[kFilterGreen] = FloatToByte(green);
    pixel[kFilterBlue] = FloatToByte(blue);
    pixel[kFilterAlpha] = FloatToByte(alpha);
}

// rule(pixel of first, pixel of each further image) for every pixel that all images cover, row by row.
template <class Rule, class... Images>
void MapPixels(Rule rule, const SoftImage& first, const Images&... rest) {
    int width = std::min({first.width, rest.width...});
    int height = std::min({first.height, rest.height...});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) rule(FilterPixelAt(first, x, y), FilterPixelAt(rest, x, y)...);
}
