// The graphic draws: at a point, stretched, rotated, turned left to right and onto a free quad.
#include <algorithm>
#include <climits>
#include <cmath>

#include "engine/core/frame/library_state.h"
#include "engine/graphics/entries/draw_entry_sequence.h"
#include "engine/graphics/kernels/free_quad_kernels.h"
#include "engine/graphics/kernels/image_kernels.h"
#include "engine/graphics/kernels/rotated_kernel.h"
#include "engine/softrender/soft_draw_entries.h"

namespace {

// The bounding box of the graphic turned about (cx, cy) and scaled, widened by 5 pixels.
IntRect RotatedBounds(const GraphicEntry* graphic, int cx, int cy, double scale, double angle) {
    int hw = graphic->width / 2, hh = graphic->height / 2;
    const double corners[4][2] = {{double(-hw), double(-hh)},
                                  {double(graphic->width - hw), double(-hh)},
                                  {double(-hw), double(graphic->height - hh)},
                                  {double(graphic->width - hw), double(graphic->height - hh)}};
    double s = std::sin(float(angle)), c = std::cos(float(angle));
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (const auto& p : corners) {
        double x = (p[0] * c - p[1] * s) * scale + cx;
        double y = (p[1] * c + p[0] * s) * scale + cy;
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    return ClampedRect(minX - 5, minY - 5, maxX + 5, maxY + 5);
}

bool EndsInIntRange(int start, int length) {
    return int64_t{start} + length <= INT_MAX;
}

}  // namespace

int DrawImageAt(int x, int y, int handle, int transparent) {
    if (!libraryFlags.initialised) return -1;
    DrawGraphics draw;
    int state = BeginGraphicDraw(handle, &draw);
    if (state != kDrawProceed) return state;
    GraphicEntry* g = draw.graphic;
    // A graphic whose far edge is beyond the int range lies outside every draw area.
    if (!EndsInIntRange(x, g->width) || !EndsInIntRange(y, g->height)) return 0;
    return RunGraphicDraw(
        draw,
        [&] {
            return IntRect{x, y, x + g->width, y + g->height};
        },
        [&](bool direct3D) {
            return direct3D ? D3DDrawImageAt(draw.blend, x, y, float(x), float(y), g, transparent, 1)
                            : SoftTargetDrawImage(x, y, &g->softView, transparent);
        });
}

int DrawImageStretched(int x1, int y1, int x2, int y2, int handle, int transparent) {
    DrawGraphics draw;
    int state = BeginGraphicDraw(handle, &draw);
    if (state != kDrawProceed) return state;
    GraphicEntry* g = draw.graphic;
    return RunGraphicDraw(
        draw, [&] { return SortedRect(x1, y1, x2, y2); },
        [&](bool direct3D) {
            return direct3D ? D3DDrawImageStretched(x1, y1, x2, y2, float(x1), float(y1), float(x2),
                                                    float(y2), g, draw.blend, transparent, 1)
                            : SoftTargetDrawImageStretched(x1, y1, x2, y2, &g->softView, transparent);
        });
}

int DrawImageStretchedF(float x1, float y1, float x2, float y2, int handle, int transparent) {
    if (!DrawableFloats({x1, y1, x2, y2})) return -1;
    DrawGraphics draw;
    int state = BeginGraphicDraw(handle, &draw);
    if (state != kDrawProceed) return state;
    GraphicEntry* g = draw.graphic;
    int ix1 = int(x1), iy1 = int(y1), ix2 = int(x2), iy2 = int(y2);
    return RunGraphicDraw(
        draw, [&] { return SortedRect(ix1, iy1, ix2, iy2); },
        [&](bool direct3D) {
            return direct3D ? D3DDrawImageStretched(ix1, iy1, ix2, iy2, x1, y1, x2, y2, g, draw.blend,
                                                    transparent, 0)
                            : SoftTargetDrawImageStretched(ix1, iy1, ix2, iy2, &g->softView, transparent);
        });
}

int DrawImageRotated(int cx, int cy, double scale, double angle, int handle, int transparent, int turn) {
    if (!std::isfinite(scale) || !std::isfinite(angle)) return -1;
    DrawGraphics draw;
    int state = BeginGraphicDraw(handle, &draw);
    if (state != kDrawProceed) return state;
    GraphicEntry* g = draw.graphic;
    return RunGraphicDraw(
        draw, [&] { return RotatedBounds(g, cx, cy, scale, angle); },
        [&](bool direct3D) {
            return direct3D ? D3DDrawImageRotated(transparent, g, cx, cy, float(cx), float(cy), scale, angle,
                                                  draw.blend, turn, 1)
                            : SoftTargetDrawImageRotated(float(cx), float(cy), scale, angle, &g->softView,
                                                         transparent, turn);
        });
}

int DrawImageTurned(int x, int y, int handle, int transparent) {
    GraphicEntry* g = LookupDrawableGraphic(handle, 0);
    if (g == nullptr) return -1;
    if (!EndsInIntRange(x, g->width) || !EndsInIntRange(y, g->height)) return 0;
    return DrawImageStretched(x + g->width, y, x, y + g->height, handle, transparent);
}

int DrawImageQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int handle,
                  int transparent, int blendQuad) {
    if (!DrawableFloats({x1, y1, x2, y2, x3, y3, x4, y4})) return -1;
    DrawGraphics draw;
    int state = BeginGraphicDraw(handle, &draw);
    if (state != kDrawProceed) return state;
    GraphicEntry* g = draw.graphic;
    auto bounds = [&] {
        // Right and bottom start below any coordinate, so a quad left of or above 0 keeps its own edge.
        IntRect rect{16777215, 16777215, INT_MIN, INT_MIN};
        for (float x : {x1, x2, x3, x4})
            rect.left = std::min(rect.left, int(x)), rect.right = std::max(rect.right, int(x));
        for (float y : {y1, y2, y3, y4})
            rect.top = std::min(rect.top, int(y)), rect.bottom = std::max(rect.bottom, int(y));
        return rect;
    };
    // Both kernels take the corners top left, top right, bottom left, bottom right.
    return RunGraphicDraw(draw, bounds, [&](bool direct3D) {
        return direct3D ? D3DDrawImageQuadDispatch(x1, y1, x2, y2, x4, y4, x3, y3, g, draw.blend, transparent,
                                                   blendQuad)
                        : SoftTargetDrawImageQuadF(x1, y1, x2, y2, x4, y4, x3, y3, &g->softView, transparent);
    });
}

int DrawImageQuadF(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int handle,
                   int transparent) {
    return DrawImageQuad(x1, y1, x2, y2, x3, y3, x4, y4, handle, transparent, 0);
}
