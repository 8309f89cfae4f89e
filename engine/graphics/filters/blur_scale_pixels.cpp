#include "engine/graphics/filters/blur_scale_pixels.h"

#include <cmath>
#include <cstring>

#include "engine/graphics/filters/filter_pixels.h"

namespace {

// Normalised weights of the centre and of each pair of taps, shared by every call.
struct GaussWeightTable {
    double strength = -1.0;
    int taps = 0;
    double weight[16];
};

GaussWeightTable gaussWeights;

const GaussWeightTable& GaussWeightsFor(int taps, double strength) {
    if (taps != gaussWeights.taps || std::fabs(strength - gaussWeights.strength) >= 0.0002) {
        int count = taps / 2;
        double sum = 0;
        for (int i = 0; i < count; ++i) {
            gaussWeights.weight[i] = std::exp(-0.5 * i * i / strength);
            sum += i == 0 ? gaussWeights.weight[i] : 2 * gaussWeights.weight[i];
        }
        for (int i = 0; i < count; ++i) gaussWeights.weight[i] /= sum;
        gaussWeights.taps = taps;
        gaussWeights.strength = strength;
    }
    return gaussWeights;
}

// 16.16 weights whose centre takes the remainder, so that the sum is exactly 1.0 and flat areas stay flat.
struct FixedWeights {
    int count;
    int weight[16];
};

FixedWeights ToFixed(const GaussWeightTable& table) {
    FixedWeights fixed{table.taps / 2, {}};
    int rest = 65536;
    for (int i = 1; i < fixed.count; ++i) {
        fixed.weight[i] = int(table.weight[i] * 65536);
        rest -= 2 * fixed.weight[i];
    }
    fixed.weight[0] = rest;
    return fixed;
}

// A line of pixels inside an image: count pixels step bytes apart.
struct PixelLine {
    const uint8_t* first;
    ptrdiff_t step;
    int count;
    const uint8_t* At(int i) const { return first + std::clamp(i, 0, count - 1) * step; }
};

// Pair k covers the samples at -(2k - 1), -2k, 2k - 1 and 2k with half its weight each; the sums are kept
// at twice their value and rounded to nearest.
void BlurLine(const PixelLine& in, uint8_t* out, ptrdiff_t outStep, const FixedWeights& w) {
    for (int i = 0; i < in.count; ++i, out += outStep) {
        for (int c = 0; c < 4; ++c) {
            int sum = 2 * w.weight[0] * in.At(i)[c];
            for (int k = 1; k < w.count; ++k)
                sum += w.weight[k] * (in.At(i - 2 * k + 1)[c] + in.At(i - 2 * k)[c] +
                                      in.At(i + 2 * k - 1)[c] + in.At(i + 2 * k)[c]);
            out[c] = ClampToByte((sum + 65536) >> 17);
        }
    }
}

void CopyPixels(const SoftImage& source, const SoftImage& destination) {
    MapPixels([](const uint8_t* s, uint8_t* d) { std::memcpy(d, s, 4); }, source, destination);
}

}  // namespace

const double* GaussWeights(int taps, double strength) {
    return GaussWeightsFor(taps, strength).weight;
}

int GaussTapWidth(int taps) {
    return taps <= 8 ? 8 : taps <= 16 ? 16 : 32;
}

int DownScaleFactor(int scale) {
    return scale <= 2 ? 2 : scale <= 4 ? 4 : 8;
}

int GaussBlurPixels(const SoftImage& source, const SoftImage& destination, int taps, float strength) {
    int width = std::min(source.width, destination.width);
    int height = std::min(source.height, destination.height);
    if (!(strength >= kGaussMinimumStrength)) {
        CopyPixels(source, destination);
        return 0;
    }
    if (width < 1 || height < 1) return 0;
    FixedWeights weights = ToFixed(GaussWeightsFor(GaussTapWidth(taps), strength));
    SoftImage across{};
    if (CreateSoftImageArgb8(width, height, &across) < 0) return -1;
    for (int y = 0; y < height; ++y)
        BlurLine({FilterPixelAt(source, 0, y), 4, width}, FilterPixelAt(across, 0, y), 4, weights);
    for (int x = 0; x < width; ++x)
        BlurLine({FilterPixelAt(across, x, 0), across.pitch, height}, FilterPixelAt(destination, x, 0),
                 destination.pitch, weights);
    ReleaseSoftImage(&across);
    return 0;
}

void DownScalePixels(const SoftImage& source, const SoftImage& destination, int scale) {
    int factor = DownScaleFactor(scale);
    int shift = factor == 2 ? 2 : factor == 4 ? 4 : 6;
    int width = std::min(destination.width, source.width / factor);
    int height = std::min(destination.height, source.height / factor);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int sum[4] = {};
            for (int by = 0; by < factor; ++by) {
                const uint8_t* row = FilterPixelAt(source, x * factor, y * factor + by);
                for (int bx = 0; bx < factor * 4; ++bx) sum[bx & 3] += row[bx];
            }
            uint8_t* out = FilterPixelAt(destination, x, y);
            for (int c = 0; c < 4; ++c) out[c] = uint8_t(sum[c] >> shift);
        }
    }
}
