#include "platform/d3d9/pixel_format.h"

#include <type_traits>

namespace d3d9 {

int BytesPerPixel(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
            return 4;
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4:
        case D3DFMT_D16:
        case D3DFMT_D16_LOCKABLE:
            return 2;
        default:
            return 0;
    }
}

bool IsColorFormat(D3DFORMAT format) {
    return BytesPerPixel(format) != 0 && !IsDepthFormat(format);
}

bool HasAlphaChannel(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_A1R5G5B5 || format == D3DFMT_A4R4G4B4;
}

bool IsDepthFormat(D3DFORMAT format) {
    return format == D3DFMT_D16 || format == D3DFMT_D16_LOCKABLE;
}

Color DecodePixel(D3DFORMAT format, const uint8_t* p) {
    Color c;
    DispatchColorFormat(format, [&](auto f) { c = Decode<decltype(f)::value>(p); });
    return c;
}

void EncodePixel(D3DFORMAT format, uint8_t* p, Color c) {
    DispatchColorFormat(format, [&](auto f) { Encode<decltype(f)::value>(p, c); });
}

}  // namespace d3d9
