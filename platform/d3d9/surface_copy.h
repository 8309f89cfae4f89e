// Copies between surfaces: rectangle copies of one format (by blocks for block formats), point-sampled
// stretches with format conversion (through float channels where a format has no packed codec), and
// fills. Callers have checked the rectangles against both surfaces.
#pragma once

#include "platform/d3d9/surface_store.h"

namespace d3d9 {

void CopyRect(const SurfaceStore& src, IntRect src_rect, SurfaceStore& dst, int dst_x, int dst_y);
// Of a block format: the blocks that hold the rectangle, to the blocks of (dst_x, dst_y) (4-aligned).
void CopyBlocks(const SurfaceStore& src, IntRect src_rect, SurfaceStore& dst, int dst_x, int dst_y);
// Whether a rectangle of a block-format store covers whole blocks (or reaches the store's edge).
bool BlockAligned(const SurfaceStore& store, IntRect rect);
// Destination pixel x takes source column src.left + floor((2 (x - dst.left) + 1) src.width / (2 dst.width)).
void StretchPoint(const SurfaceStore& src, IntRect src_rect, SurfaceStore& dst, IntRect dst_rect);
// The part `visible` (inside dst_rect) of the stretch of src_rect onto dst_rect, written at dst's
// (out_x, out_y): dst_rect itself may reach outside dst.
void StretchPointPart(const SurfaceStore& src, IntRect src_rect, IntRect dst_rect, IntRect visible,
                      SurfaceStore& dst, int out_x, int out_y);
void FillRect(SurfaceStore& dst, IntRect rect, Color color);
void FillDepth(SurfaceStore& dst, IntRect rect, uint16_t depth);

}  // namespace d3d9
