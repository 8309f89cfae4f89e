// What the image kernels settle once per call before walking: the refusals they share, the key of
// the rule table and the prepared values of the pixel operations.
#pragma once

#include <cstddef>

#include "engine/softrender/image_ops.h"
#include "engine/softrender/mem_img.h"

namespace softrender {

struct ImageCall {
    size_t key;  // into the image key space
    ImageArgs args;
};

// False when the call draws nothing: an unusable destination, a source of another kind or of kind 2
// or 3, a blend image smaller than the source, or a blend mode that draws nothing. Reads the render
// state, the tables and the SIMD flag.
bool PrepareImageCall(const MEMIMG* dest, const MEMIMG* source, int transparentFlag, const MEMIMG* blendImage,
                      ImageCall* call);

}  // namespace softrender
