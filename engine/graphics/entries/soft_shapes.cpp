#include "engine/graphics/entries/soft_shapes.h"

#include <algorithm>
#include <climits>

#include "engine/softrender/colour_kernels.h"
#include "engine/softrender/soft_draw_entries.h"
#include "engine/softrender/soft_render_state.h"
#include "engine/softrender/triangle_kernels.h"

namespace {

// Lines through the corners in the order given, back to the first.
int DrawClosedPath(const SoftQuadCorner* points, int count, uint32_t colour) {
    SoftLineRecord lines[4];
    for (int i = 0; i < count; ++i) {
        const SoftQuadCorner& a = points[i];
        const SoftQuadCorner& b = points[(i + 1) % count];
        lines[i] = SoftLineRecord{a.x, a.y, b.x, b.y, int32_t(colour), g_softRenderState.blendParam};
    }
    SoftDrawLines(g_softDrawSurfaces.target, lines, count);
    return 0;
}

}  // namespace

int SoftOutlineBox(int x1, int y1, int x2, int y2, uint32_t colour) {
    // The right and bottom edges are the last pixels inside: one less, held at INT_MIN.
    const int right = std::max(x2, INT_MIN + 1) - 1, bottom = std::max(y2, INT_MIN + 1) - 1;
    const SoftQuadCorner path[4] = {{x1, y1}, {right, y1}, {right, bottom}, {x1, bottom}};
    return DrawClosedPath(path, 4, colour);
}

int SoftFillOrOutlineQuad(const SoftQuadCorner* corners, uint32_t colour, int fill) {
    if (!fill) {
        const SoftQuadCorner path[4] = {corners[0], corners[1], corners[3], corners[2]};
        return DrawClosedPath(path, 4, colour);
    }
    auto vertex = [&](int i) { return TriangleVertex{corners[i].x, corners[i].y, 0, 0}; };
    const TriangleVertex first[3] = {vertex(0), vertex(1), vertex(2)};
    const TriangleVertex second[3] = {vertex(2), vertex(1), vertex(3)};
    SoftDrawTriangle(g_softDrawSurfaces.target, nullptr, first, 0, nullptr, colour);
    SoftDrawTriangle(g_softDrawSurfaces.target, nullptr, second, 0, nullptr, colour);
    return 0;
}
