// The brightness volume texture: 128 x 128 x 128 texels mapping a colour (red 2x, green 2y, blue 2z) to
// the same hue and saturation at full brightness, for the programmable-shader draws.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"

inline constexpr int kBrightnessVolumeSize = 128;

extern IDirect3DVolumeTexture9* brightnessVolumeTexture;

// The texel of (x, y, z), 0xAARRGGBB: the largest channel raised to 255 and the others in proportion;
// white when x, y and z are all below 8.
uint32_t FullBrightnessTexel(int x, int y, int z);
// Makes and fills the texture through a system-memory staging texture. 0, or -1 (nothing kept).
int CreateBrightnessVolumeTexture();
// Null-safe; clears the reference. 0.
int ReleaseBrightnessVolumeTexture();
