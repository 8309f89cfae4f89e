// The blends of a second image into a source image, computed on the processor over 32-bit B, G, R, A
// images, and the channel mix of the two.
#pragma once

#include "engine/image/soft_image.h"

enum BlendFilterKind {
    kBlendFilterNormal = 0,
    kBlendFilterRgbaMix = 1,
    kBlendFilterMultiple = 2,
    kBlendFilterDifference = 3,
    kBlendFilterAdd = 4,
    kBlendFilterScreen = 5,
    kBlendFilterOverlay = 6,
    kBlendFilterDodge = 7,
    kBlendFilterBurn = 8,
    kBlendFilterDarken = 9,
    kBlendFilterLighten = 10,
    kBlendFilterSoftLight = 11,
    kBlendFilterHardLight = 12,
    kBlendFilterExclusion = 13,
    kBlendFilterNormalAlphaChannel = 14,
    kBlendFilterAddAlphaChannel = 15,
    kBlendFilterMultipleAlphaOnly = 16,
};

// Blends blend over source into destination with ratio 0.0-1.0, weighted by the blend pixel's alpha.
// Kinds 0 and 2-16; any other kind leaves the destination as it is.
void BlendPixels(const SoftImage& source, const SoftImage& blend, const SoftImage& destination, int kind,
                 float ratio);

// RGBA-mix selectors: 0-3 red, green, blue, alpha of the source; 4-7 of the blend image.
constexpr int kRgbaMixBlendRed = 4;

// Each destination channel (R, G, B, A) is the channel its selector names; a selector outside 0-7 keeps the
// source's own channel.
void RgbaMixPixels(const SoftImage& source, const SoftImage& blend, const SoftImage& destination,
                   int redSelector, int greenSelector, int blueSelector, int alphaSelector);
