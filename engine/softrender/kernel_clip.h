// The clip rectangle a kernel draws within: the render state's clip rectangle intersected with the
// destination surface, so that no kernel writes outside its destination whatever the state holds.
#pragma once

#include "engine/softrender/colour_walkers.h"
#include "engine/softrender/mem_img.h"

namespace softrender {

// Returns false when the intersection is empty.
bool KernelClip(const MEMIMG* dest, PixelClip* clip);

// A destination that kernels draw into: a valid record of a colour kind without palette or alpha.
bool DrawableDestination(const MEMIMG* dest);

}  // namespace softrender
