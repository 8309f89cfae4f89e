// The set-up of a triangle: its corners in 14.18 fixed point, the texture gradients and the edges of
// its two sides, all in 64 bits.
#pragma once

#include "engine/softrender/span_walkers.h"
#include "engine/softrender/triangle_kernels.h"

namespace softrender {

// Fills the edges, the first rows and the texel mapping of `g`. False for a triangle of zero area
// or corners beyond +-2^24.
bool SetUpTriangle(const TriangleVertex* vertices, TriangleGeometry* g);

}  // namespace softrender
