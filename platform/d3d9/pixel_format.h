// The colour and depth formats the stand-in stores: sizes, decoding to 8-bit channels and quantising
// encoding (every write to a 16-bit format rounds each channel to its nearest representable value). The
// six packed 16- and 32-bit formats have compile-time codecs for the fast paths; the others are read and
// written through float channels (channel_formats.h) or by blocks (block_formats.h).
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/d3d9/d3d9_types.h"

namespace d3d9 {

struct Color {
    int r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Color&) const = default;
};

inline Color ColorFromArgb(uint32_t argb) {
    return {int((argb >> 16) & 255), int((argb >> 8) & 255), int(argb & 255), int(argb >> 24)};
}
inline uint32_t ArgbFromColor(Color c) {
    return (uint32_t(c.a) << 24) | (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | uint32_t(c.b);
}

// Truncated a / 255 for 0 <= a <= 255 * 255 * 4. Every product of the pixel path drops its fraction,
// as the software renderer's tables and mixes do, so both renderers agree within one step.
inline int Div255(int a) {
    return int(unsigned(a) / 255u);
}
inline int Mul255(int a, int b) {
    return Div255(a * b);
}

// n-bit channels read as the nearest 8-bit value (v / max of full scale, as Direct3D reads unsigned
// normalised channels).
constexpr int Expand5(int v) {
    return (v * 255 + 15) / 31;
}
constexpr int Expand6(int v) {
    return (v * 255 + 31) / 63;
}
constexpr int Quantize(int v, int max) {
    return (v * max + 127) / 255;
}

// The rules above as tables, for the encoders and decoders of the 16-bit formats.
struct ChannelTables {
    uint8_t quantize4[256], quantize5[256], quantize6[256];
    uint8_t expand5[32], expand6[64];
};
constexpr ChannelTables MakeChannelTables() {
    ChannelTables t{};
    for (int v = 0; v < 256; ++v) {
        t.quantize4[v] = uint8_t(Quantize(v, 15));
        t.quantize5[v] = uint8_t(Quantize(v, 31));
        t.quantize6[v] = uint8_t(Quantize(v, 63));
    }
    for (int v = 0; v < 32; ++v) t.expand5[v] = uint8_t(Expand5(v));
    for (int v = 0; v < 64; ++v) t.expand6[v] = uint8_t(Expand6(v));
    return t;
}
inline constexpr ChannelTables kChannelTables = MakeChannelTables();

// 0 for a format the stand-in cannot store, and for the block formats.
int BytesPerPixel(D3DFORMAT format);
bool IsColorFormat(D3DFORMAT format);
bool HasAlphaChannel(D3DFORMAT format);
bool IsDepthFormat(D3DFORMAT format);
// DXT1 to DXT5; a block covers 4 x 4 texels in BlockBytes bytes (0 for other formats).
bool IsBlockFormat(D3DFORMAT format);
int BlockBytes(D3DFORMAT format);
// A 16-bit depth as a 32-bit depth format keeps it: D24 formats as 24 bits (the 16 and their high byte
// again) above the stencil byte, D32 the 16 bits twice. Either reads back as the top 16 bits.
inline uint32_t DepthWord(D3DFORMAT format, uint32_t depth16) {
    return format == D3DFMT_D32 ? (depth16 << 16) | depth16 : (depth16 << 16) | ((depth16 >> 8) << 8);
}

// R5G6B5, X1R5G5B5, A1R5G5B5, A4R4G4B4, X8R8G8B8, A8R8G8B8: the formats DispatchColorFormat calls for.
bool IsPackedFormat(D3DFORMAT format);

template <D3DFORMAT F>
inline Color Decode(const uint8_t* p) {
    if constexpr (F == D3DFMT_A8R8G8B8 || F == D3DFMT_X8R8G8B8) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        Color c = ColorFromArgb(v);
        if constexpr (F == D3DFMT_X8R8G8B8) c.a = 255;
        return c;
    } else {
        uint16_t v;
        std::memcpy(&v, p, 2);
        if constexpr (F == D3DFMT_R5G6B5) {
            const ChannelTables& t = kChannelTables;
            return {t.expand5[v >> 11], t.expand6[(v >> 5) & 63], t.expand5[v & 31], 255};
        } else if constexpr (F == D3DFMT_X1R5G5B5 || F == D3DFMT_A1R5G5B5) {
            int a = F == D3DFMT_X1R5G5B5 ? 255 : ((v >> 15) ? 255 : 0);
            const ChannelTables& t = kChannelTables;
            return {t.expand5[(v >> 10) & 31], t.expand5[(v >> 5) & 31], t.expand5[v & 31], a};
        } else {
            static_assert(F == D3DFMT_A4R4G4B4);
            return {((v >> 8) & 15) * 17, ((v >> 4) & 15) * 17, (v & 15) * 17, (v >> 12) * 17};
        }
    }
}

// The X bits of X8R8G8B8 and X1R5G5B5 are written set. Channels are 0..255.
template <D3DFORMAT F>
inline void Encode(uint8_t* p, Color c) {
    if constexpr (F == D3DFMT_A8R8G8B8 || F == D3DFMT_X8R8G8B8) {
        if constexpr (F == D3DFMT_X8R8G8B8) c.a = 255;
        uint32_t v = ArgbFromColor(c);
        std::memcpy(p, &v, 4);
    } else {
        const ChannelTables& t = kChannelTables;
        const unsigned r = unsigned(c.r) & 255, g = unsigned(c.g) & 255, b = unsigned(c.b) & 255,
                       a = unsigned(c.a) & 255;
        uint16_t v;
        if constexpr (F == D3DFMT_R5G6B5) {
            v = uint16_t((t.quantize5[r] << 11) | (t.quantize6[g] << 5) | t.quantize5[b]);
        } else if constexpr (F == D3DFMT_X1R5G5B5 || F == D3DFMT_A1R5G5B5) {
            unsigned x = F == D3DFMT_X1R5G5B5 ? 1 : a >> 7;
            v = uint16_t((x << 15) | (t.quantize5[r] << 10) | (t.quantize5[g] << 5) | t.quantize5[b]);
        } else {
            static_assert(F == D3DFMT_A4R4G4B4);
            v = uint16_t((t.quantize4[a] << 12) | (t.quantize4[r] << 8) | (t.quantize4[g] << 4) |
                         t.quantize4[b]);
        }
        std::memcpy(p, &v, 2);
    }
}

// Runtime forms for any per-pixel colour format, on 8-bit channels (wider channels clamped to [0, 1] and
// rounded; unsupported formats decode as 0 and are not written).
Color DecodePixel(D3DFORMAT format, const uint8_t* p);
void EncodePixel(D3DFORMAT format, uint8_t* p, Color c);

// Calls f(std::integral_constant<D3DFORMAT, F>) for the stored colour formats; returns false otherwise.
template <typename Fn>
bool DispatchColorFormat(D3DFORMAT format, Fn&& fn) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
            fn(std::integral_constant<D3DFORMAT, D3DFMT_A8R8G8B8>{});
            return true;
        case D3DFMT_X8R8G8B8:
            fn(std::integral_constant<D3DFORMAT, D3DFMT_X8R8G8B8>{});
            return true;
        case D3DFMT_R5G6B5:
            fn(std::integral_constant<D3DFORMAT, D3DFMT_R5G6B5>{});
            return true;
        case D3DFMT_X1R5G5B5:
            fn(std::integral_constant<D3DFORMAT, D3DFMT_X1R5G5B5>{});
            return true;
        case D3DFMT_A1R5G5B5:
            fn(std::integral_constant<D3DFORMAT, D3DFMT_A1R5G5B5>{});
            return true;
        case D3DFMT_A4R4G4B4:
            fn(std::integral_constant<D3DFORMAT, D3DFMT_A4R4G4B4>{});
            return true;
        default:
            return false;
    }
}

}  // namespace d3d9
