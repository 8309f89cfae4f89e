#include "engine/softrender/kernel_clip.h"

#include <algorithm>

#include "engine/softrender/soft_render_state.h"

namespace softrender {

bool KernelClip(const MEMIMG* dest, PixelClip* clip) {
    const int32_t* r = g_softRenderState.clipRect;
    clip->left = std::max(r[0], 0);
    clip->top = std::max(r[1], 0);
    clip->right = std::min(r[2], dest->width);
    clip->bottom = std::min(r[3], dest->height);
    return clip->left < clip->right && clip->top < clip->bottom;
}

bool DrawableDestination(const MEMIMG* dest) {
    return dest != nullptr && dest->base != nullptr && dest->base->hasPalette != 1 &&
           dest->base->hasAlpha != 1;
}

}  // namespace softrender
