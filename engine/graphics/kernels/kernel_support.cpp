#include "engine/graphics/kernels/kernel_support.h"

#include <algorithm>

#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/draw_state_preparation.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/stage_setup.h"
#include "engine/graphics/target/draw_target_state.h"

uint32_t GraphicDrawFlags(const GraphicEntry* graphic, int transparent, int oneToOne) {
    const GraphicDescription& d = graphic->block->description;
    return (transparent ? uint32_t(kDrawTransparent) : 0u) | (oneToOne ? uint32_t(kDrawOneToOne) : 0u) |
           (d.alphaChannel ? uint32_t(kDrawAlphaChannel) : 0u) |
           (d.colourKeyAlpha ? uint32_t(kDrawAlphaTest) : 0u);
}

uintptr_t FirstTileTexture(const GraphicEntry* graphic) {
    if (graphic->drawTileCount < 1 || graphic->drawTiles[0].tile == nullptr) return 0;
    return reinterpret_cast<uintptr_t>(graphic->drawTiles[0].tile->texture);
}

void PrepareIfChanged(uintptr_t texture, uint32_t flags) {
    if (DrawStatesNeedPreparing(texture, flags)) PrepareDrawStates(texture, flags);
}

D3DCOLOR ShapeColour(uint32_t colour) {
    int r = 0, g = 0, b = 0;
    UnpackColor(colour, &r, &g, &b);
    const uint32_t packed = GetPackedDrawColor();
    const auto scale = [](int c, uint32_t p) { return uint32_t(c) * (p & 255u) / 255u; };
    return (packed & 0xFF000000u) | (scale(r, packed >> 16) << 16) | (scale(g, packed >> 8) << 8) |
           scale(b, packed);
}

void* ReserveScreenVertices(int kind, int primitiveType, int count) {
    const VertexBufferFormat& f = kVertexBufferFormats[VertexBatchBufferIndex(0, kind)];
    if (vertexBatch.space == 0 && vertexBatch.kind == kind && vertexBatch.primitiveType == primitiveType &&
        vertexBatch.vertexCount + count >= f.capacity) {
        FlushVertexBatch(0);
    }
    return ReserveBatchVertices(0, kind, primitiveType, count);
}

void BindStageTexture(uintptr_t texture) {
    if (renderStateCache.stageSetup.texture == texture) return;
    SetStageTexture(texture);
    D3DDrawSetup(nullptr, 1, 0);
}

void BindBlendTile(const GraphicDrawTile* blendTile) {
    const GraphicTextureTile* t = blendTile->tile;
    StageSetupInputs& s = renderStateCache.stageSetup;
    // A first blend texture changes the whole stage plan (two texture sets), not only a binding.
    const bool first = s.blendTexture == 0;
    SetBlendTexture(reinterpret_cast<uintptr_t>(t->texture), t->textureWidth, t->textureHeight);
    if (first) s.dirty = 1;
    if (s.dirty || s.textureChanged) D3DDrawSetup(nullptr, 1, 0);
}

void WriteQuad(void* vertices, int kind, const QuadCorner corners[4], D3DCOLOR colour, float z) {
    static constexpr int kOrder[6] = {0, 1, 2, 3, 2, 1};
    for (int i = 0; i < 6; ++i) {
        const QuadCorner& c = corners[kOrder[i]];
        if (kind == 2) {
            Vertex2DTex2& v = static_cast<Vertex2DTex2*>(vertices)[i];
            v.x = c.x, v.y = c.y, v.z = z, v.diffuse = colour;
            v.u1 = c.blendU, v.v1 = c.blendV, v.u2 = c.u, v.v2 = c.v;
        } else {
            Vertex2DTex& v = static_cast<Vertex2DTex*>(vertices)[i];
            v.x = c.x, v.y = c.y, v.z = z, v.diffuse = colour, v.u = c.u, v.v = c.v;
        }
    }
}

void AppendQuad(const QuadCorner corners[4], D3DCOLOR colour, float z) {
    const int kind = vertexBatch.kind == 2 ? 2 : 1;
    void* room = ReserveScreenVertices(kind, D3DPT_TRIANGLELIST, 6);
    if (room) WriteQuad(room, kind, corners, colour, z);
}

const GraphicDrawTile* PairedBlendTile(const GraphicEntry* graphic, const GraphicEntry* blend, int i) {
    if (blend == nullptr || blend->drawTileCount < 1) return nullptr;
    return blend->drawTileCount == graphic->drawTileCount ? &blend->drawTiles[i] : &blend->drawTiles[0];
}

const GraphicDrawTile* BindDrawTile(const GraphicEntry* graphic, const GraphicEntry* blend, int i) {
    BindStageTexture(reinterpret_cast<uintptr_t>(graphic->drawTiles[i].tile->texture));
    const GraphicDrawTile* bt = PairedBlendTile(graphic, blend, i);
    if (bt) BindBlendTile(bt);
    return vertexBatch.kind == 2 ? bt : nullptr;
}

void BlendCoordinates(const GraphicDrawTile* blendTile, float gx, float gy, float* u, float* v) {
    if (blendTile == nullptr) {
        *u = *v = 0.0f;
        return;
    }
    int offsetX = 0, offsetY = 0;
    GetBlendGraphicOffset(&offsetX, &offsetY);
    const StageSetupInputs& s = renderStateCache.stageSetup;
    *u = (gx - blendTile->corners[0].x + float(offsetX)) * s.blendInvWidth;
    *v = (gy - blendTile->corners[0].y + float(offsetY)) * s.blendInvHeight;
}
