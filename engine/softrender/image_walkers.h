// Walkers of the 1:1 image blit: the row loop and the run-table fast path. They step the source,
// destination and blend-image positions and hand pixels to the operation; no blend logic lives here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/softrender/mem_img.h"

namespace softrender {

struct BlitGeometry {
    uint8_t* dst;
    ptrdiff_t dstPitch;
    int32_t dstBytes;
    const uint8_t* src;
    ptrdiff_t srcPitch;
    int32_t srcBytes;
    const uint8_t* blend;  // null without a blend image
    ptrdiff_t blendPitch;
    int32_t width, height;
    const MemImgRunTable* runs;  // fast path only
};

template <class Op>
void WalkRows(const Op& op, const BlitGeometry& g) {
    for (int32_t y = 0; y < g.height; ++y) {
        uint8_t* d = g.dst + y * g.dstPitch;
        const uint8_t* s = g.src + y * g.srcPitch;
        const uint8_t* b = g.blend ? g.blend + y * g.blendPitch : nullptr;
        for (int32_t x = 0; x < g.width; ++x) op(d + x * g.dstBytes, s + x * g.srcBytes, b ? b + x : nullptr);
    }
}

template <class Op>
void WalkRuns(const Op& op, const BlitGeometry& g) {
    const MemImgRunTable* run = g.runs;
    for (int32_t y = 0; y < g.height; ++y, ++run) {
        uint8_t* d = g.dst + y * g.dstPitch;
        const uint8_t* s = g.src + y * g.srcPitch;
        const uint8_t* b = g.blend ? g.blend + y * g.blendPitch : nullptr;
        int32_t x = 0;
        for (; (*run & kMemImgRunEnd) != kMemImgRunEnd; ++run) {
            const int32_t n = (*run & 0x3F) + 1;
            const int kind = *run >> 6;
            for (int32_t i = x; i < x + n && kind != 0; ++i) {
                uint8_t* dp = d + i * g.dstBytes;
                const uint8_t* sp = s + i * g.srcBytes;
                const uint8_t* bp = b ? b + i : nullptr;
                if (kind == 1) {
                    op.Opaque(dp, sp, bp);
                } else {
                    op.Translucent(dp, sp, bp);
                }
            }
            x += n;
        }
    }
}

}  // namespace softrender
