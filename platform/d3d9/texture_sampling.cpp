// Point and bilinear sampling with wrap, mirror, clamp, border and mirror-once addressing. Coordinates are
// texel positions with 16 fraction bits, resolved to 1/256 texel first (texel_snap.h); texel i covers
// [i, i + 1), so point sampling takes floor(u). Texels of at most 8 bits a channel are filtered as
// integers; a draw with wider formats filters floats by the same weights.
#include "platform/d3d9/block_formats.h"
#include "platform/d3d9/pixel_pipeline.h"
#include "platform/d3d9/texel_address.h"
#include "platform/d3d9/texel_snap.h"

namespace d3d9 {

Color FetchTexel8(const SurfaceStore& t, int x, int y) {
    if (IsBlockFormat(t.format)) return DecodeBlockTexel(t.format, t.BlockAt(x, y), x & 3, y & 3);
    return DecodePixel(t.format, t.At(x, y));
}

namespace {

template <typename C>
C Fetch(const SamplerSetup& s, int64_t i, int64_t j) {
    const int x = TexelAddress(s.address_u, i, s.texture->width);
    const int y = TexelAddress(s.address_v, j, s.texture->height);
    if constexpr (std::is_same_v<C, Color>) {
        if (x < 0 || y < 0) return s.border;
        return FetchTexel8(*s.texture, x, y);
    } else {
        if (x < 0 || y < 0) return UnitColor(s.border);
        return FetchTexelFloat(s.texture->format, s.texture->bits.data(), s.texture->pitch, x, y);
    }
}

// The four texels weighted by the next texel's share of 256 along each axis.
Color Bilinear(const Color& c00, const Color& c10, const Color& c01, const Color& c11, int fu, int fv) {
    auto mix = [&](int a, int b, int c, int d) {
        int top = a * (256 - fu) + b * fu;
        int bottom = c * (256 - fu) + d * fu;
        return (top * (256 - fv) + bottom * fv + 32768) >> 16;
    };
    return {mix(c00.r, c10.r, c01.r, c11.r), mix(c00.g, c10.g, c01.g, c11.g), mix(c00.b, c10.b, c01.b, c11.b),
            mix(c00.a, c10.a, c01.a, c11.a)};
}
ColorF Bilinear(const ColorF& c00, const ColorF& c10, const ColorF& c01, const ColorF& c11, int fu, int fv) {
    const float wu = float(fu) / 256.0f, wv = float(fv) / 256.0f;
    auto mix = [&](float a, float b, float c, float d) {
        const float top = a + (b - a) * wu, bottom = c + (d - c) * wu;
        return top + (bottom - top) * wv;
    };
    return {mix(c00.r, c10.r, c01.r, c11.r), mix(c00.g, c10.g, c01.g, c11.g), mix(c00.b, c10.b, c01.b, c11.b),
            mix(c00.a, c10.a, c01.a, c11.a)};
}

template <typename C>
C Sample(const SamplerSetup& s, int64_t u, int64_t v, bool minify) {
    if (!(minify ? s.linear_min : s.linear_mag)) return Fetch<C>(s, TexelOf(u), TexelOf(v));
    int64_t su = SnapTexelCoordinate(u) - 32768, sv = SnapTexelCoordinate(v) - 32768;
    int64_t i = su >> 16, j = sv >> 16;
    int fu = int((su >> 8) & 255), fv = int((sv >> 8) & 255);
    return Bilinear(Fetch<C>(s, i, j), Fetch<C>(s, i + 1, j), Fetch<C>(s, i, j + 1),
                    Fetch<C>(s, i + 1, j + 1), fu, fv);
}

}  // namespace

Color SampleStage(const SamplerSetup& s, int64_t u, int64_t v, bool minify) {
    if (!s.texture) return {255, 255, 255, 255};
    return Sample<Color>(s, u, v, minify);
}

ColorF SampleStageFloat(const SamplerSetup& s, int64_t u, int64_t v, bool minify) {
    if (!s.texture) return {1, 1, 1, 1};
    return Sample<ColorF>(s, u, v, minify);
}

}  // namespace d3d9
