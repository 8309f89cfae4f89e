#include "engine/graphics/filters/blend_filter_pixels.h"

#include <cmath>
#include <cstring>

#include "engine/graphics/filters/filter_pixels.h"

namespace {

constexpr int kColourChannels[3] = {kFilterBlue, kFilterGreen, kFilterRed};

// Mixes f(base, blend) into each colour channel of the base by k = blend alpha x r (16-bit weight); the
// alpha is the base's.
template <class Formula>
void MixBlend(const SoftImage& source, const SoftImage& blend, const SoftImage& destination, int r,
              Formula formula) {
    MapPixels(
        [&](const uint8_t* s, const uint8_t* b, uint8_t* d) {
            int k = b[kFilterAlpha] * r;
            for (int c : kColourChannels) {
                int base = s[c];
                int mixed = std::clamp(formula(base, int(b[c])), 0, 255);
                d[c] = ClampToByte(((mixed - base) * k + (base << 16)) >> 16);
            }
            d[kFilterAlpha] = s[kFilterAlpha];
        },
        source, blend, destination);
}

int SoftLight(int base, int blend) {
    double exponent = blend < 128 ? 2.0 * (1.0 - blend / 255.0) : 0.5 / (blend / 255.0);
    return std::clamp(int(255.0 * std::pow(base / 255.0, exponent)), 0, 255);
}

void NormalAlphaChannel(const SoftImage& source, const SoftImage& blend, const SoftImage& destination,
                        int r) {
    MapPixels(
        [&](const uint8_t* s, const uint8_t* b, uint8_t* d) {
            int a = (b[kFilterAlpha] * r) >> 8;
            int baseAlpha = s[kFilterAlpha];
            int weight = (256 - a) * baseAlpha + (a << 8);
            if (weight == 0) return;
            for (int c : kColourChannels)
                d[c] = uint8_t((b[c] * a * 256 + s[c] * baseAlpha * (256 - a)) / weight);
            d[kFilterAlpha] = uint8_t(weight >> 8);
        },
        source, blend, destination);
}

void AddAlphaChannel(const SoftImage& source, const SoftImage& blend, const SoftImage& destination, int r) {
    MapPixels(
        [&](const uint8_t* s, const uint8_t* b, uint8_t* d) {
            int a = (b[kFilterAlpha] * r) >> 8;
            int baseAlpha = s[kFilterAlpha];
            int weight = (256 - a) * baseAlpha + 256 * a;
            if (weight <= 255) return;
            int alpha = weight >> 8;
            for (int c : kColourChannels) d[c] = ClampToByte((s[c] * baseAlpha + b[c] * a) / alpha);
            d[kFilterAlpha] = uint8_t(alpha);
        },
        source, blend, destination);
}

void MultipleAlphaOnly(const SoftImage& source, const SoftImage& blend, const SoftImage& destination, int r) {
    MapPixels(
        [&](const uint8_t* s, const uint8_t* b, uint8_t* d) {
            int baseAlpha = s[kFilterAlpha];
            int product = (baseAlpha * b[kFilterAlpha]) >> 8;
            std::memcpy(d, s, 3);
            d[kFilterAlpha] = ClampToByte(((product - baseAlpha) * 255 * r + (baseAlpha << 16)) >> 16);
        },
        source, blend, destination);
}

}  // namespace

void BlendPixels(const SoftImage& source, const SoftImage& blend, const SoftImage& destination, int kind,
                 float ratio) {
    int r = int(std::clamp(ratio, 0.0f, 1.0f) * 256);
    auto mix = [&](auto formula) { MixBlend(source, blend, destination, r, formula); };
    switch (kind) {
        case kBlendFilterNormal:
            return mix([](int, int blend) { return blend; });
        case kBlendFilterMultiple:
            return mix([](int base, int blend) { return (base * blend) >> 8; });
        // The distance between the two, |base - blend|.
        case kBlendFilterDifference:
            return mix([](int base, int blend) { return std::abs(base - blend); });
        case kBlendFilterAdd:
            return mix([](int base, int blend) { return base + blend; });
        case kBlendFilterScreen:
            return mix([](int base, int blend) { return 255 - (((255 - base) * (255 - blend)) >> 8); });
        case kBlendFilterOverlay:
            return mix([](int base, int blend) {
                return base < 128 ? (blend * base) >> 7 : ((((256 - base) * blend) + (base << 8)) >> 7) - 255;
            });
        case kBlendFilterDodge:
            return mix([](int base, int blend) { return blend < 255 ? (base << 8) / (255 - blend) : 255; });
        case kBlendFilterBurn:
            return mix([](int base, int blend) { return (((base - 255) * 256) / (blend + 1)) + 255; });
        case kBlendFilterDarken:
            return mix([](int base, int blend) { return std::min(base, blend); });
        case kBlendFilterLighten:
            return mix([](int base, int blend) { return std::max(base, blend); });
        case kBlendFilterSoftLight:
            return mix(SoftLight);
        case kBlendFilterHardLight:
            return mix([](int base, int blend) {
                return blend < 128 ? (2 * blend * base) >> 8
                                   : ((2 * (((256 - base) * blend) + (base << 8))) >> 8) - 255;
            });
        case kBlendFilterExclusion:
            return mix([](int base, int blend) { return ((base << 7) + (128 - base) * blend) >> 7; });
        case kBlendFilterNormalAlphaChannel:
            return NormalAlphaChannel(source, blend, destination, r);
        case kBlendFilterAddAlphaChannel:
            return AddAlphaChannel(source, blend, destination, r);
        case kBlendFilterMultipleAlphaOnly:
            return MultipleAlphaOnly(source, blend, destination, r);
        default:
            return;
    }
}

void RgbaMixPixels(const SoftImage& source, const SoftImage& blend, const SoftImage& destination,
                   int redSelector, int greenSelector, int blueSelector, int alphaSelector) {
    static constexpr int kSelectorChannel[4] = {kFilterRed, kFilterGreen, kFilterBlue, kFilterAlpha};
    const int selectors[4] = {redSelector, greenSelector, blueSelector, alphaSelector};
    MapPixels(
        [&](const uint8_t* s, const uint8_t* b, uint8_t* d) {
            for (int i = 0; i < 4; ++i) {
                int selector = selectors[i];
                int own = kSelectorChannel[i];
                if (selector < 0 || selector > 7)
                    d[own] = s[own];
                else
                    d[own] = (selector < kRgbaMixBlendRed ? s : b)[kSelectorChannel[selector & 3]];
            }
        },
        source, blend, destination);
}
