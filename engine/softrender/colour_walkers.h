// Walkers of the colour kernels: they decide which pixels a rectangle, line or circle visits and
// hand each one (or each horizontal run) to the operation. No blend logic lives here.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "engine/softrender/midpoint_steps.h"

namespace softrender {

// A clip rectangle already inside the destination; right and bottom exclusive.
struct PixelClip {
    int32_t left, top, right, bottom;
};

// Rows of `width` pixels from `origin`.
struct RectGeometry {
    uint8_t* origin;
    ptrdiff_t pitch;
    int32_t width;
    int32_t height;
};

template <class Op>
void Walk(const Op& op, const RectGeometry& g) {
    uint8_t* row = g.origin;
    for (int32_t y = 0; y < g.height; ++y, row += g.pitch) op.Span(row, g.width);
}

// `major` pixels from `start`. Each takes the minor pixel nearest the line at its centre, halves going to
// the greater coordinate: the error term counts in half pixels (2 * minor per step against 2 * major)
// and starts at `bias`, which is major for a minor axis that grows and major - 1 for one that shrinks.
struct LineGeometry {
    uint8_t* start;
    ptrdiff_t majorStep;
    ptrdiff_t minorStep;
    int32_t major;
    int32_t minor;
    int32_t bias;
    int32_t length;  // pixels drawn, at most major: fewer when the last ones would leave the clip
};

template <class Op>
void Walk(const Op& op, const LineGeometry& g) {
    uint8_t* p = g.start;
    const int64_t step = 2 * int64_t(g.minor), wrap = 2 * int64_t(g.major);
    int64_t e = g.bias;
    for (int32_t i = 0; i < g.length; ++i) {
        op(p);
        e += step;
        p += g.majorStep;
        if (e >= wrap) {
            p += g.minorStep;
            e -= wrap;
        }
    }
}

struct CircleGeometry {
    uint8_t* pixels;  // pixel (0, 0) of the destination
    ptrdiff_t pitch;
    int32_t bytes;  // per pixel
    int64_t cx, cy, radius;
    PixelClip clip;
    uint8_t* rowFlags;  // fill walk only: one byte per row 0 .. clip.bottom - 1, zero at the start
    bool fill;
};

// The steps of a filled circle that can touch the clip: those whose rows cy +/- x are inside it, and
// those whose rows cy +/- y are, with a span [cx - x, cx + x] that reaches it.
template <class Visit>
void WalkFillSteps(int64_t cx, int64_t cy, int64_t radius, const PixelClip& c, Visit visit) {
    const MidpointSteps steps(radius);
    const auto sides = OffsetsInto(cy, c.top, c.bottom);
    const int64_t reach = std::max<int64_t>({0, c.left - cx, cx - (c.right - 1)});
    std::array<StepRange, 4> ranges{sides[0], sides[1]};
    for (int i = 0; i < 2; ++i) {
        const StepRange caps = steps.WithYIn(sides[i].first, sides[i].last);
        ranges[2 + i] = {std::max(caps.first, reach), caps.last};
    }
    steps.Walk(ranges, visit);
}

// Every outline pixel of the circle inside the clip exactly once: the axis points at x = 0 and the
// diagonal ones at x = y have fewer than eight distinct mirror images, and a pixel handed twice would be
// blended twice. Only the steps whose x puts a row or a column inside the clip are walked.
template <class Point>
void WalkOutlinePoints(int64_t cx, int64_t cy, int64_t radius, const PixelClip& c, Point point) {
    auto inside = [&](int64_t px, int64_t py) {
        if (px >= c.left && px < c.right && py >= c.top && py < c.bottom) point(px, py);
    };
    const auto rows = OffsetsInto(cy, c.top, c.bottom), columns = OffsetsInto(cx, c.left, c.right);
    MidpointSteps(radius).Walk(
        std::array<StepRange, 4>{rows[0], rows[1], columns[0], columns[1]},
        [&](int64_t x, int64_t y, int64_t) {
            if (y == 0) {
                inside(cx, cy);
                return;
            }
            if (x == 0) {
                inside(cx - y, cy), inside(cx + y, cy), inside(cx, cy + y), inside(cx, cy - y);
                return;
            }
            inside(cx - x, cy + y), inside(cx + x, cy + y), inside(cx - x, cy - y), inside(cx + x, cy - y);
            if (x == y) return;
            inside(cx - y, cy + x), inside(cx + y, cy + x), inside(cx - y, cy - x), inside(cx + y, cy - x);
        });
}

template <class Op>
void WalkCircleOutline(const Op& op, const CircleGeometry& g) {
    WalkOutlinePoints(g.cx, g.cy, g.radius, g.clip,
                      [&](int64_t px, int64_t py) { op(g.pixels + py * g.pitch + px * g.bytes); });
}

template <class Op>
void WalkCircleFill(const Op& op, const CircleGeometry& g) {
    const PixelClip& c = g.clip;
    auto span = [&](int64_t row, int64_t x1, int64_t x2) {
        if (x2 < c.left || x1 >= c.right || row < c.top || row >= c.bottom || g.rowFlags[row]) return;
        g.rowFlags[row] = 1;
        const int64_t from = std::max<int64_t>(x1, c.left), to = std::min<int64_t>(x2, c.right - 1);
        op.Span(g.pixels + row * g.pitch + from * g.bytes, static_cast<int>(to - from + 1));
    };
    const int64_t cx = g.cx, cy = g.cy;
    WalkFillSteps(cx, cy, g.radius, c, [&](int64_t x, int64_t y, int64_t d) {
        span(cy + x, cx - y, cx + y);
        span(cy - x, cx - y, cx + y);
        if (d >= 0) {
            span(cy + y, cx - x, cx + x);
            span(cy - y, cx - x, cx + x);
        }
    });
}

template <class Op>
void Walk(const Op& op, const CircleGeometry& g) {
    if (g.fill) {
        WalkCircleFill(op, g);
    } else {
        WalkCircleOutline(op, g);
    }
}

}  // namespace softrender
