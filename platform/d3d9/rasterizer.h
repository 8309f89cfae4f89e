// Coverage and interpolation of points, lines and triangles in screen space, by Direct3D 9's rules:
// pixel centres on whole coordinates, 8 bits of sub-pixel precision, the top-left fill rule, the line rule
// that leaves out the last pixel, flat shading from the first vertex. Attributes are interpolated exactly
// (integer plane equations), so two triangles that share an affine mapping give the same values.
#pragma once

#include <algorithm>
#include <cmath>

#include "platform/d3d9/pixel_pipeline.h"

namespace d3d9 {

struct ScreenVertex {
    double x = 0, y = 0, z = 0, rhw = 1;
    Color diffuse, specular;
    float u[kStageCount] = {}, v[kStageCount] = {};  // by texture coordinate set
};

struct RasterSetup {
    const PixelPipeline* pipeline = nullptr;
    DWORD cull = D3DCULL_NONE;
    bool flat = false;
};

void RasterizeTriangle(const RasterSetup& r, const ScreenVertex& a, const ScreenVertex& b,
                       const ScreenVertex& c);
void RasterizeLine(const RasterSetup& r, const ScreenVertex& a, const ScreenVertex& b);
void RasterizePoint(const RasterSetup& r, const ScreenVertex& a);

// The fixed-point forms the rasteriser and the fast paths share.
constexpr int kSubpixelBits = 8;

// v rounded half away from zero, as llround rounds, without its call: for |v| below 2^52 the whole part
// and the fraction are exact.
inline int64_t RoundHalfAway(double v) {
    if (!(std::abs(v) < 4503599627370496.0)) return std::llround(v);
    const int64_t whole = int64_t(v);
    const double fraction = v - double(whole);
    return whole + (fraction >= 0.5) - (fraction <= -0.5);
}

inline int64_t SnapCoordinate(double v) {
    return RoundHalfAway(v * (1 << kSubpixelBits));
}

// coordinate x size in texels, 16 fraction bits; 0 for NaN.
inline int64_t TexelFixed(float coordinate, int size) {
    const double t = double(coordinate) * size * 65536.0;
    if (!(t == t)) return 0;
    return RoundHalfAway(std::clamp(t, -1099511627776.0, 1099511627776.0));
}

int DepthFixed(double z);  // z x 65535, 8 fraction bits
int64_t FloorDiv(__int128 n, __int128 d);

}  // namespace d3d9
