#include "platform/d3d9/texel_float.h"

#include "platform/d3d9/block_formats.h"
#include "platform/d3d9/channel_formats.h"
#include "platform/d3d9/pixel_format.h"

namespace d3d9 {

bool FiltersAtEightBits(D3DFORMAT format) {
    return IsColorFormat(format) && !IsWideFormat(format);
}

ColorF FetchTexelFloat(D3DFORMAT format, const uint8_t* bits, int pitch, int x, int y) {
    if (IsBlockFormat(format)) {
        const Color c = DecodeBlockTexel(
            format, bits + size_t(y / 4) * size_t(pitch) + size_t(x / 4) * size_t(BlockBytes(format)), x & 3,
            y & 3);
        const float* unit = kUnitFloats.v;
        return {unit[c.r], unit[c.g], unit[c.b], unit[c.a]};
    }
    const int bytes = BytesPerPixel(format);
    if (bytes == 0 || IsDepthFormat(format)) return {0, 0, 0, 1};
    return DecodePixelFloat(format, bits + size_t(y) * size_t(pitch) + size_t(x) * size_t(bytes));
}

}  // namespace d3d9
