// The colour filters computed on the processor: each reads the source image and writes the destination
// image pixel by pixel (32-bit B, G, R, A, each image with its own pitch), over the area both cover.
#pragma once

#include "engine/image/soft_image.h"

// Four floats R, G, B, A in 0.0-1.0.
struct FilterColorBlock {
    float red;
    float green;
    float blue;
    float alpha;
};

// Bright-clip comparisons.
constexpr int kBrightClipLess = 2;
constexpr int kBrightClipGreater = 5;

// Mono's chroma: Cb and Cr over 200, clamped to -0.5..0.5.
struct MonoChroma {
    double blue, red;
};
MonoChroma MonoChromaOf(float cb, float cr);
// A level of the 0-255 scale as 0.0-1.0, clamped.
double UnitLevel(float level);
// The HSB model's parameters: hue in sixths of a turn (-3..3 in mode 0, else 0..6), saturation scale
// (-1..5), brightness scale (-1..1).
struct HsbScales {
    double sixths, saturation, brightness;
};
HsbScales HsbScalesOf(int mode, float hue, float saturation, float brightness);
// The level's gamma table for a gamma (at least 0.001): entry i = 255 x (i / 255)^(1 / gamma), shared
// and rebuilt only when the gamma moves by 0.0001 or more.
const int* LevelGammaTable(float gamma);

// cb and cr as the operation converts them (argument x 100 / 255).
void MonoPixels(const SoftImage& source, const SoftImage& destination, float cb, float cr);
// The destination holds the pixels to keep. fill null keeps them; -1 for a comparison other than 2 or 5.
int BrightClipPixels(const SoftImage& source, const SoftImage& destination, int comparison, float level,
                     const FilterColorBlock* fill);
// hue in degrees; saturation and brightness in percent.
void HsbPixels(const SoftImage& source, const SoftImage& destination, int mode, float hue, float saturation,
               float brightness);
void InvertPixels(const SoftImage& source, const SoftImage& destination);
// Levels on the 0-255 scale; gamma 1.0 is linear.
void LevelPixels(const SoftImage& source, const SoftImage& destination, float inputMin, float inputMax,
                 float gamma, float outputMin, float outputMax);
// threshold on the 0-255 luma scale.
void TwoColorPixels(const SoftImage& source, const SoftImage& destination, float threshold,
                    const FilterColorBlock& color1, const FilterColorBlock& color2);
// The first row of gradient gives the colour of each luma; -1 for a gradient without pixels.
int GradientMapPixels(const SoftImage& source, const SoftImage& destination, const SoftImage& gradient,
                      int reverse);
void PremultipliedAlphaPixels(const SoftImage& source, const SoftImage& destination);
