// The pixel-shader constants each filter routine sets from c0 for its shader: the values the processor
// routine starts from, in the registers the shader reads them from.
#pragma once

#include "engine/graphics/filters/colour_filter_pixels.h"

struct FilterPassInput;

inline constexpr int kMaxFilterConstants = 20;

struct FilterConstants {
    float values[kMaxFilterConstants][4];
    int count;
};

// (0.299, 0.587, 0.114, 0) and (1.402 Cr, -0.34414 Cb - 0.71414 Cr, 1.772 Cb, 0).
FilterConstants MonoConstants(float cb, float cr);
// (level x 4) with the level as 0..1, the luma weights, the fill colour (zero without one).
FilterConstants BrightClipConstants(float level, const FilterColorBlock* fill);
// (hue, saturation, brightness, 0) as the HSB model scales them, (0.5 x 4), (1 x 4).
FilterConstants HsbConstants(int mode, float hue, float saturation, float brightness);
// (input minimum, 1 / (input maximum - input minimum), output minimum, output maximum) on the 0..1
// scale, then the gamma row's lookup registers.
FilterConstants LevelConstants(float inputMin, float inputMax, float outputMin, float outputMax,
                               const FilterPassInput& gammaRow);
// The luma weights with threshold / 255 in w, colour 1, colour 2.
FilterConstants TwoColorConstants(float threshold, const FilterColorBlock& color1,
                                  const FilterColorBlock& color2);
// The luma weights, then the lookup of a gradient row of width entries.
FilterConstants GradientMapConstants(const FilterPassInput& gradientRow, int width);
// Pair offsets (2k - 0.5 texels over size, along x or along y), then the weights; a strength below the
// blur's minimum weighs the centre alone.
FilterConstants GaussConstants(int taps, float strength, int size, bool vertical);
// The sample offsets of a scale of 2, 4 or 8 in texels over the texture's size.
FilterConstants DownScaleConstants(int factor, int textureWidth, int textureHeight);
// (ratio x 4), (1 x 4).
FilterConstants BlendConstants(float ratio);
// The general RGBA mix's selection rows: c0..c3 from the source, c4..c7 from the blend graphic; a
// selector outside 0-7 keeps the source's own channel.
FilterConstants RgbaMixConstants(int red, int green, int blue, int alpha);

// The lookup registers of a row of entries on a texture: (x + 0.5, (y + 0.5) / height, 1 / width,
// scale), entry i read at texel x + floor(i x scale).
void LookupRegisters(const FilterPassInput& row, double scale, float out[4]);
