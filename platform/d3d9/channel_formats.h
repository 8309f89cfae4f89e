// The formats read and written through float channels: 16-bit unsigned normalised channels
// (A16B16G16R16, G16R16), 16- and 32-bit floats (R16F ... A32B32G32R32F), the one- and two-channel
// formats (L8, A8L8, A8) and, at 8 bits, the packed colour formats. Missing channels read as Direct3D 9
// defines: luminance fills red, green and blue; a missing colour channel or alpha is 1, except that A8
// has no colour (0, 0, 0, A).
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9_types.h"
#include "platform/d3d9/texel_float.h"

namespace d3d9 {

float HalfToFloat(uint16_t half);
// Rounded to nearest, ties to even; out-of-range values become infinities, NaN stays NaN.
uint16_t FloatToHalf(float value);

// Whether the format's channels hold more than 8 bits (16-bit integers or floats): colours from and to it
// are carried as floats, without clamping to [0, 1] where the format is a float one.
bool IsWideFormat(D3DFORMAT format);
bool IsFloatFormat(D3DFORMAT format);

// The pixel at p of any non-block colour format as floats; (0, 0, 0, 1) for a format the stand-in does
// not store.
ColorF DecodePixelFloat(D3DFORMAT format, const uint8_t* p);
// Writes c to p: float formats keep the value, unsigned normalised ones clamp to [0, 1] and round.
void EncodePixelFloat(D3DFORMAT format, uint8_t* p, const ColorF& c);

}  // namespace d3d9
