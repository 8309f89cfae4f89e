#include <algorithm>
#include <cmath>

#include "engine/core/helpers/string_helpers.h"
#include "engine/softrender/image_call.h"
#include "engine/softrender/image_dispatch.h"
#include "engine/softrender/kernel_clip.h"
#include "engine/softrender/span_walkers.h"
#include "engine/softrender/triangle_kernels.h"

using namespace softrender;

namespace {

// The source and blend-image rows the kernel addresses.
constexpr int32_t kMaxRotationRows = 4096;
// Positions far outside any surface saturate here, so sums of them cannot overflow.
constexpr float kFixedLimit = 1099511627776.0f;  // 2^40

// A float truncated toward zero into 64 bits, saturating.
int64_t TruncFixed(float v) {
    if (std::isnan(v)) return 0;
    return static_cast<int64_t>(std::fmax(-kFixedLimit, std::fmin(kFixedLimit, std::trunc(v))));
}

// A 14.18 quantity as a walk position (kRotationExtraBits more fraction bits), rounded to the nearest and
// saturating. Computed in double, so that positions a scale puts on a texel edge land on it exactly.
int64_t WalkFixed(double v) {
    if (std::isnan(v)) return 0;
    const double limit = kFixedLimit;
    return std::llround(std::clamp(v, -limit, limit) * double(int64_t(1) << kRotationExtraBits));
}

struct FixedPoint {
    int64_t x, y;
};

// Where the source lies on the centre pixel (x, y), as the device places it, so that unscaled, unturned
// draws put texel centres on pixel centres. Scaled, or with both sides even, the source's middle (w / 2,
// h / 2) lies on the pixel's top-left corner: a pixel centre is half a step from it (halfStep 1). Unscaled
// with an odd side, a texel centre lies on the pixel's centre (halfStep 0): the middle of an odd side,
// half a texel before the middle of an even one. u and v are 14.18.
struct SourcePlacement {
    int64_t halfStep, u, v;
};

SourcePlacement PlaceSource(int32_t w, int32_t h, float scale) {
    const int64_t half = int64_t(1) << (kFixedShift - 1);
    const int64_t middleU = int64_t(w) * half, middleV = int64_t(h) * half;
    if (scale != 1.0f || (w % 2 == 0 && h % 2 == 0)) return {1, middleU, middleV};
    return {0, middleU - (w % 2 == 0 ? half : 0), middleV - (h % 2 == 0 ? half : 0)};
}

}  // namespace

void SoftDrawImageRotated(MEMIMG* dest, const MEMIMG* source, int x, int y, float angle, float scale,
                          int transparentFlag, int mirrorFlag, const MEMIMG* blendImage) {
    if (!DrawableDestination(dest) || source == nullptr || source->base == nullptr ||
        source->base->kind != dest->base->kind) {
        return;
    }
    if (source->height > kMaxRotationRows || (blendImage != nullptr && blendImage->height > kMaxRotationRows))
        return;

    float sine, cosine;
    SinCosF(angle, &sine, &cosine);
    const int64_t s = FloatToInt(sine * 262144.0f), c = FloatToInt(cosine * 262144.0f);

    // The turned corners TL, BL, BR, TR in 14.18.
    const int32_t w = source->width, h = source->height;
    const float hw = static_cast<float>(w) * scale * 0.5f, hh = static_cast<float>(h) * scale * 0.5f;
    const float ac = hw * static_cast<float>(c), as = hw * static_cast<float>(s);
    const float bc = hh * static_cast<float>(c), bs = hh * static_cast<float>(s);
    const int64_t cx = int64_t(x) << kFixedShift, cy = int64_t(y) << kFixedShift;
    const FixedPoint corners[4] = {{cx + TruncFixed(-ac + bs), cy + TruncFixed(-bc - as)},
                                   {cx + TruncFixed(-ac - bs), cy + TruncFixed(bc - as)},
                                   {cx + TruncFixed(ac - bs), cy + TruncFixed(bc + as)},
                                   {cx + TruncFixed(ac + bs), cy + TruncFixed(-bc + as)}};
    // The bounding box, widened, clipped; a box whose lowest and highest corner coincide is empty.
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int i = 1; i < 4; ++i) {
        if (corners[i].x < corners[minX].x) minX = i;
        if (corners[i].x > corners[maxX].x) maxX = i;
        if (corners[i].y < corners[minY].y) minY = i;
        if (corners[i].y > corners[maxY].y) maxY = i;
    }
    if (minY == maxY) return;
    PixelClip clip;
    if (!KernelClip(dest, &clip)) return;
    const int64_t left = std::clamp<int64_t>(FixedToPixel(corners[minX].x) - 2, clip.left, clip.right);
    const int64_t right = std::clamp<int64_t>(FixedToPixel(corners[maxX].x) + 4, left, clip.right);
    const int64_t top = std::clamp<int64_t>(FixedToPixel(corners[minY].y) - 2, clip.top, clip.bottom);
    const int64_t bottom = std::clamp<int64_t>(FixedToPixel(corners[maxY].y) + 4, top, clip.bottom);
    if (left == right || top == bottom) return;

    ImageCall call;
    if (!PrepareImageCall(dest, source, transparentFlag, blendImage, &call)) return;
    const ImageWalkFn<Walker::TexSpan, RotationGeometry> fn =
        FindImageWalk<Walker::TexSpan, RotationGeometry>(call.key);
    if (fn == nullptr) return;

    // The texel position of the box's top-left pixel, sampled at the pixel's centre as the device samples:
    // the offset from the centre turned back and divided by the scale, plus the source point that the
    // centre shows. Worked out in double from the angle's own sine and cosine (the 14.18 ones above only
    // bound the box), so that no pixel's texel moves by their rounding. Each step is rounded once.
    const SourcePlacement at = PlaceSource(w, h, scale);
    const double cosA = std::cos(double(angle)), sinA = std::sin(double(angle)), k = double(scale);
    const double dx = double(left - x) + 0.5 * double(at.halfStep);
    const double dy = double(top - y) + 0.5 * double(at.halfStep);
    const double fraction = double(int64_t(1) << kFixedShift);
    const int64_t extra = int64_t(1) << kRotationExtraBits;
    auto walk = [&](double texels) { return WalkFixed(texels * fraction); };
    RotationGeometry g;
    g.dst = dest->pixels + top * dest->base->pitch + left * dest->base->pixelBytes;
    g.pitch = dest->base->pitch;
    g.bytes = dest->base->pixelBytes;
    g.width = static_cast<int32_t>(right - left);
    g.rows = static_cast<int32_t>(bottom - top);
    g.u0 = walk((dx * cosA + dy * sinA) / k) + at.u * extra;
    g.v0 = walk((dy * cosA - dx * sinA) / k) + at.v * extra;
    g.du = walk(cosA / k);
    g.dv = walk(-sinA / k);
    g.duRow = walk(sinA / k);
    g.dvRow = walk(cosA / k);
    if (mirrorFlag != 0) {
        // Mirrored: u reflected about the source point on the centre, one unit of the last fixed-point step
        // short, so that the bounds test keeps the half-open range of unmirrored positions it draws. The
        // scan stays the unmirrored one.
        const int64_t reflect = (2 * at.u << kRotationExtraBits) - 1;
        g.u0 = reflect - g.u0;
        g.du = -g.du;
        g.duRow = -g.duRow;
    }
    const MemImgBase* sb = source->base;
    g.texels = {source->pixels,
                sb->pitch,
                sb->pixelBytes,
                blendImage ? blendImage->pixels : nullptr,
                blendImage ? blendImage->base->pitch : 0,
                int64_t(w) << kFixedShift,
                int64_t(h) << kFixedShift};
    fn(call.args, g);
    MarkMemImgDrawn(dest->base);
}
