// The Gaussian blur and the down-scale computed on the processor over 32-bit B, G, R, A images, all four
// channels alike.
#pragma once

#include "engine/image/soft_image.h"

// Below this strength the blur leaves the picture as it is.
inline constexpr double kGaussMinimumStrength = 0.0000001;

// Tap widths 8, 16 and 32: up to 8 gives 8, 9 to 16 gives 16, more gives 32.
int GaussTapWidth(int taps);
// Scales 2, 4 and 8: up to 2 gives 2, 3 and 4 give 4, more gives 8.
int DownScaleFactor(int scale);

// The normalised weights of the centre and of each pair of taps (taps / 2 of them) for a tap width
// (8, 16 or 32) and a strength of at least 0.0000001; shared and rebuilt only when the tap width
// changes or the strength moves by 0.0002 or more.
const double* GaussWeights(int taps, double strength);

// Blurs source into destination (both of the rectangle's size): a horizontal pass into a temporary image,
// then a vertical one, with edge pixels repeated beyond the rectangle. A strength below 0.0000001 copies
// the source. -1 when the temporary image cannot be made.
int GaussBlurPixels(const SoftImage& source, const SoftImage& destination, int taps, float strength);
// Each destination pixel is the floored mean of a scale x scale block of the source.
void DownScalePixels(const SoftImage& source, const SoftImage& destination, int scale);
