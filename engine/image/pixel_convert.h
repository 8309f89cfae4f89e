// Moving a rectangle of pixels from a buffer in one ColorFormat into a buffer in another, with mirroring,
// colour keys, alpha sources and dithering; and the clipped copy between two images built on it.
#pragma once

#include <cstdint>

#include "engine/image/color_format.h"
#include "platform/kernel/win_types.h"

struct SoftImage;

enum PixelDither { PIXEL_DITHER_NONE = 0, PIXEL_DITHER_ORDERED = 1, PIXEL_DITHER_ERROR_CARRY = 2 };

// Converts srcRect (right and bottom exclusive) of the source into the destination with its top-left at
// (destX, destY). No clipping: the caller guarantees the rectangle lies inside the source (and the alpha
// image) and that the destination has room. keyColor is 0x00RRGGBB for keyToAlpha and a raw source value
// for skipKey. Returns 0; for the plain copy between two 8-bit formats the highest index copied; -1 for
// an empty rectangle.
int ConvertPixelFormatBlit(void* destPixels, int destPitch, const ColorFormat* destFormat,
                           const void* srcPixels, int srcPitch, const ColorFormat* srcFormat,
                           const void* alphaPixels, int alphaPitch, const ColorFormat* alphaFormat, int destX,
                           int destY, const RECT* srcRect, int mirror, int keyToAlpha, uint32_t keyColor,
                           int dither, int alphaOnly, int alphaFromRed, int skipKey, int remapPalette);

// Clipped copy between two images (block-compressed ones are decoded first); 0, or -1 when decoding fails.
int BlitImageRect(int srcX, int srcY, int width, int height, int destX, int destY, SoftImage* source,
                  SoftImage* destination);
