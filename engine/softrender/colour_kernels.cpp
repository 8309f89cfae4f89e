#include "engine/softrender/colour_kernels.h"

#include <array>
#include <cstdlib>
#include <utility>

#include "engine/core/helpers/string_helpers.h"
#include "engine/core/helpers/vector_math.h"
#include "engine/softrender/colour_dispatch.h"
#include "engine/softrender/colour_walkers.h"
#include "engine/softrender/kernel_clip.h"
#include "engine/softrender/pixel_ops.h"
#include "engine/softrender/pixel_rules.h"
#include "engine/softrender/soft_memory.h"
#include "engine/softrender/soft_render_state.h"

namespace softrender {
namespace {

// What every colour kernel settles once per call, after its own checks.
struct ColourCall {
    Depth depth;
    int32_t bytes;
    ColourArgs args;
};

// Kinds 0 and 1 are drawn; the colour is masked to the pixel size and tinted once.
bool PrepareColourCall(const MEMIMG* dest, uint32_t colour, ColourCall* call) {
    const MemImgKind kind = dest->base->kind;
    if (kind != 0 && kind != 1) return false;
    const SoftRenderState& state = g_softRenderState;
    call->depth = static_cast<Depth>(kind);
    call->bytes = kind == 1 ? 4 : 2;
    if (kind == 0) colour &= 0xFFFF;
    if (SoftTintOn(state.drawBright)) {
        colour = kind == 1 ? TintColourShift8<Depth::Xrgb8888>(colour, state.drawBright)
                           : TintColourShift8<Depth::Rgb565>(colour, state.drawBright);
    }
    const uint8_t p = static_cast<uint8_t>(state.blendParam);
    call->args.colour = colour;
    call->args.param = p;
    call->args.rows.scaleRow = g_softBlendTables.ScaleTable[p];
    call->args.rows.diffCentre = &g_softBlendTables.DiffScaleTable[p][255];
    return true;
}

template <class G>
void RunColourCall(const ColourCall& call, MEMIMG* dest, const G& geometry) {
    const SoftRenderState& state = g_softRenderState;
    const uint32_t mode = static_cast<uint32_t>(state.blendMode);
    if (mode >= kModeCount) return;
    const ColourWalkFn<G> fn = kColourTable<Walker::Colour, G>[ColourKeyIndex(
        call.depth, mode, ClassifyParam(static_cast<uint8_t>(state.blendParam)))];
    if (fn == nullptr) return;
    fn(call.args, geometry);
    MarkMemImgDrawn(dest->base);
}

uint8_t* PixelAt(const MEMIMG* dest, int64_t x, int64_t y, int32_t bytes) {
    return dest->pixels + y * dest->base->pitch + x * bytes;
}

// Clips the end points of a line onto the clip rectangle (start on it, end on the ring around it).
void ClipLine(const PixelClip& c, int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2) {
    const int64_t dx = static_cast<int64_t>(x2) - x1, dy = static_cast<int64_t>(y2) - y1;
    const double m = dy == 0 ? 0.0 : static_cast<double>(dx) / static_cast<double>(dy);
    const double k = dx == 0 ? 0.0 : static_cast<double>(dy) / static_cast<double>(dx);
    const double cx = x1 - m * y1;
    const double cy = y1 - k * x1;
    auto yAt = [&](int64_t x) { return DoubleToInt(cy + k * static_cast<double>(x)); };
    auto xAt = [&](int64_t y) { return DoubleToInt(cx + m * static_cast<double>(y)); };
    const int64_t left = c.left, top = c.top, right = c.right, bottom = c.bottom;

    if (x1 < left) {
        x1 = c.left, y1 = yAt(left);
    } else if (x1 >= right) {
        x1 = c.right - 1, y1 = yAt(right - 1);
    }
    if (x2 < left) {
        x2 = c.left - 1, y2 = yAt(left - 1);
    } else if (x2 >= right) {
        x2 = c.right, y2 = yAt(right);
    }
    if (y1 < top) {
        y1 = c.top, x1 = xAt(top);
    } else if (y1 >= bottom) {
        y1 = c.bottom - 1, x1 = xAt(bottom - 1);
    }
    if (y2 < top) {
        y2 = c.top - 1, x2 = xAt(top - 1);
    } else if (y2 >= bottom) {
        y2 = c.bottom, x2 = xAt(bottom);
    }
    x1 = x1 < c.left ? c.left : (x1 >= c.right ? c.right - 1 : x1);
    x2 = x2 < c.left ? c.left - 1 : (x2 >= c.right ? c.right : x2);
    y1 = y1 < c.top ? c.top : (y1 >= c.bottom ? c.bottom - 1 : y1);
    y2 = y2 < c.top ? c.top - 1 : (y2 >= c.bottom ? c.bottom : y2);
}

}  // namespace
}  // namespace softrender

using namespace softrender;

void SoftFillRect(MEMIMG* dest, const int32_t* rect, uint32_t colour) {
    if (!DrawableDestination(dest)) return;
    PixelClip clip;
    if (!KernelClip(dest, &clip)) return;
    IntRect r{0, 0, dest->width, dest->height};
    if (rect != nullptr) {
        r = {std::min(rect[0], rect[2]), std::min(rect[1], rect[3]), std::max(rect[0], rect[2]),
             std::max(rect[1], rect[3])};
    }
    const IntRect c{clip.left, clip.top, clip.right, clip.bottom};
    ClipRect(&r, &c);
    if (r.right == r.left || r.bottom == r.top) return;
    ColourCall call;
    if (!PrepareColourCall(dest, colour, &call)) return;
    const RectGeometry g{PixelAt(dest, r.left, r.top, call.bytes), dest->base->pitch, r.right - r.left,
                         r.bottom - r.top};
    RunColourCall(call, dest, g);
}

void SoftDrawLine(MEMIMG* dest, int x1, int y1, int x2, int y2, uint32_t colour) {
    if (!DrawableDestination(dest)) return;
    PixelClip clip;
    if (!KernelClip(dest, &clip)) return;
    const int64_t reject = (static_cast<int64_t>(clip.bottom) - 1 - std::min(y1, y2)) |
                           (static_cast<int64_t>(clip.right) - 1 - std::min(x1, x2)) |
                           (static_cast<int64_t>(std::max(y1, y2)) - clip.top) |
                           (static_cast<int64_t>(std::max(x1, x2)) - clip.left);
    if (reject < 0) return;
    ClipLine(clip, x1, y1, x2, y2);
    const int32_t nx = std::abs(x2 - x1), ny = std::abs(y2 - y1);
    if (nx == 0 && ny == 0) return;
    ColourCall call;
    if (!PrepareColourCall(dest, colour, &call)) return;
    const ptrdiff_t xStep = (x2 < x1 ? -1 : 1) * call.bytes;
    const ptrdiff_t yStep = (y2 < y1 ? -1 : 1) * static_cast<ptrdiff_t>(dest->base->pitch);
    uint8_t* start = PixelAt(dest, x1, y1, call.bytes);
    const bool xMajor = nx >= ny;
    LineGeometry g = xMajor ? LineGeometry{start, xStep, yStep, nx, ny, nx - (y2 < y1 ? 1 : 0), nx}
                            : LineGeometry{start, yStep, xStep, ny, nx, ny - (x2 < x1 ? 1 : 0), ny};
    // Rounding to the nearest pixel can bring the last pixels onto the minor end, which clipping may
    // have put on the ring outside the clip: those are left out.
    const int32_t minorEnd = xMajor ? y2 : x2;
    const bool endOutside = xMajor ? minorEnd < clip.top || minorEnd >= clip.bottom
                                   : minorEnd < clip.left || minorEnd >= clip.right;
    if (endOutside && g.minor > 0) {
        const int64_t before = 2 * int64_t(g.major) * g.minor - g.bias, perPixel = 2 * int64_t(g.minor);
        g.length = int32_t(std::min<int64_t>(g.major, (before + perPixel - 1) / perPixel));
    }
    RunColourCall(call, dest, g);
}

void SoftDrawLines(MEMIMG* dest, const SoftLineRecord* records, int count) {
    for (int i = 0; i < count; ++i) {
        const SoftLineRecord& r = records[i];
        SoftDrawLine(dest, r.x1, r.y1, r.x2, r.y2, static_cast<uint32_t>(r.colour));
    }
}

void SoftDrawCircle(MEMIMG* dest, int cx, int cy, int radius, uint32_t colour, int fill) {
    if (radius < 0 || !DrawableDestination(dest)) return;
    PixelClip clip;
    if (!KernelClip(dest, &clip)) return;
    uint8_t* rowFlags = nullptr;
    if (fill != 0) {
        rowFlags = static_cast<uint8_t*>(SoftAllocZeroed(clip.bottom));
        if (rowFlags == nullptr) return;
    }
    ColourCall call;
    if (PrepareColourCall(dest, colour, &call)) {
        const CircleGeometry g{dest->pixels, dest->base->pitch, call.bytes, cx, cy, radius,
                               clip,         rowFlags,          fill != 0};
        RunColourCall(call, dest, g);
    }
    SoftFree(rowFlags);
}
