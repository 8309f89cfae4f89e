// Averaging a 16- or 32-bit pixel region down to half its width and height (next mip level).
#pragma once

#include <cstdint>

struct ColorFormat;

// Width and height are the source region's; each must be 1 or even. The destination region is half as
// wide and high (1 where the source is 1). 0, or -1 for an odd size or (regions above one pixel) a bit
// depth other than 16 or 32.
int ShrinkImageByHalf(const ColorFormat* format, void* destPixels, int destPitch, const void* srcPixels,
                      int srcPitch, int destX, int destY, int srcX, int srcY, int width, int height);
