// Texture coordinates as the pixel centres see them. Coverage follows the vertices snapped to the sub-pixel
// grid, but the texel a pixel shows follows the mapping the vertices give at their own positions: a vertex
// that the snap moves takes the coordinates that mapping gives at its snapped place, so interpolating over
// the snapped vertices reproduces the mapping. Unmoved vertices and perspective-divided primitives (whose
// mapping is not affine on the screen) are left as they are.
#pragma once

#include "platform/d3d9/rasterizer.h"

namespace d3d9 {

void PlaceTexelsAtSnappedVertices(ScreenVertex& a, ScreenVertex& b, ScreenVertex& c);

// The corners of a quad (top left, top right, bottom left, bottom right). Only an axis-aligned rectangle
// with coordinates running along its sides is moved, each coordinate along its own axis, so that corners
// that shared a coordinate still share it.
void PlaceTexelsAtSnappedCorners(ScreenVertex q[4]);

}  // namespace d3d9
