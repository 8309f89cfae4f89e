#include "engine/image/pixel_convert.h"

#include <algorithm>
#include <cstring>

#include "engine/image/block_decode.h"
#include "engine/image/pixel_convert_internal.h"
#include "engine/image/soft_image.h"

namespace {

// Destination x of the i-th pixel of a row, honouring the mirror.
int DestColumn(const BlitRegion& r, int i, int mirror) {
    return mirror ? r.width - 1 - i : i;
}

int RemapPalette(const BlitRegion& r, const ColorFormat& dest, const ColorFormat& src) {
    for (int y = 0; y < r.height; ++y) {
        for (int x = 0; x < r.width; ++x) {
            const PaletteEntry& e = src.palette[*r.SrcAt(x, y, 1)];
            *r.DestAt(x, y, 1) = static_cast<uint8_t>(MakePixelValue(&dest, e.red, e.green, e.blue, 0));
        }
    }
    return 0;
}

// Any non-8-bit source into a palette destination: the nearest palette index of each pixel.
int ConvertToNearestIndex(const BlitRegion& r, const ColorFormat& dest, const ColorFormat& src, int mirror) {
    int bytes = src.pixelBytes;
    if (src.bitDepth != 16 && src.bitDepth != 24 && src.bitDepth != 32) return 0;
    for (int y = 0; y < r.height; ++y) {
        for (int x = 0; x < r.width; ++x) {
            uint32_t v = ReadPixelValue(r.SrcAt(x, y, bytes), bytes);
            int red = static_cast<int>(ScaleChannel((v & src.redMask) >> src.redShift, src.redWidth, 8));
            int green =
                static_cast<int>(ScaleChannel((v & src.greenMask) >> src.greenShift, src.greenWidth, 8));
            int blue = static_cast<int>(ScaleChannel((v & src.blueMask) >> src.blueShift, src.blueWidth, 8));
            int alpha =
                static_cast<int>(ScaleChannel((v & src.alphaMask) >> src.alphaShift, src.alphaWidth, 8));
            *r.DestAt(DestColumn(r, x, mirror), y, 1) =
                static_cast<uint8_t>(MakePixelValue(&dest, red, green, blue, alpha));
        }
    }
    return 0;
}

int CopyIndices(const BlitRegion& r) {
    int highest = 0;
    for (int y = 0; y < r.height; ++y) {
        const uint8_t* in = r.SrcAt(0, y, 1);
        std::memcpy(r.DestAt(0, y, 1), in, static_cast<size_t>(r.width));
        highest = std::max<int>(highest, *std::max_element(in, in + r.width));
    }
    return highest;
}

void CopySameLayout(const BlitRegion& r, const ColorFormat& f, const BlitOptions& o) {
    int bytes = f.pixelBytes;
    if (o.mirror) {
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x)
                std::memcpy(r.DestAt(r.width - 1 - x, y, bytes), r.SrcAt(x, y, bytes), bytes);
        return;
    }
    if (o.skipKey) {
        uint32_t key = f.bitDepth == 24 ? (o.keyColor & 0xFFFFFF) : o.keyColor;
        for (int y = 0; y < r.height; ++y) {
            for (int x = 0; x < r.width; ++x) {
                const uint8_t* in = r.SrcAt(x, y, bytes);
                if (ReadPixelValue(in, bytes) != key) std::memcpy(r.DestAt(x, y, bytes), in, bytes);
            }
        }
        return;
    }
    for (int y = 0; y < r.height; ++y)
        std::memcpy(r.DestAt(0, y, bytes), r.SrcAt(0, y, bytes), static_cast<size_t>(r.width) * bytes);
}

bool IsPlainRgb32(const ColorFormat& f, uint32_t alphaMask) {
    return f.bitDepth == 32 && f.redMask == 0xFF0000 && f.greenMask == 0xFF00 && f.blueMask == 0xFF &&
           f.alphaMask == alphaMask;
}

// XRGB8 into ARGB8 leaving pixels of the key colour untouched.
void CopySkippingKeyToArgb(const BlitRegion& r, uint32_t key) {
    for (int y = 0; y < r.height; ++y) {
        for (int x = 0; x < r.width; ++x) {
            uint32_t s = ReadPixelValue(r.SrcAt(x, y, 4), 4);
            if ((s & 0xFFFFFF) != (key & 0xFFFFFF)) WritePixelValue(r.DestAt(x, y, 4), 4, s | 0xFF000000);
        }
    }
}

// Same colour layout with a destination alpha: alpha 0 where the source is the key colour, full elsewhere.
void KeyToAlphaSameLayout(const BlitRegion& r, const ColorFormat& dest, const ColorFormat& src,
                          const BlitOptions& o) {
    int bytes = dest.pixelBytes;
    uint32_t keyPixel =
        MakePixelValue(&dest, (o.keyColor >> 16) & 0xFF, (o.keyColor >> 8) & 0xFF, o.keyColor & 0xFF, 255);
    uint32_t outsideColor = ~(dest.redMask | dest.greenMask | dest.blueMask);
    for (int y = 0; y < r.height; ++y) {
        for (int x = 0; x < r.width; ++x) {
            uint32_t s = ReadPixelValue(r.SrcAt(x, y, src.pixelBytes), src.pixelBytes);
            uint32_t compared = bytes == 4 ? (s | outsideColor) : s;
            uint32_t out = compared == keyPixel ? (s & ~dest.alphaMask) : (s | dest.alphaMask);
            WritePixelValue(r.DestAt(DestColumn(r, x, o.mirror), y, bytes), bytes, out);
        }
    }
}

bool SameMasks(const ColorFormat& a, const ColorFormat& b) {
    return a.redMask == b.redMask && a.greenMask == b.greenMask && a.blueMask == b.blueMask;
}

}  // namespace

int ConvertPixelFormatBlit(void* destPixels, int destPitch, const ColorFormat* destFormat,
                           const void* srcPixels, int srcPitch, const ColorFormat* srcFormat,
                           const void* alphaPixels, int alphaPitch, const ColorFormat* alphaFormat, int destX,
                           int destY, const RECT* srcRect, int mirror, int keyToAlpha, uint32_t keyColor,
                           int dither, int alphaOnly, int alphaFromRed, int skipKey, int remapPalette) {
    const ColorFormat dest = *destFormat;
    const ColorFormat src = *srcFormat;
    ColorFormat alpha{};
    if (alphaFormat) alpha = *alphaFormat;

    BlitOptions o{};
    o.mirror = mirror;
    o.keyColor = keyColor;
    o.dither = dither;
    o.alphaOnly = alphaOnly;
    o.alphaFromRed = alphaFromRed;
    o.alphaGiven = alphaPixels != nullptr;
    o.alphaSourcePresent = dest.alphaWidth != 0 && (o.alphaGiven || src.alphaWidth != 0);
    o.useAlphaImage = dest.alphaWidth != 0 && o.alphaGiven && src.alphaWidth == 0;
    o.keyToAlpha = keyToAlpha && !o.alphaSourcePresent && dest.alphaWidth != 0 && !alphaFromRed;
    o.skipKey = skipKey && !mirror;

    BlitRegion r{static_cast<uint8_t*>(destPixels),
                 destPitch,
                 static_cast<const uint8_t*>(srcPixels),
                 srcPitch,
                 static_cast<const uint8_t*>(alphaPixels),
                 alphaPitch,
                 destX,
                 destY,
                 srcRect->left,
                 srcRect->top,
                 srcRect->right - srcRect->left,
                 srcRect->bottom - srcRect->top};
    if (r.width <= 0 || r.height <= 0) return -1;

    if (remapPalette && dest.pixelBytes == 1 && src.pixelBytes == 1 && !mirror &&
        std::memcmp(dest.palette, src.palette, sizeof(dest.palette)) != 0) {
        return RemapPalette(r, dest, src);
    }
    if (dest.bitDepth == 8 && src.bitDepth != 8 && !alphaFromRed)
        return ConvertToNearestIndex(r, dest, src, mirror);
    if (dest.bitDepth == 8 && !alphaOnly && !o.skipKey && !alphaFromRed && !mirror) return CopyIndices(r);

    bool sameLayout = !o.keyToAlpha && !o.useAlphaImage && !alphaOnly && !alphaFromRed &&
                      dest.bitDepth == src.bitDepth && SameMasks(dest, src) &&
                      dest.alphaMask == src.alphaMask;
    if (sameLayout) {
        CopySameLayout(r, dest, o);
        return 0;
    }
    if (o.skipKey) {
        bool loop = IsPlainRgb32(src, 0) && IsPlainRgb32(dest, 0xFF000000) && !alphaOnly && !alphaFromRed &&
                    !o.keyToAlpha && !o.alphaSourcePresent && !o.useAlphaImage;
        if (loop) {
            CopySkippingKeyToArgb(r, keyColor);
            return 0;
        }
    } else if (o.keyToAlpha && !alphaOnly && dest.bitDepth == src.bitDepth && SameMasks(dest, src)) {
        KeyToAlphaSameLayout(r, dest, src, o);
        return 0;
    } else if (!dither && !alphaOnly && !alphaFromRed && !mirror && !o.alphaGiven &&
               RunDedicatedConvertLoop(r, dest, src, o)) {
        return 0;
    }
    RunGeneralConvert(r, dest, src, alpha, o);
    return 0;
}

int BlitImageRect(int srcX, int srcY, int width, int height, int destX, int destY, SoftImage* source,
                  SoftImage* destination) {
    if (DecodeBlockCompressedImage(source) != 0) return -1;
    if (DecodeBlockCompressedImage(destination) != 0) return -1;
    if (srcX < 0) width += srcX, destX -= srcX, srcX = 0;
    if (srcY < 0) height += srcY, destY -= srcY, srcY = 0;
    if (destX < 0) width += destX, srcX -= destX, destX = 0;
    if (destY < 0) height += destY, srcY -= destY, destY = 0;
    if (destX + width > destination->width) width = destination->width - destX;
    if (destY + height > destination->height) height = destination->height - destY;
    if (srcX + width > source->width) width = source->width - srcX;
    if (srcY + height > source->height) height = source->height - srcY;
    if (width < 1 || height < 1) return 0;
    RECT rect{srcX, srcY, srcX + width, srcY + height};
    ConvertPixelFormatBlit(destination->pixels, destination->pitch, &destination->format, source->pixels,
                           source->pitch, &source->format, nullptr, 0, nullptr, destX, destY, &rect, 0, 0, 0,
                           0, 0, 0, 0, 1);
    return 0;
}
