#include "engine/graphics/handles/channel_pixels.h"

#include <cmath>
#include <cstring>

float HalfFloatValue(uint16_t h) {
    const int exponent = (h >> 10) & 31, mantissa = h & 1023;
    float v;
    if (exponent == 0)
        v = std::ldexp(float(mantissa), -24);
    else if (exponent == 31)
        v = mantissa ? NAN : INFINITY;
    else
        v = std::ldexp(float(mantissa | 1024), exponent - 25);
    return (h >> 15) ? -v : v;
}

namespace {

float ChannelValue(const ColorFormat& f, const uint8_t* p, int channel) {
    if (f.bitsPerChannel == 32) {
        float v;
        std::memcpy(&v, p + 4 * channel, 4);
        return v;
    }
    uint16_t v;
    std::memcpy(&v, p + 2 * channel, 2);
    return f.floatFlag ? HalfFloatValue(v) : float(v) / 65535.0f;
}

uint32_t Byte(float v) {
    if (!(v > 0.0f)) return 0;  // and NaN
    return v >= 1.0f ? 255u : uint32_t(v * 255.0f + 0.5f);
}

}  // namespace

void ChannelPixelsToArgb(const ColorFormat& f, const uint8_t* from, int width, uint32_t* to) {
    for (int x = 0; x < width; ++x, from += f.pixelBytes) {
        float c[4] = {1, 1, 1, 1};
        for (int i = 0; i < f.channelCount && i < 4; ++i) c[i] = ChannelValue(f, from, i);
        to[x] = Byte(c[3]) << 24 | Byte(c[0]) << 16 | Byte(c[1]) << 8 | Byte(c[2]);
    }
}
