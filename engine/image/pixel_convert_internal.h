// Shared state of one ConvertPixelFormatBlit call, used by its general path and its dedicated loops.
#pragma once

#include <cstdint>

#include "engine/image/color_format.h"

struct BlitRegion {
    uint8_t* dest;
    int destPitch;
    const uint8_t* src;
    int srcPitch;
    const uint8_t* alpha;
    int alphaPitch;
    int destX;
    int destY;
    int left;
    int top;
    int width;
    int height;

    uint8_t* DestAt(int x, int y, int bytes) const {
        return dest + static_cast<intptr_t>(destY + y) * destPitch + static_cast<intptr_t>(destX + x) * bytes;
    }
    const uint8_t* SrcAt(int x, int y, int bytes) const {
        return src + static_cast<intptr_t>(top + y) * srcPitch + static_cast<intptr_t>(left + x) * bytes;
    }
    const uint8_t* AlphaAt(int x, int y, int bytes) const {
        return alpha + static_cast<intptr_t>(top + y) * alphaPitch + static_cast<intptr_t>(left + x) * bytes;
    }
};

struct BlitOptions {
    int mirror;
    int keyToAlpha;
    uint32_t keyColor;
    int dither;
    int alphaOnly;
    int alphaFromRed;
    int skipKey;
    bool alphaGiven;          // alpha pixels were passed
    bool alphaSourcePresent;  // destination alpha comes from the alpha image or the source's alpha
    bool useAlphaImage;       // destination alpha comes from the alpha image
};

// Palette entry `index` read as 0xAARRGGBB.
inline uint32_t PaletteValue(const ColorFormat& f, uint32_t index) {
    const PaletteEntry& e = f.palette[index & 0xFF];
    return uint32_t{e.blue} | uint32_t{e.green} << 8 | uint32_t{e.red} << 16 | uint32_t{e.alpha} << 24;
}

// The dedicated loops for common pairs of formats; false when the pair has none.
bool RunDedicatedConvertLoop(const BlitRegion& region, const ColorFormat& dest, const ColorFormat& src,
                             const BlitOptions& options);
// The general per-pixel path.
void RunGeneralConvert(const BlitRegion& region, const ColorFormat& dest, const ColorFormat& src,
                       const ColorFormat& alpha, const BlitOptions& options);
