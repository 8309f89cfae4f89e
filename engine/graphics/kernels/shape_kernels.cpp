#include "engine/graphics/kernels/shape_kernels.h"

#include <algorithm>
#include <utility>

#include "engine/core/helpers/vector_math.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/draw_state_preparation.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/kernels/kernel_support.h"
#include "engine/graphics/target/draw_target_state.h"

namespace {

// A colour quad [x1, x2) x [y1, y2) as the six vertices TL, TR, BL, BR, BL, TR.
void WriteColourQuad(Vertex2D* v, float x1, float y1, float x2, float y2, D3DCOLOR colour, float z) {
    const float xs[6] = {x1, x2, x1, x2, x1, x2}, ys[6] = {y1, y1, y2, y2, y2, y1};
    for (int i = 0; i < 6; ++i) v[i].x = xs[i], v[i].y = ys[i], v[i].z = z, v[i].diffuse = colour;
}

void PrepareUntextured() {
    BeginSceneIfNeeded();
    PrepareIfChanged(0, kDrawColourModulation);
}

}  // namespace

void DropStageTexture() {
    if (renderStateCache.stageSetup.texture == 0) return;
    FlushVertexBatch(0);
    SetStageTexture(0);
    renderStateCache.stageSetup.dirty = 1;
}

int PrimitiveCount(int primitiveType, int count) {
    int n;
    switch (primitiveType) {
        case D3DPT_POINTLIST:
            n = count;
            break;
        case D3DPT_LINELIST:
            n = count / 2;
            break;
        case D3DPT_LINESTRIP:
            n = count - 1;
            break;
        case D3DPT_TRIANGLELIST:
            n = count / 3;
            break;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN:
            n = count - 2;
            break;
        default:
            return -1;
    }
    return std::max(n, 0);
}

int D3DFillBox(int x1, int y1, int x2, int y2, uint32_t colour) {
    if (!HasD3DDevice()) return -1;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    IntRect a;
    GetDrawArea(&a);
    x1 = std::max(x1, a.left), y1 = std::max(y1, a.top), x2 = std::min(x2, a.right),
    y2 = std::min(y2, a.bottom);
    if (x1 >= x2 || y1 >= y2) return 0;
    PrepareUntextured();
    const D3DCOLOR c = ShapeColour(colour);
    auto* v = static_cast<Vertex2D*>(ReserveScreenVertices(0, D3DPT_TRIANGLELIST, 6));
    if (v) WriteColourQuad(v, float(x1), float(y1), float(x2), float(y2), c, GetDrawDepth2D());
    return 0;
}

int D3DOutlineBox(int x1, int y1, int x2, int y2, uint32_t colour) {
    if (!HasD3DDevice()) return -1;
    if (x1 == x2 || y1 == y2) return 0;
    BeginSceneIfNeeded();
    DropStageTexture();
    PrepareUntextured();
    const D3DCOLOR c = ShapeColour(colour);
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    auto* v = static_cast<Vertex2D*>(ReserveScreenVertices(0, D3DPT_TRIANGLELIST, 24));
    if (!v) return 0;
    const float z = GetDrawDepth2D();
    const float l = float(x1), t = float(y1), r = float(x2), b = float(y2);
    WriteColourQuad(v, l, t, r, t + 1, c, z);
    WriteColourQuad(v + 6, r - 1, t + 1, r, b, c, z);
    WriteColourQuad(v + 12, l, t + 1, l + 1, b, c, z);
    WriteColourQuad(v + 18, l + 1, b - 1, r - 1, b, c, z);
    return 0;
}

int D3DDrawLine(int x1, int y1, int x2, int y2, uint32_t colour) {
    if (!HasD3DDevice()) return -1;
    if (x1 == x2 && y1 == y2) return 0;
    BeginSceneIfNeeded();
    DropStageTexture();
    PrepareUntextured();
    const D3DCOLOR c = ShapeColour(colour);
    auto* v = static_cast<Vertex2D*>(ReserveScreenVertices(0, D3DPT_LINELIST, 2));
    if (!v) return 0;
    float endX = float(x2), endY = float(y2);
    // Axis-parallel lines: a vertical end is lengthened, a horizontal one shortened, by a tenth of a pixel.
    if (x1 == x2) endY += y2 >= y1 ? 0.1f : -0.1f;
    if (y1 == y2) endX += x2 > x1 ? -0.1f : 0.1f;
    const float z = GetDrawDepth2D();
    v[0].x = float(x1), v[0].y = float(y1), v[0].z = z, v[0].diffuse = c;
    v[1].x = endX, v[1].y = endY, v[1].z = z, v[1].diffuse = c;
    return 0;
}

int D3DDrawVertices(int tileIndex, int use3D, const GraphicEntry* graphic, const Vertex2DTex* vertices,
                    int count, int primitiveType, uint32_t extraFlags) {
    if (!HasD3DDevice()) return -1;
    const int primitives = PrimitiveCount(primitiveType, count);
    if (primitives < 0) return -1;
    if (graphic && (tileIndex < 0 || tileIndex >= graphic->block->textureCount)) return -1;
    FlushVertexBatch(0);
    BeginSceneIfNeeded();
    if (renderStateCache.stageSetup.blendTexture != 0) {
        SetBlendTexture(0, 0, 0);
        renderStateCache.stageSetup.dirty = 1;
    }
    uint32_t flags = 0x5078u | extraFlags | (use3D ? 0x880u : 0u);
    uintptr_t texture = 0;
    if (graphic) {
        flags |= GraphicDrawFlags(graphic, 0, 0);
        texture = reinterpret_cast<uintptr_t>(graphic->block->tiles[tileIndex].texture);
    }
    PrepareIfChanged(texture, flags);
    BindStageTexture(texture);
    if (primitives == 0 || vertices == nullptr) return 0;
    ApplyVertexFormat(0x144);
    DeviceDrawPrimitiveUP(D3DPRIMITIVETYPE(primitiveType), UINT(primitives), vertices, sizeof(Vertex2DTex));
    return 0;
}
