#include "platform/d3d9/channel_formats.h"

#include <cmath>
#include <cstring>

#include "platform/d3d9/pixel_format.h"

namespace d3d9 {

float HalfToFloat(uint16_t h) {
    const int sign = h >> 15, exponent = (h >> 10) & 31, mantissa = h & 1023;
    float v;
    if (exponent == 0)
        v = std::ldexp(float(mantissa), -24);
    else if (exponent == 31)
        v = mantissa ? NAN : INFINITY;
    else
        v = std::ldexp(float(mantissa | 1024), exponent - 25);
    return sign ? -v : v;
}

uint16_t FloatToHalf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    const uint16_t sign = uint16_t((bits >> 16) & 0x8000);
    if (std::isnan(value)) return uint16_t(sign | 0x7E00);
    const float magnitude = std::fabs(value);
    if (magnitude >= 65520.0f) return uint16_t(sign | 0x7C00);  // rounds past the largest half
    if (magnitude < std::ldexp(1.0f, -14)) {
        // Subnormal: steps of 2^-24, rounded to nearest even.
        const float steps = magnitude * 16777216.0f;
        return uint16_t(sign | uint16_t(std::nearbyint(steps)));
    }
    int exponent;
    const float fraction = std::frexp(magnitude, &exponent);                 // [0.5, 1)
    uint32_t mantissa = uint32_t(std::nearbyint(std::ldexp(fraction, 11)));  // 1024..2048
    if (mantissa == 2048) mantissa = 1024, ++exponent;
    return uint16_t(sign | uint16_t((exponent + 14) << 10) | uint16_t(mantissa & 1023));
}

bool IsFloatFormat(D3DFORMAT f) {
    return f == D3DFMT_R16F || f == D3DFMT_G16R16F || f == D3DFMT_A16B16G16R16F || f == D3DFMT_R32F ||
           f == D3DFMT_G32R32F || f == D3DFMT_A32B32G32R32F;
}

bool IsWideFormat(D3DFORMAT f) {
    return IsFloatFormat(f) || f == D3DFMT_G16R16 || f == D3DFMT_A16B16G16R16;
}

namespace {

uint16_t Load16(const uint8_t* p, int i) {
    uint16_t v;
    std::memcpy(&v, p + 2 * i, 2);
    return v;
}
void Store16(uint8_t* p, int i, uint16_t v) {
    std::memcpy(p + 2 * i, &v, 2);
}
float Load32(const uint8_t* p, int i) {
    float v;
    std::memcpy(&v, p + 4 * i, 4);
    return v;
}
void Store32(uint8_t* p, int i, float v) {
    std::memcpy(p + 4 * i, &v, 4);
}

float Unorm16(uint16_t v) {
    return float(v) / 65535.0f;
}
uint16_t ToUnorm16(float v) {
    return uint16_t(RoundedSteps(v, 65535));
}
uint8_t ToUnorm8(float v) {
    return uint8_t(RoundedSteps(v, 255));
}

// The channels r, g, b, a stored at p in that order, n of them, by kind.
enum class Kind { kUnorm16, kHalf, kFloat };

ColorF LoadChannels(const uint8_t* p, int n, Kind kind) {
    float c[4] = {1, 1, 1, 1};
    for (int i = 0; i < n; ++i)
        c[i] = kind == Kind::kUnorm16 ? Unorm16(Load16(p, i))
               : kind == Kind::kHalf  ? HalfToFloat(Load16(p, i))
                                      : Load32(p, i);
    return {c[0], c[1], c[2], c[3]};
}

void StoreChannels(uint8_t* p, int n, Kind kind, const ColorF& color) {
    const float c[4] = {color.r, color.g, color.b, color.a};
    for (int i = 0; i < n; ++i) {
        if (kind == Kind::kUnorm16)
            Store16(p, i, ToUnorm16(c[i]));
        else if (kind == Kind::kHalf)
            Store16(p, i, FloatToHalf(c[i]));
        else
            Store32(p, i, c[i]);
    }
}

}  // namespace

ColorF DecodePixelFloat(D3DFORMAT format, const uint8_t* p) {
    const float* unit = kUnitFloats.v;
    switch (format) {
        case D3DFMT_A16B16G16R16:
            return LoadChannels(p, 4, Kind::kUnorm16);
        case D3DFMT_G16R16:
            return LoadChannels(p, 2, Kind::kUnorm16);
        case D3DFMT_R16F:
            return LoadChannels(p, 1, Kind::kHalf);
        case D3DFMT_G16R16F:
            return LoadChannels(p, 2, Kind::kHalf);
        case D3DFMT_A16B16G16R16F:
            return LoadChannels(p, 4, Kind::kHalf);
        case D3DFMT_R32F:
            return LoadChannels(p, 1, Kind::kFloat);
        case D3DFMT_G32R32F:
            return LoadChannels(p, 2, Kind::kFloat);
        case D3DFMT_A32B32G32R32F:
            return LoadChannels(p, 4, Kind::kFloat);
        case D3DFMT_L8:
            return {unit[p[0]], unit[p[0]], unit[p[0]], 1};
        case D3DFMT_A8L8:
            return {unit[p[0]], unit[p[0]], unit[p[0]], unit[p[1]]};
        case D3DFMT_A8:
            return {0, 0, 0, unit[p[0]]};
        default: {
            ColorF c{0, 0, 0, 1};
            DispatchColorFormat(format, [&](auto f) {
                const Color d = Decode<decltype(f)::value>(p);
                c = {unit[d.r], unit[d.g], unit[d.b], unit[d.a]};
            });
            return c;
        }
    }
}

void EncodePixelFloat(D3DFORMAT format, uint8_t* p, const ColorF& c) {
    switch (format) {
        case D3DFMT_A16B16G16R16:
            return StoreChannels(p, 4, Kind::kUnorm16, c);
        case D3DFMT_G16R16:
            return StoreChannels(p, 2, Kind::kUnorm16, c);
        case D3DFMT_R16F:
            return StoreChannels(p, 1, Kind::kHalf, c);
        case D3DFMT_G16R16F:
            return StoreChannels(p, 2, Kind::kHalf, c);
        case D3DFMT_A16B16G16R16F:
            return StoreChannels(p, 4, Kind::kHalf, c);
        case D3DFMT_R32F:
            return StoreChannels(p, 1, Kind::kFloat, c);
        case D3DFMT_G32R32F:
            return StoreChannels(p, 2, Kind::kFloat, c);
        case D3DFMT_A32B32G32R32F:
            return StoreChannels(p, 4, Kind::kFloat, c);
        case D3DFMT_L8:
            p[0] = ToUnorm8(c.r);
            return;
        case D3DFMT_A8L8:
            p[0] = ToUnorm8(c.r), p[1] = ToUnorm8(c.a);
            return;
        case D3DFMT_A8:
            p[0] = ToUnorm8(c.a);
            return;
        default:
            DispatchColorFormat(format, [&](auto f) {
                Encode<decltype(f)::value>(p, {ToUnorm8(c.r), ToUnorm8(c.g), ToUnorm8(c.b), ToUnorm8(c.a)});
            });
    }
}

}  // namespace d3d9
