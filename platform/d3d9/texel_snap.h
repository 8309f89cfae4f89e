// The sub-texel precision at which texture coordinates are resolved, as hardware resolves them: a
// coordinate (texels, 16 fraction bits) is rounded to the nearest 1/256 texel, halves up, before the
// point or bilinear texel choice. A pixel centre that falls on a texel edge, or a hair before it from
// rounding on the way there, then always takes the texel after the edge. The generic sampler and the
// fast paths both resolve through here, so they choose the same texels.
#pragma once

#include <cstdint>

namespace d3d9 {

inline constexpr int kTexelSnapBits = 8;

constexpr int64_t SnapTexelCoordinate(int64_t fixed16) {
    constexpr int kDropped = 16 - kTexelSnapBits;
    return ((fixed16 + (int64_t(1) << (kDropped - 1))) >> kDropped) << kDropped;
}

// The texel a snapped coordinate lies in, before addressing.
constexpr int64_t TexelOf(int64_t fixed16) {
    return SnapTexelCoordinate(fixed16) >> 16;
}

}  // namespace d3d9
