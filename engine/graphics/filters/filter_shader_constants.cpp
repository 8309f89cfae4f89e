#include "engine/graphics/filters/filter_shader_constants.h"

#include <algorithm>
#include <cmath>

#include "engine/graphics/filters/blend_filter_pixels.h"
#include "engine/graphics/filters/blur_scale_pixels.h"
#include "engine/graphics/filters/filter_shader_layout.h"
#include "engine/graphics/filters/graphic_filter_context.h"

namespace {

constexpr float kLuma[4] = {0.299f, 0.587f, 0.114f, 0.0f};

void Set(FilterConstants* k, int index, float x, float y, float z, float w) {
    float* v = k->values[index];
    v[0] = x, v[1] = y, v[2] = z, v[3] = w;
    k->count = std::max(k->count, index + 1);
}

void Set(FilterConstants* k, int index, const float v[4]) {
    Set(k, index, v[0], v[1], v[2], v[3]);
}

void SetColour(FilterConstants* k, int index, const FilterColorBlock& c) {
    Set(k, index, c.red, c.green, c.blue, c.alpha);
}

}  // namespace

void LookupRegisters(const FilterPassInput& row, double scale, float out[4]) {
    out[0] = float(row.x) + 0.5f;
    out[1] = (float(row.y) + 0.5f) / float(std::max(row.textureHeight, 1));
    out[2] = 1.0f / float(std::max(row.textureWidth, 1));
    out[3] = float(scale);
}

FilterConstants MonoConstants(float cb, float cr) {
    const MonoChroma chroma = MonoChromaOf(cb, cr);
    FilterConstants k{};
    Set(&k, 0, kLuma);
    Set(&k, 1, float(1.402 * chroma.red), float(-0.34414 * chroma.blue - 0.71414 * chroma.red),
        float(1.772 * chroma.blue), 0);
    return k;
}

FilterConstants BrightClipConstants(float level, const FilterColorBlock* fill) {
    const float unit = float(UnitLevel(level));
    FilterConstants k{};
    Set(&k, 0, unit, unit, unit, unit);
    Set(&k, 1, kLuma);
    SetColour(&k, 2, fill != nullptr ? *fill : FilterColorBlock{});
    return k;
}

FilterConstants HsbConstants(int mode, float hue, float saturation, float brightness) {
    const HsbScales scales = HsbScalesOf(mode, hue, saturation, brightness);
    FilterConstants k{};
    Set(&k, 0, float(scales.sixths), float(scales.saturation), float(scales.brightness), 0);
    Set(&k, 1, 0.5f, 0.5f, 0.5f, 0.5f);
    Set(&k, 2, 1, 1, 1, 1);
    return k;
}

FilterConstants LevelConstants(float inputMin, float inputMax, float outputMin, float outputMax,
                               const FilterPassInput& gammaRow) {
    const float low = float(UnitLevel(inputMin)), high = float(UnitLevel(inputMax));
    FilterConstants k{};
    // Equal ends give an infinite slope: the shader reads it as a step at the minimum.
    Set(&k, 0, low, 1.0f / (high - low), float(UnitLevel(outputMin)), float(UnitLevel(outputMax)));
    float lookup[4];
    LookupRegisters(gammaRow, 1.0, lookup);
    Set(&k, kFilterLookupRegister, lookup);
    return k;
}

FilterConstants TwoColorConstants(float threshold, const FilterColorBlock& color1,
                                  const FilterColorBlock& color2) {
    FilterConstants k{};
    Set(&k, 0, kLuma[0], kLuma[1], kLuma[2], threshold / 255.0f);
    SetColour(&k, 1, color1);
    SetColour(&k, 2, color2);
    return k;
}

FilterConstants GradientMapConstants(const FilterPassInput& gradientRow, int width) {
    FilterConstants k{};
    Set(&k, 0, kLuma);
    float lookup[4];
    LookupRegisters(gradientRow, width / 256.0, lookup);
    Set(&k, kFilterLookupRegister, lookup);
    return k;
}

FilterConstants GaussConstants(int taps, float strength, int size, bool vertical) {
    const int width = GaussTapWidth(taps);
    FilterConstants k{};
    for (int pair = 1; pair <= GaussPairCount(width); ++pair) {
        const float offset = (2.0f * float(pair) - 0.5f) / float(std::max(size, 1));
        Set(&k, pair - 1, vertical ? 0 : offset, vertical ? offset : 0, 0, 0);
    }
    const int first = GaussWeightRegister(width);
    const bool flat = !(strength >= kGaussMinimumStrength);
    const double* weights = flat ? nullptr : GaussWeights(width, strength);
    for (int i = 0; i < width / 2; ++i) {
        k.values[first + i / 4][i % 4] = flat ? (i == 0 ? 1.0f : 0.0f) : float(weights[i]);
    }
    k.count = first + GaussWeightRegisterCount(width);
    return k;
}

FilterConstants DownScaleConstants(int factor, int textureWidth, int textureHeight) {
    const int scale = DownScaleFactor(factor);
    const float w = float(std::max(textureWidth, 1)), h = float(std::max(textureHeight, 1));
    FilterConstants k{};
    if (scale == 2) {
        Set(&k, 0, 0, 0, 0, 0);
        return k;
    }
    const int side = scale / 2;  // samples per axis: at -side + 1, ..., side - 1 in steps of 2
    int index = 0;
    for (int y = -side + 1; y < side; y += 2)
        for (int x = -side + 1; x < side; x += 2) Set(&k, index++, float(x) / w, float(y) / h, 0, 0);
    return k;
}

FilterConstants BlendConstants(float ratio) {
    FilterConstants k{};
    Set(&k, 0, ratio, ratio, ratio, ratio);
    Set(&k, 1, 1, 1, 1, 1);
    return k;
}

FilterConstants RgbaMixConstants(int red, int green, int blue, int alpha) {
    const int selectors[4] = {red, green, blue, alpha};
    FilterConstants k{};
    k.count = 2 * kRgbaMixBlendRows;
    for (int channel = 0; channel < 4; ++channel) {
        int selector = selectors[channel];
        if (selector < 0 || selector > 7) selector = channel;
        const int row = selector >= kRgbaMixBlendRed ? kRgbaMixBlendRows + channel : channel;
        k.values[row][selector & 3] = 1.0f;
    }
    return k;
}
