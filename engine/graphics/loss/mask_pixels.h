// The pixel work of the mask screen in main memory: the mask bytes as the alpha of the mask image
// texture, and the software rule that takes drawn pixels back only where the mask lets them.
#pragma once

#include <cstdint>

#include "engine/core/helpers/vector_math.h"

struct ColorFormat;
struct MEMIMG;

// Zeroes rows x pitch bytes at pixels, then writes each mask byte of width x height as a pixel of format:
// full alpha where the byte is not 0, else 0.
void WriteMaskAlpha(uint8_t* pixels, int pitch, int rows, const ColorFormat& format, const uint8_t* mask,
                    int maskPitch, int width, int height);
// Each pixel of rect whose mask byte is 0 (reverse 0) or not 0 (reverse 1) copied from drawn to screen,
// converted when their formats differ. rect must lie inside both images and the mask.
void CopyMaskedPixels(const MEMIMG& drawn, MEMIMG* screen, const uint8_t* mask, int maskPitch, int reverse,
                      const IntRect& rect);
