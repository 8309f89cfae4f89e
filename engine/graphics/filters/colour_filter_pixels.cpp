#include "engine/graphics/filters/colour_filter_pixels.h"

#include <cmath>
#include <cstring>

#include "engine/graphics/filters/filter_pixels.h"

namespace {

// Copies the alpha of the source pixel and sets B, G, R from the given values, clamped.
void SetColour(uint8_t* pixel, const uint8_t* source, int red, int green, int blue) {
    pixel[kFilterRed] = ClampToByte(red);
    pixel[kFilterGreen] = ClampToByte(green);
    pixel[kFilterBlue] = ClampToByte(blue);
    pixel[kFilterAlpha] = source[kFilterAlpha];
}

// Hue steps of the HSB model: 256 per sixth of the turn.
constexpr int kHueTurn = 1536;

int Brighten(int value, int brightness) {
    return brightness < 1 ? (value * (brightness + 256)) >> 8 : value + (((255 - value) * brightness) >> 8);
}

int WrapHue(int hue) {
    if (hue < 0) return hue + kHueTurn;
    return hue >= kHueTurn ? hue - kHueTurn : hue;
}

struct HslPixel {
    int hue;
    int saturation;
    int lightness;
};

HslPixel ToHsl(int red, int green, int blue) {
    int high = std::max({red, green, blue});
    int low = std::min({red, green, blue});
    HslPixel hsl{0, 0, (high + low) >> 1};
    if (high == low) return hsl;
    int range = high - low;
    hsl.saturation = (range << 8) / (hsl.lightness >= 129 ? 512 - high - low : high + low);
    int dr = ((high - red) << 8) / range;
    int dg = ((high - green) << 8) / range;
    int db = ((high - blue) << 8) / range;
    if (red == high)
        hsl.hue = db - dg;
    else if (green == high)
        hsl.hue = dr - db + 512;
    else
        hsl.hue = dg - dr + 1024;
    if (hsl.hue < 0) hsl.hue += kHueTurn;
    return hsl;
}

// One channel of the fully saturated colour of hue, pulled toward grey by saturation, at lightness.
int FromHslChannel(int pure, int saturation, int lightness) {
    int pulled = pure + (((128 - pure) * (256 - saturation)) >> 8);
    if (lightness < 129) return (2 * lightness * pulled) >> 8;
    return ((((lightness - 128) * 2 * (255 - pulled)) >> 8) + pulled) & 255;
}

void FromHsl(const HslPixel& hsl, uint8_t* pixel, const uint8_t* source) {
    int t = hsl.hue & 255;
    static const int kSixths[6][3][2] = {
        // each channel: constant part, sign of t
        {{255, 0}, {0, 1}, {0, 0}},    {{255, -1}, {255, 0}, {0, 0}}, {{0, 0}, {255, 0}, {0, 1}},
        {{0, 0}, {255, -1}, {255, 0}}, {{0, 1}, {0, 0}, {255, 0}},    {{255, 0}, {0, 0}, {255, -1}},
    };
    const auto& sixth = kSixths[std::min(hsl.hue >> 8, 5)];
    int channel[3];
    for (int i = 0; i < 3; ++i)
        channel[i] = FromHslChannel(sixth[i][0] + sixth[i][1] * t, hsl.saturation, hsl.lightness);
    SetColour(pixel, source, channel[0], channel[1], channel[2]);
}

struct GammaTableCache {
    double gamma = -10000000.0;
    int entry[256];
};

GammaTableCache levelGammaTable;

// Position of value on the input ramp a..b as 0..255. Equal ends make a threshold at a; ends in
// reverse order make a falling ramp.
int LevelRampIndex(int value, int a, int b) {
    if (a == b) return value < a ? 0 : 255;
    return std::clamp(((value - a) * 256) / (b - a), 0, 255);
}

}  // namespace

// The table is rebuilt only when the gamma moves by 0.0001 or more.
const int* LevelGammaTable(float gamma) {
    const double g = std::max(double(gamma), 0.001);
    if (std::fabs(g - levelGammaTable.gamma) >= 0.0001) {
        for (int i = 0; i < 256; ++i)
            levelGammaTable.entry[i] = std::min(255, int(255.0 * std::pow(i / 255.0, 1.0 / g)));
        levelGammaTable.gamma = g;
    }
    return levelGammaTable.entry;
}

MonoChroma MonoChromaOf(float cb, float cr) {
    return {std::clamp(cb / 200.0, -0.5, 0.5), std::clamp(cr / 200.0, -0.5, 0.5)};
}

double UnitLevel(float level) {
    return std::clamp(level / 255.0, 0.0, 1.0);
}

HsbScales HsbScalesOf(int mode, float hue, float saturation, float brightness) {
    double turns = mode == 0 ? std::clamp(hue / 360.0, -0.5, 0.5) : std::clamp(hue / 360.0, 0.0, 1.0);
    double saturationScale = std::clamp(saturation / 100.0, -1.0, 1.0);
    if (saturationScale > 0) saturationScale *= 5;
    // Beyond +/-100 % the channels would leave 0..255.
    return {turns * 6, saturationScale, std::clamp(brightness / 100.0, -1.0, 1.0)};
}

void MonoPixels(const SoftImage& source, const SoftImage& destination, float cb, float cr) {
    const MonoChroma chroma = MonoChromaOf(cb, cr);
    const double blue = chroma.blue, red = chroma.red;
    int offsetRed = int(1.402 * red * 255 * 4096);
    int offsetGreen = int((-0.34414 * blue - 0.71414 * red) * 255 * 4096);
    int offsetBlue = int(1.772 * blue * 255 * 4096);
    MapPixels(
        [&](const uint8_t* s, uint8_t* d) {
            int luma = Luma4096(s);
            SetColour(d, s, (luma + offsetRed) >> 12, (luma + offsetGreen) >> 12, (luma + offsetBlue) >> 12);
        },
        source, destination);
}

int BrightClipPixels(const SoftImage& source, const SoftImage& destination, int comparison, float level,
                     const FilterColorBlock* fill) {
    if (comparison != kBrightClipLess && comparison != kBrightClipGreater) return -1;
    int threshold = int(255.0 * UnitLevel(level) * 4096);
    uint8_t fillPixel[4] = {};
    if (fill) ColorToPixel(fill->red, fill->green, fill->blue, fill->alpha, fillPixel);
    MapPixels(
        [&](const uint8_t* s, uint8_t* d) {
            int luma = Luma4096(s);
            bool keep = comparison == kBrightClipLess ? luma >= threshold : luma <= threshold;
            if (keep)
                std::memcpy(d, s, 4);
            else if (fill)
                std::memcpy(d, fillPixel, 4);
        },
        source, destination);
    return 0;
}

void HsbPixels(const SoftImage& source, const SoftImage& destination, int mode, float hue, float saturation,
               float brightness) {
    const HsbScales scales = HsbScalesOf(mode, hue, saturation, brightness);
    int hueShift = int(256 * scales.sixths);
    int factor = int(256 * scales.saturation) + 256;
    int bright = int(256 * scales.brightness);
    if (mode == 1 && hueShift >= kHueTurn) hueShift -= kHueTurn;
    MapPixels(
        [&](const uint8_t* s, uint8_t* d) {
            HslPixel hsl = ToHsl(Brighten(s[kFilterRed], bright), Brighten(s[kFilterGreen], bright),
                                 Brighten(s[kFilterBlue], bright));
            hsl.hue = mode == 1 ? hueShift : WrapHue(hsl.hue + hueShift);
            hsl.saturation = std::min((factor * hsl.saturation) >> 8, 256);
            FromHsl(hsl, d, s);
        },
        source, destination);
}

void InvertPixels(const SoftImage& source, const SoftImage& destination) {
    MapPixels(
        [](const uint8_t* s, uint8_t* d) {
            SetColour(d, s, 255 - s[kFilterRed], 255 - s[kFilterGreen], 255 - s[kFilterBlue]);
        },
        source, destination);
}

void LevelPixels(const SoftImage& source, const SoftImage& destination, float inputMin, float inputMax,
                 float gamma, float outputMin, float outputMax) {
    auto scaled = [](float level) { return int(255.0 * UnitLevel(level)); };
    int a = scaled(inputMin), b = scaled(inputMax), c = scaled(outputMin), d = scaled(outputMax);
    const int* table = LevelGammaTable(gamma);
    auto level = [&](int value) { return (table[LevelRampIndex(value, a, b)] * (d - c) + (c << 8)) >> 8; };
    MapPixels(
        [&](const uint8_t* s, uint8_t* p) {
            SetColour(p, s, level(s[kFilterRed]), level(s[kFilterGreen]), level(s[kFilterBlue]));
        },
        source, destination);
}

void TwoColorPixels(const SoftImage& source, const SoftImage& destination, float threshold,
                    const FilterColorBlock& color1, const FilterColorBlock& color2) {
    // Beyond -1..256 the comparisons no longer change, and x 4096 would overflow.
    int limit = int(std::clamp(double(threshold), -1.0, 256.0) * 4096);
    uint8_t pixel1[4], pixel2[4];
    ColorToPixel(color1.red, color1.green, color1.blue, color1.alpha, pixel1);
    ColorToPixel(color2.red, color2.green, color2.blue, color2.alpha, pixel2);
    MapPixels(
        [&](const uint8_t* s, uint8_t* d) { std::memcpy(d, Luma4096(s) >= limit ? pixel1 : pixel2, 4); },
        source, destination);
}

int GradientMapPixels(const SoftImage& source, const SoftImage& destination, const SoftImage& gradient,
                      int reverse) {
    if (gradient.pixels == nullptr || gradient.width < 1 || gradient.height < 1) return -1;
    uint8_t table[256][4];
    for (int i = 0; i < 256; ++i)
        std::memcpy(table[reverse ? 255 - i : i], FilterPixelAt(gradient, (i * gradient.width) >> 8, 0), 4);
    MapPixels([&](const uint8_t* s, uint8_t* d) { std::memcpy(d, table[Luma4096(s) >> 12], 4); }, source,
              destination);
    return 0;
}

void PremultipliedAlphaPixels(const SoftImage& source, const SoftImage& destination) {
    MapPixels(
        [](const uint8_t* s, uint8_t* d) {
            int alpha = s[kFilterAlpha];
            SetColour(d, s, (s[kFilterRed] * alpha) >> 8, (s[kFilterGreen] * alpha) >> 8,
                      (s[kFilterBlue] * alpha) >> 8);
        },
        source, destination);
}
