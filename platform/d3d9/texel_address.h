// Texture addressing: the texel index each address mode gives for a texel position along one axis, as
// both samplers (the fixed-function stages and shaders) use it.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/d3d9/d3d9_types.h"

namespace d3d9 {

// The texel index of `i` on an axis of `size` texels; -1 means the border colour.
inline int TexelAddress(DWORD mode, int64_t i, int size) {
    if (i >= 0 && i < size) return int(i);  // every mode leaves the texture's own texels alone
    switch (mode) {
        case D3DTADDRESS_CLAMP:
            return int(std::clamp<int64_t>(i, 0, size - 1));
        case D3DTADDRESS_BORDER:
            return (i < 0 || i >= size) ? -1 : int(i);
        case D3DTADDRESS_MIRROR: {
            int64_t period = int64_t(size) * 2;
            int64_t m = ((i % period) + period) % period;
            return int(m < size ? m : period - 1 - m);
        }
        case D3DTADDRESS_MIRRORONCE: {
            int64_t m = i < 0 ? -i - 1 : i;
            return int(std::min<int64_t>(m, size - 1));
        }
        default:
            return int(((i % size) + size) % size);
    }
}

}  // namespace d3d9
