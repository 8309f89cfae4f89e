#include "engine/graphics/kernels/free_quad_kernels.h"

#include <cmath>
#include <utility>

#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/kernels/image_kernels.h"
#include "engine/graphics/kernels/kernel_support.h"
#include "engine/graphics/target/draw_target_state.h"

namespace {

constexpr int kGridSide = 8;
constexpr int kMaxGridIndices = 1000;

// Winding values of a quad TL, TR, BL, BR; an upright, unmirrored quad has both positive.
void Winding(const float x[4], const float y[4], float* d1, float* d2) {
    *d1 = (x[1] - x[0]) * (y[2] - y[0]) - (y[1] - y[0]) * (x[2] - x[0]);
    *d2 = (y[1] - y[3]) * (x[2] - x[3]) - (y[2] - y[3]) * (x[1] - x[3]);
}

void DrawTileAsQuad(const float x[4], const float y[4], const GraphicDrawTile* t) {
    const float u0 = t->corners[0].u, u1 = t->corners[1].u, v0 = t->corners[0].v, v1 = t->corners[2].v;
    const QuadCorner c[4] = {{x[0], y[0], u0, v0, 0, 0},
                             {x[1], y[1], u1, v0, 0, 0},
                             {x[2], y[2], u0, v1, 0, 0},
                             {x[3], y[3], u1, v1, 0, 0}};
    auto* v = static_cast<Vertex2DTex*>(ReserveScreenVertices(1, D3DPT_TRIANGLELIST, 6));
    if (!v) return;
    WriteQuad(v, 1, c, GetPackedDrawColor(), GetDrawDepth2D());
    float d1, d2;
    Winding(x, y, &d1, &d2);
    if (d1 <= 0 && d2 <= 0) std::swap(v[1], v[2]), std::swap(v[4], v[5]);
}

void DrawTileAsGrid(const float x[4], const float y[4], const GraphicDrawTile* t) {
    static Vertex2DTex grid[kGridSide * kGridSide];
    const GraphicCorner &tl = t->corners[0], &br = t->corners[3];
    const float su = (br.u - tl.u) / (br.x - tl.x), sv = (br.v - tl.v) / (br.y - tl.y);
    // Texture edges inside the texture are inset by a thousandth of a pixel; its own borders are not.
    const float uL = tl.u >= 0.000001f ? tl.u + 0.001f * su : tl.u;
    const float uR = br.u <= 0.99999f ? br.u - 0.001f * su : br.u;
    const float vT = tl.v >= 0.000001f ? tl.v + 0.001f * sv : tl.v;
    const float vB = br.v <= 0.99999f ? br.v - 0.001f * sv : br.v;
    const float step = 1.0f / float(kGridSide - 1);
    const D3DCOLOR colour = GetPackedDrawColor();
    const float z = GetDrawDepth2D();
    float lx = x[0], ly = y[0], rx = x[1], ry = y[1], v = vT;
    const float dlx = (x[2] - x[0]) * step, dly = (y[2] - y[0]) * step;
    const float drx = (x[3] - x[1]) * step, dry = (y[3] - y[1]) * step, dv = (vB - vT) * step,
                du = (uR - uL) * step;
    for (int i = 0; i < kGridSide; ++i, lx += dlx, ly += dly, rx += drx, ry += dry, v += dv) {
        const float dx = (rx - lx) * step, dy = (ry - ly) * step;
        float px = lx, py = ly, u = uL;
        for (int j = 0; j < kGridSide; ++j, px += dx, py += dy, u += du)
            grid[i * kGridSide + j] = {px, py, z, 1.0f, colour, u, v};
    }
    DrawVertexGrid(kGridSide, grid, kGridSide);
}

// Graphic pixels to the screen: anchor + (gx - gx0) x the x axis + (gy - gy0) x the y axis.
struct AffineMap {
    float anchorX, anchorY, gx0, gy0, xAxisX, xAxisY, yAxisX, yAxisY;
    void Place(float gx, float gy, float* sx, float* sy) const {
        *sx = anchorX + (gx - gx0) * xAxisX + (gy - gy0) * yAxisX;
        *sy = anchorY + (gx - gx0) * xAxisY + (gy - gy0) * yAxisY;
    }
};

void DrawStrip(const uint16_t* indices, int count, const Vertex2DTex* vertices, int vertexCount) {
    ApplyVertexFormat(0x144);
    DeviceDrawIndexedPrimitiveUP(D3DPT_TRIANGLESTRIP, 0, UINT(vertexCount), UINT(count - 2), indices,
                                 D3DFMT_INDEX16, vertices, sizeof(Vertex2DTex));
}

}  // namespace

int IsParallelogram(const float x[4], const float y[4]) {
    const auto agree = [](float a, float b) { return std::fabs(a - b) < 1.0f; };
    const bool topBottom = agree(x[1] - x[0], x[3] - x[2]) && agree(y[1] - y[0], y[3] - y[2]);
    const bool leftRight = agree(x[2] - x[0], x[3] - x[1]) && agree(y[2] - y[0], y[3] - y[1]);
    return topBottom && leftRight ? 1 : 0;
}

int DrawVertexGrid(int columns, const Vertex2DTex* vertices, int rows) {
    if (!HasD3DDevice()) return 0;
    if (columns < 2 || rows < 2 || 2 * columns + 2 > kMaxGridIndices) return -1;
    FlushVertexBatch(0);
    uint16_t indices[kMaxGridIndices];
    int n = 0;
    for (int r = 0; r + 1 < rows; ++r) {
        if (n + 2 * columns + 2 > kMaxGridIndices) {
            DrawStrip(indices, n, vertices, rows * columns);
            n = 0;
        }
        if (n > 0) indices[n++] = uint16_t((r + 1) * columns);
        for (int c = 0; c < columns; ++c) {
            indices[n++] = uint16_t((r + 1) * columns + c);
            indices[n++] = uint16_t(r * columns + c);
        }
        if (r + 2 < rows) indices[n] = indices[n - 1], ++n;
    }
    if (n > 2) DrawStrip(indices, n, vertices, rows * columns);
    return 0;
}

void D3DDrawTileQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                     const GraphicDrawTile* drawTile, int noSubdivide) {
    BindStageTexture(reinterpret_cast<uintptr_t>(drawTile->tile->texture));
    const float x[4] = {x1, x2, x3, x4}, y[4] = {y1, y2, y3, y4};
    if (noSubdivide || IsParallelogram(x, y))
        DrawTileAsQuad(x, y, drawTile);
    else
        DrawTileAsGrid(x, y, drawTile);
}

int D3DDrawImageQuadDispatch(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                             const GraphicEntry* graphic, const GraphicEntry* blendGraphic, int transparent,
                             int blendQuadFlag) {
    if (!HasD3DDevice()) return -1;
    if (blendGraphic != nullptr)
        return D3DDrawImageQuad(graphic, int(x1), int(y1), int(x2), int(y2), int(x3), int(y3), int(x4),
                                int(y4), blendGraphic, transparent, blendQuadFlag);
    BeginSceneIfNeeded();
    PrepareIfChanged(FirstTileTexture(graphic), GraphicDrawFlags(graphic, transparent, 1));
    if (graphic->drawTileCount == 1) {
        D3DDrawTileQuad(x1, y1, x2, y2, x3, y3, x4, y4, &graphic->drawTiles[0], 0);
        return 0;
    }
    const float invW = 1.0f / float(graphic->width), invH = 1.0f / float(graphic->height);
    // A graphic pixel (gx, gy) placed by bilinear interpolation of the quad's corners.
    const auto place = [&](const GraphicCorner& g, float* sx, float* sy) {
        const float t = g.y * invH, s = g.x * invW;
        const float lx = x1 + (x3 - x1) * t, ly = y1 + (y3 - y1) * t;
        const float rx = x2 + (x4 - x2) * t, ry = y2 + (y4 - y2) * t;
        *sx = lx + (rx - lx) * s, *sy = ly + (ry - ly) * s;
    };
    for (int i = 0; i < graphic->drawTileCount; ++i) {
        const GraphicDrawTile& t = graphic->drawTiles[i];
        float x[4], y[4];
        for (int k = 0; k < 4; ++k) place(t.corners[k], &x[k], &y[k]);
        D3DDrawTileQuad(x[0], y[0], x[1], y[1], x[2], y[2], x[3], y[3], &t, 0);
    }
    return 0;
}

int D3DDrawImageQuad(const GraphicEntry* graphic, int x1, int y1, int x2, int y2, int x3, int y3, int x4,
                     int y4, const GraphicEntry* blendGraphic, int transparent, int blendQuadFlag) {
    if (x1 == x3 && x2 == x4 && y1 == y2 && y3 == y4)
        return D3DDrawImageStretched(x1, y1, x4, y4, float(x1), float(y1), float(x4), float(y4), graphic,
                                     blendGraphic, transparent, 1);
    if (blendGraphic == nullptr)
        return D3DDrawImageQuadDispatch(float(x1), float(y1), float(x2), float(y2), float(x3), float(y3),
                                        float(x4), float(y4), graphic, nullptr, transparent, blendQuadFlag);
    if (!HasD3DDevice()) return -1;
    FlushVertexBatch(0);
    BeginSceneIfNeeded();
    PrepareIfChanged(FirstTileTexture(graphic), GraphicDrawFlags(graphic, transparent, 1));
    BindDrawTile(graphic, blendGraphic, 0);
    const int kind = vertexBatch.kind;
    if (kind != 1 && kind != 2) return 0;
    ApplyVertexFormat(kind == 1 ? 0x144 : 0x2C4);
    const float w = float(graphic->width), h = float(graphic->height);
    // The upper-left map anchors at corner 1, the lower-right one at corner 4.
    const AffineMap maps[2] = {
        {float(x4) - 0.5f, float(y4) - 0.5f, w, h, float(x4 - x3) / w, float(y4 - y3) / w, float(x4 - x2) / h,
         float(y4 - y2) / h},
        {float(x1) - 0.5f, float(y1) - 0.5f, 0.0f, 0.0f, float(x2 - x1) / w, float(y2 - y1) / w,
         float(x3 - x1) / h, float(y3 - y1) / h},
    };
    const D3DCOLOR colour = GetPackedDrawColor();
    const float z = GetDrawDepth2D();
    for (int i = 0; i < graphic->drawTileCount; ++i) {
        const GraphicDrawTile& t = graphic->drawTiles[i];
        const GraphicDrawTile* bt = BindDrawTile(graphic, blendGraphic, i);
        QuadCorner c[4];
        float x[4], y[4];
        for (int k = 0; k < 4; ++k) {
            const GraphicCorner& g = t.corners[k];
            maps[t.cornerSides[k] ? 1 : 0].Place(g.x, g.y, &x[k], &y[k]);
            c[k] = {x[k], y[k], g.u, g.v, 0.0f, 0.0f};
            BlendCoordinates(bt, g.x, g.y, &c[k].blendU, &c[k].blendV);
        }
        float d1, d2;
        Winding(x, y, &d1, &d2);
        if (d1 < 0 || (d1 == 0 && d2 <= 0)) std::swap(c[1], c[2]);
        Vertex2DTex2 strip2[4];
        Vertex2DTex strip1[4];
        for (int k = 0; k < 4; ++k) {
            strip2[k] = {c[k].x,      c[k].y,      z,           1.0f,   colour,
                         0xFFFFFFFFu, c[k].blendU, c[k].blendV, c[k].u, c[k].v};
            strip1[k] = {c[k].x, c[k].y, z, 1.0f, colour, c[k].u, c[k].v};
        }
        if (kind == 2)
            DeviceDrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strip2, sizeof(Vertex2DTex2));
        else
            DeviceDrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strip1, sizeof(Vertex2DTex));
    }
    return 0;
}
