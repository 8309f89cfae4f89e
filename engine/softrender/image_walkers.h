// Walkers of the image kernels: the 1:1 blit's row loop and run-table fast path, and the stretch. They
// step the source, destination and blend-image positions and hand pixels to the operation; no blend
// logic lives here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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

// The row loop. The geometry is read into locals once: stores through the rows' byte pointers could
// otherwise alias it.
template <class Op>
void Walk(const Op& op, const BlitGeometry& g) {
    uint8_t* d = g.dst;
    const uint8_t* s = g.src;
    const uint8_t* b = g.blend;
    const ptrdiff_t dstPitch = g.dstPitch, srcPitch = g.srcPitch, blendPitch = g.blendPitch;
    const int32_t width = g.width;
    for (int32_t y = g.height; y > 0; --y, d += dstPitch, s += srcPitch) {
        op.Row(d, s, b, width);
        if (b != nullptr) b += blendPitch;
    }
}

template <class Op>
void WalkRuns(const Op& op, const BlitGeometry& g) {
    constexpr ptrdiff_t kDst = Op::kDstBytes, kSrc = Op::kSrcBytes;
    const MemImgRunTable* run = g.runs;
    uint8_t* rowDst = g.dst;
    const uint8_t* rowSrc = g.src;
    const uint8_t* rowBlend = g.blend;
    const ptrdiff_t dstPitch = g.dstPitch, srcPitch = g.srcPitch, blendPitch = g.blendPitch;
    for (int32_t y = g.height; y > 0; --y, ++run, rowDst += dstPitch, rowSrc += srcPitch) {
        int32_t x = 0;
        for (; (*run & kMemImgRunEnd) != kMemImgRunEnd; ++run) {
            const int32_t n = (*run & 0x3F) + 1;
            const int kind = *run >> 6;
            const uint8_t* b = rowBlend != nullptr ? rowBlend + x : nullptr;
            if (kind == 1) {
                op.OpaqueRun(rowDst + x * kDst, rowSrc + x * kSrc, b, n);
            } else if (kind == 2) {
                op.TranslucentRun(rowDst + x * kDst, rowSrc + x * kSrc, b, n);
            }
            x += n;
        }
        if (rowBlend != nullptr) rowBlend += blendPitch;
    }
}

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

// The source column of every destination column; the same for every row, so it is walked once.
inline std::vector<int32_t> StretchColumns(const StretchGeometry& g) {
    std::vector<int32_t> columns(static_cast<size_t>(g.width));
    int64_t accX = g.accX0;
    int32_t column = g.column0;
    for (int32_t& c : columns) {
        c = column;
        for (accX -= 0x10000; accX <= 0; accX += g.stepX) column += g.columnStep;
    }
    return columns;
}

template <class Op>
void Walk(const Op& op, const StretchGeometry& g) {
    constexpr ptrdiff_t kDst = Op::kDstBytes, kSrc = Op::kSrcBytes;
    const std::vector<int32_t> columns = StretchColumns(g);
    const int32_t* column = columns.data();
    const int32_t width = g.width;
    const ptrdiff_t dstPitch = g.dstPitch, srcPitch = g.srcPitch, blendPitch = g.blendPitch;
    const int64_t stepY = g.stepY;
    const int32_t rowStep = g.rowStep;
    int64_t accY = g.accY0;
    int32_t row = g.row0;
    uint8_t* d = g.dst;
    for (int32_t y = g.height; y > 0; --y, d += dstPitch) {
        const uint8_t* s = g.src + row * srcPitch;
        if (g.blend != nullptr) {
            const uint8_t* b = g.blend + row * blendPitch;
            for (int32_t x = 0; x < width; ++x) op(d + x * kDst, s + column[x] * kSrc, b + column[x]);
        } else {
            for (int32_t x = 0; x < width; ++x) op(d + x * kDst, s + column[x] * kSrc, nullptr);
        }
        for (accY -= 0x10000; accY <= 0; accY += stepY) row += rowStep;
    }
}

}  // namespace softrender
