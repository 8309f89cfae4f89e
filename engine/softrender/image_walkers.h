// Walkers of the image kernels: the 1:1 blit's row loop and run-table fast path, and the stretch. They
// step the source, destination and blend-image positions and hand pixels to the operation; no blend
// logic lives here.
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

// The row loop.
template <class Op>
void Walk(const Op& op, const BlitGeometry& g) {
    for (int32_t y = 0; y < g.height; ++y) {
        uint8_t* d = g.dst + y * g.dstPitch;
        const uint8_t* s = g.src + y * g.srcPitch;
        const uint8_t* b = g.blend ? g.blend + y * g.blendPitch : nullptr;
        for (int32_t x = 0; x < g.width; ++x) {
            if constexpr (Op::kPairs) {
                // Pairs start at the row's first drawn pixel; an odd last pixel goes alone.
                if (x + 1 < g.width) {
                    op.Pair(d + x * g.dstBytes, s + x * g.srcBytes, b ? b + x : nullptr);
                    ++x;
                    continue;
                }
            }
            op(d + x * g.dstBytes, s + x * g.srcBytes, b ? b + x : nullptr);
        }
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

// A stretched draw in 16.16 steps. Destination pixel (i, j) of the clipped area shows source column
// column0 + columnStep * (columns advanced so far), the column advancing while the accumulator is 0
// or below; rows likewise. The blend image is read at the source's positions.
struct StretchGeometry {
    uint8_t* dst;  // the clipped area's top-left pixel
    ptrdiff_t dstPitch;
    int32_t dstBytes;
    const uint8_t* src;  // source pixel (0, 0)
    ptrdiff_t srcPitch;
    int32_t srcBytes;
    const uint8_t* blend;  // blend pixel (0, 0); null without a blend image
    ptrdiff_t blendPitch;
    int32_t width, height;  // the clipped area
    int32_t column0, row0;
    int32_t columnStep, rowStep;  // +1, or -1 when mirrored
    int64_t stepX, stepY;         // destination pixels per source pixel, 16.16, at least 1
    int64_t accX0, accY0;
};

template <class Op>
void Walk(const Op& op, const StretchGeometry& g) {
    int64_t accY = g.accY0;
    int32_t row = g.row0;
    for (int32_t y = 0; y < g.height; ++y) {
        uint8_t* d = g.dst + y * g.dstPitch;
        const uint8_t* s = g.src + row * g.srcPitch;
        const uint8_t* b = g.blend ? g.blend + row * g.blendPitch : nullptr;
        int64_t accX = g.accX0;
        int32_t column = g.column0;
        for (int32_t x = 0; x < g.width; ++x) {
            op(d + x * g.dstBytes, s + column * g.srcBytes, b ? b + column : nullptr);
            for (accX -= 0x10000; accX <= 0; accX += g.stepX) column += g.columnStep;
        }
        for (accY -= 0x10000; accY <= 0; accY += g.stepY) row += g.rowStep;
    }
}
