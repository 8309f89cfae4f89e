#include "platform/d3d9/pixel_format.h"

#include <type_traits>

#include "platform/d3d9/channel_formats.h"

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
        case D3DFMT_A8L8:
        case D3DFMT_R16F:
            return 2;
        case D3DFMT_L8:
        case D3DFMT_A8:
            return 1;
        case D3DFMT_G16R16:
        case D3DFMT_G16R16F:
        case D3DFMT_R32F:
        case D3DFMT_D24S8:
        case D3DFMT_D24X8:
        case D3DFMT_D32:
            return 4;
        case D3DFMT_A16B16G16R16:
        case D3DFMT_A16B16G16R16F:
        case D3DFMT_G32R32F:
            return 8;
        case D3DFMT_A32B32G32R32F:
            return 16;
        default:
            return 0;
    }
}

bool IsColorFormat(D3DFORMAT format) {
    return (BytesPerPixel(format) != 0 && !IsDepthFormat(format)) || IsBlockFormat(format);
}

bool HasAlphaChannel(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4:
        case D3DFMT_A8L8:
        case D3DFMT_A8:
        case D3DFMT_A16B16G16R16:
        case D3DFMT_A16B16G16R16F:
        case D3DFMT_A32B32G32R32F:
            return true;
        default:
            return IsBlockFormat(format);
    }
}

bool IsDepthFormat(D3DFORMAT format) {
    return format == D3DFMT_D16 || format == D3DFMT_D16_LOCKABLE || format == D3DFMT_D24S8 ||
           format == D3DFMT_D24X8 || format == D3DFMT_D32;
}

bool IsBlockFormat(D3DFORMAT format) {
    return BlockBytes(format) != 0;
}

int BlockBytes(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_DXT1:
            return 8;
        case D3DFMT_DXT2:
        case D3DFMT_DXT3:
        case D3DFMT_DXT4:
        case D3DFMT_DXT5:
            return 16;
        default:
            return 0;
    }
}

bool IsPackedFormat(D3DFORMAT format) {
    return DispatchColorFormat(format, [](auto) {});
}

Color DecodePixel(D3DFORMAT format, const uint8_t* p) {
    Color c;
    if (DispatchColorFormat(format, [&](auto f) { c = Decode<decltype(f)::value>(p); })) return c;
    if (BytesPerPixel(format) == 0 || IsDepthFormat(format)) return c;
    const ColorF v = DecodePixelFloat(format, p);
    return {RoundedSteps(v.r, 255), RoundedSteps(v.g, 255), RoundedSteps(v.b, 255), RoundedSteps(v.a, 255)};
}

void EncodePixel(D3DFORMAT format, uint8_t* p, Color c) {
    if (DispatchColorFormat(format, [&](auto f) { Encode<decltype(f)::value>(p, c); })) return;
    if (BytesPerPixel(format) == 0 || IsDepthFormat(format)) return;
    const float* unit = kUnitFloats.v;
    EncodePixelFloat(format, p, {unit[c.r & 255], unit[c.g & 255], unit[c.b & 255], unit[c.a & 255]});
}

}  // namespace d3d9
