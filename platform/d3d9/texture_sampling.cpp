// Point and bilinear sampling with wrap, mirror, clamp, border and mirror-once addressing. Coordinates are
// texel positions with 16 fraction bits, resolved to 1/256 texel first (texel_snap.h); texel i covers
// [i, i + 1), so point sampling takes floor(u).
#include "platform/d3d9/pixel_pipeline.h"
#include "platform/d3d9/texel_address.h"
#include "platform/d3d9/texel_snap.h"

namespace d3d9 {
namespace {

Color Fetch(const SamplerSetup& s, int64_t i, int64_t j) {
    int x = TexelAddress(s.address_u, i, s.texture->width);
    int y = TexelAddress(s.address_v, j, s.texture->height);
    if (x < 0 || y < 0) return s.border;
    return DecodePixel(s.texture->format, s.texture->At(x, y));
}

}  // namespace

Color SampleStage(const SamplerSetup& s, int64_t u, int64_t v, bool minify) {
    if (!s.texture) return {255, 255, 255, 255};
    if (!(minify ? s.linear_min : s.linear_mag)) return Fetch(s, TexelOf(u), TexelOf(v));
    int64_t su = SnapTexelCoordinate(u) - 32768, sv = SnapTexelCoordinate(v) - 32768;
    int64_t i = su >> 16, j = sv >> 16;
    int fu = int((su >> 8) & 255), fv = int((sv >> 8) & 255);
    Color c00 = Fetch(s, i, j), c10 = Fetch(s, i + 1, j), c01 = Fetch(s, i, j + 1),
          c11 = Fetch(s, i + 1, j + 1);
    auto mix = [&](int a, int b, int c, int d) {
        int top = a * (256 - fu) + b * fu;
        int bottom = c * (256 - fu) + d * fu;
        return (top * (256 - fv) + bottom * fv + 32768) >> 16;
    };
    return {mix(c00.r, c10.r, c01.r, c11.r), mix(c00.g, c10.g, c01.g, c11.g), mix(c00.b, c10.b, c01.b, c11.b),
            mix(c00.a, c10.a, c01.a, c11.a)};
}

}  // namespace d3d9
