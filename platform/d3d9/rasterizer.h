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
    // The third and fourth components of each set, which only shaders read.
    float r[kStageCount] = {}, q[kStageCount] = {1, 1, 1, 1, 1, 1, 1, 1};
};

struct RasterSetup {
    const PixelPipeline* pipeline = nullptr;
    DWORD cull = D3DCULL_NONE;
    bool flat = false;
    // Where a triangle's coverage is tested, from the pixel centre: a sample position of a multisampled
    // target (its plane is the pipeline's target).
    double sample_x = 0, sample_y = 0;
    bool multisampled = false;
};

// A triangle's fixed-point setup (after culling; its vertices put in the order that makes its area
// positive): vertex k's weight at pixel (px, py) is Edge(k, px << kSubpixelBits, py << kSubpixelBits),
// the three summing to `area`; the pixel is covered when each weight plus its bias is not negative.
struct TriangleEdges {
    const ScreenVertex* v[3];
    int64_t X[3], Y[3];
    int64_t area;
    int64_t ex[3], ey[3], bias[3];
    bool front;   // clockwise on the screen as given (Direct3D's front face)
    IntRect box;  // the pixels to scan, inside the clip
    int64_t Edge(int k, int64_t px, int64_t py) const {
        const int i = (k + 1) % 3;
        return ex[k] * (py - Y[i]) - ey[k] * (px - X[i]);
    }
};

// False when the triangle draws nothing (culled, empty, or outside the clip).
bool SetupTriangleEdges(const RasterSetup& r, const ScreenVertex& a, const ScreenVertex& b,
                        const ScreenVertex& c, TriangleEdges* out);

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
