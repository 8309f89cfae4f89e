#include "engine/graphics/kernels/image_kernels.h"

#include <algorithm>
#include <utility>

#include "engine/core/helpers/vector_math.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/kernels/kernel_support.h"
#include "engine/graphics/target/draw_target_state.h"

namespace {

enum class Visibility { Outside, Inside, Partial };

// The integer rectangle [left, right) x [top, bottom) against the draw area.
Visibility Classify(int left, int top, int right, int bottom) {
    IntRect a;
    GetDrawArea(&a);
    if (right <= a.left || bottom <= a.top || top >= a.bottom || left >= a.right) return Visibility::Outside;
    if (left >= a.left && top >= a.top && right <= a.right && bottom <= a.bottom) return Visibility::Inside;
    return Visibility::Partial;
}

// Where the graphic lands: its top-left pixel corner, its scale, and the rectangle its quads are cut to
// (null: not cut).
struct Placement {
    float originX, originY, scaleX, scaleY;
    const float* clamp;  // left, top, right, bottom
};

// Moves a corner into the clamp rectangle, its texture coordinates along with it so that each pixel
// keeps the texel the uncut quad shows there.
void ClampCorner(QuadCorner& c, const float* r, float uPerX, float vPerY, float bPerX, float bPerY) {
    if (c.x < r[0]) {
        c.u += (r[0] - c.x) * uPerX, c.blendU += (r[0] - c.x) * bPerX, c.x = r[0];
    } else if (c.x > r[2]) {
        c.u -= (c.x - r[2]) * uPerX, c.blendU -= (c.x - r[2]) * bPerX, c.x = r[2];
    }
    if (c.y < r[1]) {
        c.v += (r[1] - c.y) * vPerY, c.blendV += (r[1] - c.y) * bPerY, c.y = r[1];
    } else if (c.y > r[3]) {
        c.v -= (c.y - r[3]) * vPerY, c.blendV -= (c.y - r[3]) * bPerY, c.y = r[3];
    }
}

void DrawTile(const GraphicEntry* graphic, const GraphicEntry* blend, int i, const Placement& p,
              D3DCOLOR colour, float z) {
    const GraphicDrawTile& t = graphic->drawTiles[i];
    const GraphicDrawTile* bt = BindDrawTile(graphic, blend, i);
    const StageSetupInputs& s = renderStateCache.stageSetup;
    const float gx[2] = {t.corners[0].x, t.corners[1].x}, gy[2] = {t.corners[0].y, t.corners[2].y};
    const float u[2] = {t.corners[0].u, t.corners[1].u}, v[2] = {t.corners[0].v, t.corners[2].v};
    QuadCorner c[4];
    for (int k = 0; k < 4; ++k) {
        const int ix = k & 1, iy = k >> 1;
        c[k].x = p.originX + gx[ix] * p.scaleX;
        c[k].y = p.originY + gy[iy] * p.scaleY;
        c[k].u = u[ix], c[k].v = v[iy];
        BlendCoordinates(bt, gx[ix], gy[iy], &c[k].blendU, &c[k].blendV);
    }
    if (p.clamp) {
        const float uPerX = 1.0f / (float(t.tile->textureWidth) * p.scaleX);
        const float vPerY = 1.0f / (float(t.tile->textureHeight) * p.scaleY);
        const float bPerX = bt ? s.blendInvWidth / p.scaleX : 0.0f,
                    bPerY = bt ? s.blendInvHeight / p.scaleY : 0.0f;
        for (QuadCorner& corner : c) ClampCorner(corner, p.clamp, uPerX, vPerY, bPerX, bPerY);
    }
    AppendQuad(c, colour, z);
}

void DrawTiles(const GraphicEntry* graphic, const GraphicEntry* blend, const Placement& p) {
    const D3DCOLOR colour = GetPackedDrawColor();
    const float z = GetDrawDepth2D();
    for (int i = 0; i < graphic->drawTileCount; ++i) DrawTile(graphic, blend, i, p, colour, z);
}

}  // namespace

int D3DDrawImageAt(const GraphicEntry* blendGraphic, int x, int y, float xf, float yf,
                   const GraphicEntry* graphic, int transparent, int oneToOne) {
    if (!HasD3DDevice()) return -1;
    xf = float(xf - 0.5), yf = float(yf - 0.5);
    BeginSceneIfNeeded();
    PrepareIfChanged(FirstTileTexture(graphic), GraphicDrawFlags(graphic, transparent, oneToOne));
    const Visibility vis = Classify(x, y, x + graphic->width, y + graphic->height);
    if (vis == Visibility::Outside) return 0;
    float area[4];
    GetDrawAreaFloat(area);
    DrawTiles(graphic, blendGraphic, {xf, yf, 1.0f, 1.0f, vis == Visibility::Partial ? area : nullptr});
    return 0;
}

int D3DDrawImageStretched(int x1, int y1, int x2, int y2, float x1f, float y1f, float x2f, float y2f,
                          const GraphicEntry* graphic, const GraphicEntry* blendGraphic, int transparent,
                          int oneToOneRequest) {
    if (!HasD3DDevice()) return -1;
    if (x1 == x2 || y1 == y2) return -1;
    const float sx = (x2f - x1f) / float(graphic->width), sy = (y2f - y1f) / float(graphic->height);
    x1f = float(x1f - 0.5), y1f = float(y1f - 0.5);
    BeginSceneIfNeeded();
    const int oneToOne = oneToOneRequest != 0 && drawSettings.drawMode != 1;
    PrepareIfChanged(FirstTileTexture(graphic), GraphicDrawFlags(graphic, transparent, oneToOne));
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    const Visibility vis = Classify(x1, y1, x2, y2);
    if (vis == Visibility::Outside) return 0;
    float area[4];
    GetDrawAreaFloat(area);
    for (float& edge : area) edge -= 0.5f;
    DrawTiles(graphic, blendGraphic, {x1f, y1f, sx, sy, vis == Visibility::Partial ? area : nullptr});
    return 0;
}
