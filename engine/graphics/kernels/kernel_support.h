// What the Direct3D draw kernels share: the draw flags and first texture of a graphic, the preparation
// through the latch, the shape colour, batch reservation and the six-vertex textured quad.
#pragma once

#include <cstdint>

#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/handles/graphic_records.h"

// One corner of a textured quad: screen position, the graphic's texture coordinates and the blend
// graphic's (kind 2 only).
struct QuadCorner {
    float x, y, u, v, blendU, blendV;
};

// Draw flags of a graphic draw: transparent, one to one, and the alpha-channel and alpha-test bits of
// its image block.
uint32_t GraphicDrawFlags(const GraphicEntry* graphic, int transparent, int oneToOne);
// The texture of the graphic's first draw tile (0 when none).
uintptr_t FirstTileTexture(const GraphicEntry* graphic);
// PrepareDrawStates when the latch says the states, the texture or the flags changed.
void PrepareIfChanged(uintptr_t texture, uint32_t flags);

// The caller's colour value times the packed draw colour / 255 per channel (truncated), with the packed
// colour's alpha.
D3DCOLOR ShapeColour(uint32_t colour);

// Room for `count` vertices of a screen-space batch of (kind, primitive type); the batch is drawn first
// when it has another shape or when the count would reach the kind's capacity.
void* ReserveScreenVertices(int kind, int primitiveType, int count);

// Binds the texture to stage 0 and rebuilds the stage setup when it is not bound already.
void BindStageTexture(uintptr_t texture);
// Binds a blend tile's texture (with its size) to stage 1, and rebuilds the stage setup when needed.
void BindBlendTile(const GraphicDrawTile* blendTile);

// Writes one quad, corners top-left, top-right, bottom-left, bottom-right, as the six vertices TL, TR,
// BL, BR, BL, TR of a kind-1 or kind-2 batch; colour and z in all six.
void WriteQuad(void* vertices, int kind, const QuadCorner corners[4], D3DCOLOR colour, float z);
// Reserves a triangle-list quad of the batch's current kind and writes it.
void AppendQuad(const QuadCorner corners[4], D3DCOLOR colour, float z);

// The blend graphic's draw tile that pairs with tile i of the graphic: tile i, or its first tile when the
// tile counts differ.
const GraphicDrawTile* PairedBlendTile(const GraphicEntry* graphic, const GraphicEntry* blend, int i);
// Binds tile i's texture to stage 0 and, with a blend graphic, the paired blend tile's to stage 1. The
// blend tile when the batch draws two-texture vertices (kind 2) afterwards, else null.
const GraphicDrawTile* BindDrawTile(const GraphicEntry* graphic, const GraphicEntry* blend, int i);
// The blend graphic's texture coordinates of graphic pixel (gx, gy): its offset from the blend tile's
// corner, moved by the blend graphic's position, over the bound blend texture's size.
void BlendCoordinates(const GraphicDrawTile* blendTile, float gx, float gy, float* u, float* v);
