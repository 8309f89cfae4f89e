// Walkers of the triangle and rotation kernels: the triangle's row walk between its edges and the
// rotation's scan of its box, both handing each pixel a texel position in 14.18 fixed point (the
// rotation's with more fraction bits). A textured operation is given the pixel, its texel and blend byte
// when the position lies inside the source; a one-colour operation is given whole spans. No blend logic
// lives here.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "engine/softrender/colour_walkers.h"

namespace softrender {

inline constexpr int kFixedShift = 18;

// Whole pixels of a 14.18 value, rounding down.
constexpr int64_t FixedToPixel(int64_t v) {
    return v >> kFixedShift;
}

// The source texels of a textured walk; positions outside [0, limitU) x [0, limitV) are skipped.
struct TexelSource {
    const uint8_t* pixels;
    ptrdiff_t pitch;
    int32_t bytes;
    const uint8_t* blend;  // null without a blend image
    ptrdiff_t blendPitch;
    int64_t limitU, limitV;  // width << 18, height << 18
};

template <class Op>
inline constexpr bool kTexturedOp = std::is_invocable_v<const Op&, uint8_t*, const uint8_t*, const uint8_t*>;

template <class Op>
void VisitTexelAt(const Op& op, const TexelSource& t, uint8_t* dst, int64_t tx, int64_t ty) {
    op(dst, t.pixels + ty * t.pitch + tx * t.bytes, t.blend ? t.blend + ty * t.blendPitch + tx : nullptr);
}

template <class Op>
void VisitTexel(const Op& op, const TexelSource& t, uint8_t* dst, int64_t u, int64_t v) {
    if (u < 0 || u >= t.limitU || v < 0 || v >= t.limitV) return;
    VisitTexelAt(op, t, dst, u >> kFixedShift, v >> kFixedShift);
}

// One side of a triangle: up to two segments of start X (14.18), slope per row and row count.
struct TriangleEdge {
    struct Segment {
        int64_t x, slope, rows;
    };
    Segment segments[2];
    int count;
};

struct TriangleGeometry {
    uint8_t* pixels;  // destination pixel (0, 0)
    ptrdiff_t pitch;
    int32_t bytes;
    PixelClip clip;
    int64_t firstRow;
    int64_t middleRow;  // where the left side's second segment starts
    TriangleEdge left, right;
    // Texel position of pixel (x, y): (ur + (y - yr) uy + (x - xr) ux, vr + (y - yr) vy + (x - xr) vx).
    int64_t xr, yr, ur, vr, ux, uy, vx, vy;
    TexelSource texels;  // textured walks only
};

// Rows from the top vertex's row, each from px(left X) to px(right X) inclusive; rows above the
// clip rectangle are skipped in one step and the walk stops below it.
template <class Op>
void Walk(const Op& op, const TriangleGeometry& g) {
    const PixelClip& c = g.clip;
    int64_t row = g.firstRow;
    int leftSegment = 0, rightSegment = 0;
    TriangleEdge::Segment l = g.left.segments[0], r = g.right.segments[0];
    // Advances k rows; false once the walk has ended.
    auto advance = [&](int64_t k) {
        l.x += k * l.slope, r.x += k * r.slope;
        l.rows -= k, r.rows -= k;
        row += k;
        if (l.rows == 0) {
            if (++leftSegment == g.left.count) return false;
            l = g.left.segments[leftSegment];
            row = g.middleRow;
        }
        if (r.rows == 0) {
            if (++rightSegment == g.right.count) return false;
            r = g.right.segments[rightSegment];
        }
        return true;
    };
    while (row < c.bottom) {
        if (row < c.top) {
            if (!advance(std::min({c.top - row, l.rows, r.rows}))) return;
            continue;
        }
        int64_t x = std::max<int64_t>(FixedToPixel(l.x), c.left);
        const int64_t end = std::min<int64_t>(FixedToPixel(r.x) + 1, c.right);
        if (x < end) {
            uint8_t* dst = g.pixels + row * g.pitch + x * g.bytes;
            if constexpr (kTexturedOp<Op>) {
                int64_t u = g.ur + (row - g.yr) * g.uy + (x - g.xr) * g.ux;
                int64_t v = g.vr + (row - g.yr) * g.vy + (x - g.xr) * g.vx;
                for (; x < end; ++x, dst += g.bytes, u += g.ux, v += g.vx)
                    VisitTexel(op, g.texels, dst, u, v);
            } else {
                op.Span(dst, static_cast<int>(end - x));
            }
        }
        if (!advance(1)) return;
    }
}

// Rotation positions carry this many bits below the 14.18 fraction, so that steps summed across a whole
// box stay within a hair of the exact position.
inline constexpr int kRotationExtraBits = 14;
inline constexpr int kRotationShift = kFixedShift + kRotationExtraBits;

// The texel a rotation position shows, chosen as the device chooses it: the position rounded to the
// nearest 1/256 texel (halves up) and the texel that lies in. A position on a texel edge, or less than
// half of 1/256 before it, takes the texel after the edge.
inline constexpr int kTexelSnapBits = 8;
constexpr int64_t SnappedTexel(int64_t position) {
    return (position + (int64_t(1) << (kRotationShift - kTexelSnapBits - 1))) >> kRotationShift;
}

// The rotation's box: pixel (i, r) of the box lies at (u0 + r duRow + i du, v0 + r dvRow + i dv), in 14.18
// with kRotationExtraBits more. It is drawn where that position lies inside the source; the position's
// texel is clamped into the source, where the rounding reaches its far edge.
struct RotationGeometry {
    uint8_t* dst;  // the box's top-left pixel
    ptrdiff_t pitch;
    int32_t bytes;
    int32_t width, rows;
    int64_t u0, v0, du, dv, duRow, dvRow;
    TexelSource texels;
};

template <class Op>
void Walk(const Op& op, const RotationGeometry& g) {
    const TexelSource& t = g.texels;
    const int64_t lastU = (t.limitU >> kFixedShift) - 1, lastV = (t.limitV >> kFixedShift) - 1;
    for (int32_t r = 0; r < g.rows; ++r) {
        uint8_t* dst = g.dst + r * g.pitch;
        int64_t u = g.u0 + r * g.duRow, v = g.v0 + r * g.dvRow;
        for (int32_t i = 0; i < g.width; ++i, dst += g.bytes, u += g.du, v += g.dv) {
            const int64_t fu = u >> kRotationExtraBits, fv = v >> kRotationExtraBits;
            if (fu < 0 || fu >= t.limitU || fv < 0 || fv >= t.limitV) continue;
            VisitTexelAt(op, t, dst, std::min(SnappedTexel(u), lastU), std::min(SnappedTexel(v), lastV));
        }
    }
}

}  // namespace softrender
