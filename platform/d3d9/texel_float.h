// Texels read as floats, the form shaders sample them in: the seam through which each stored format
// gives its channels to the shader sampler.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9_types.h"
#include "platform/d3d9/pixel_format.h"

namespace d3d9 {

struct ColorF {
    float r = 0, g = 0, b = 0, a = 0;
};

// 8-bit channel values as floats: v / 255.
struct UnitFloats {
    float v[256];
};
constexpr UnitFloats MakeUnitFloats() {
    UnitFloats t{};
    for (int i = 0; i < 256; ++i) t.v[i] = float(i) / 255.0f;
    return t;
}
inline constexpr UnitFloats kUnitFloats = MakeUnitFloats();

inline ColorF UnitColor(Color c) {
    const float* unit = kUnitFloats.v;
    return {unit[c.r & 255], unit[c.g & 255], unit[c.b & 255], unit[c.a & 255]};
}

// The texel (x, y) of a level of `format` whose rows (rows of blocks for a block format) lie `pitch` bytes
// apart from `bits`: unsigned normalised channels in [0, 1], float channels as stored, missing channels as
// channel_formats.h reads them. A format the stand-in cannot store reads as (0, 0, 0, 1). Both samplers
// fetch through here (the stages at 8 bits through FetchTexel8).
ColorF FetchTexelFloat(D3DFORMAT format, const uint8_t* bits, int pitch, int x, int y);

// A value in [0, 1] (clamped; NaN 0) on `steps` steps, rounded: how float colours become stored ones.
inline int RoundedSteps(float v, double steps) {
    const double clamped = v > 0.0f ? (v < 1.0f ? double(v) : 1.0) : 0.0;
    return int(clamped * steps + 0.5);
}

// Whether texels of the format have at most 8 bits a channel (the packed, block, luminance and alpha
// formats): shaders filter them as the fixed-function sampler does, at 8-bit precision, so that both give
// the same texels.
bool FiltersAtEightBits(D3DFORMAT format);

}  // namespace d3d9
