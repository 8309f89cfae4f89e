#include "platform/d3d9/texel_float.h"

#include "platform/d3d9/pixel_format.h"

namespace d3d9 {

bool FiltersAtEightBits(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4:
            return true;
        default:
            return false;
    }
}

ColorF DecodeTexelFloat(D3DFORMAT format, const uint8_t* texel) {
    if (!FiltersAtEightBits(format)) return {0, 0, 0, 1};
    const Color c = DecodePixel(format, texel);
    const float* unit = kUnitFloats.v;
    return {unit[c.r & 255], unit[c.g & 255], unit[c.b & 255], unit[c.a & 255]};
}

}  // namespace d3d9
