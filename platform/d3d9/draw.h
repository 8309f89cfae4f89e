// Primitive assembly of a draw call: vertices through the vertex stage, lists, strips and fans into
// points, lines and triangles, and the fast path for the axis-aligned quads of 2D drawing.
#pragma once

#include "platform/d3d9/vertex_processing.h"

namespace d3d9 {

struct DrawCall {
    const DeviceState* state = nullptr;
    VertexLayout layout;
    const PixelPipeline* pipeline = nullptr;
    RasterSetup raster;
};

// indices: null for a non-indexed draw; index values must lie below vertex_count.
void DrawPrimitives(const DrawCall& call, D3DPRIMITIVETYPE type, UINT primitive_count,
                    const uint8_t* vertices, UINT stride, UINT vertex_count, const void* indices,
                    bool index32);

// Draws six vertices (top left, top right, bottom left, bottom right, bottom left, top right) of a
// pre-transformed axis-aligned quad when the fast path gives the generic path's pixels; false otherwise.
bool DrawAxisAlignedQuad(const RasterSetup& raster, const ScreenVertex* q);

void SetFastPathsEnabled(bool enabled);
bool FastPathsEnabled();
// Quads drawn by the fast path since the start (tests check that it is reached).
uint64_t FastPathQuadCount();

}  // namespace d3d9
