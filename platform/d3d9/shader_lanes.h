// The lanes a shader runs on: a 2x2 quad of pixels, or four vertices, at a time. Each register component
// is a vector of one float per lane, so that every instruction is a few vector operations.
#pragma once

#include <cstdint>

namespace d3d9 {

constexpr int kShaderLanes = 4;
typedef float LaneFloat __attribute__((vector_size(kShaderLanes * 4)));
typedef int32_t LaneInt __attribute__((vector_size(kShaderLanes * 4)));
using LaneMask = uint32_t;  // one bit per lane
constexpr LaneMask kAllLanes = (1u << kShaderLanes) - 1;

// One register: four components of every lane.
struct alignas(16) LaneVector {
    LaneFloat c[4];
};
// From a component of one register to the same component of the next in an array of them.
constexpr int kQuadStride = int(sizeof(LaneVector) / sizeof(LaneFloat));

inline LaneFloat Broadcast(float v) {
    return LaneFloat{} + v;
}

// The lanes of a mask as all-ones integers.
inline LaneInt MaskLanes(LaneMask mask) {
    const LaneInt bits = {1, 2, 4, 8};
    return (bits & int32_t(mask)) != 0;
}

// The mask of the lanes where `v` is true (all ones).
inline LaneMask LanesOf(LaneInt v) {
    LaneMask m = 0;
    for (int l = 0; l < kShaderLanes; ++l) m |= LaneMask(v[l] != 0) << l;
    return m;
}

// [0, 1], NaN to 0.
inline LaneFloat Saturate(LaneFloat v) {
    v = v > 0.0f ? v : 0.0f;
    return v < 1.0f ? v : 1.0f;
}

}  // namespace d3d9
