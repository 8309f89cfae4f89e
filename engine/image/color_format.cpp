#include "engine/image/color_format.h"

#include <cstring>

namespace {

uint32_t DepthBits(int depth) {
    return depth >= 32 ? 0xFFFFFFFFu : (1u << depth) - 1u;
}

uint64_t ChannelMax(int width) {
    return width >= 64 ? ~0ull : (1ull << width) - 1ull;
}

// raw x 255 / (2^width - 1); a channel of width 0 reads 0.
int WidenTo8(uint32_t raw, int width) {
    if (width == 0) return 0;
    return static_cast<int>(uint64_t{raw} * 255u / ChannelMax(width));
}

uint32_t PackChannel(int value, int width, int shift) {
    if (width == 0) return 0;
    return (static_cast<uint32_t>(value & 0xFF) >> (8 - width)) << shift;
}

void SetMaskChannels(ColorFormat* format, int depth, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    format->pixelBytes = static_cast<uint8_t>(depth / 8);
    format->bitDepth = static_cast<uint8_t>(depth);
    format->redMask = r;
    format->greenMask = g;
    format->blueMask = b;
    format->alphaMask = a;
    FindMaskShiftWidth(r, &format->redShift, &format->redWidth);
    FindMaskShiftWidth(g, &format->greenShift, &format->greenWidth);
    FindMaskShiftWidth(b, &format->blueShift, &format->blueWidth);
    FindMaskShiftWidth(a, &format->alphaShift, &format->alphaWidth);
}

// The preset formats: the code and per-channel fields cleared, the channel layout set; the fill
// shift and width and the palette are the caller's.
void SetPreset(ColorFormat* format, int depth, uint32_t alphaMask, uint32_t fillMask) {
    format->formatCode = 0;
    format->channelCount = 0;
    format->bitsPerChannel = 0;
    format->floatFlag = 0;
    SetMaskChannels(format, depth, 0xFF0000, 0xFF00, 0xFF, alphaMask);
    format->fillMask = fillMask;
}

}  // namespace

void FindMaskShiftWidth(uint32_t mask, uint8_t* shift, uint8_t* width) {
    *shift = 0;
    *width = 0;
    if (mask == 0) return;
    int s = 0;
    while (((mask >> s) & 1u) == 0) ++s;
    int w = 0;
    while (s + w < 32 && ((mask >> (s + w)) & 1u) != 0) ++w;
    *shift = static_cast<uint8_t>(s);
    *width = static_cast<uint8_t>(w);
}

uint32_t ScaleChannel(uint32_t v, int fromWidth, int toWidth) {
    if (fromWidth == 0 || toWidth == 0) return 0;
    int d = fromWidth - toWidth;
    if (d >= 0) return v >> d;
    uint64_t widened = (uint64_t{v} << -d) + uint64_t{v} * ChannelMax(-d) / ChannelMax(fromWidth);
    return static_cast<uint32_t>(widened);
}

int BuildColorFormat(ColorFormat* format, int bitDepth, uint32_t redMask, uint32_t greenMask,
                     uint32_t blueMask, uint32_t alphaMask, int channelCount, int bitsPerChannel,
                     int floatFlag) {
    std::memset(format, 0, sizeof(*format));
    if (channelCount != 0 && bitsPerChannel != 0) {
        format->channelCount = static_cast<uint8_t>(channelCount);
        format->bitsPerChannel = static_cast<uint8_t>(bitsPerChannel);
        format->floatFlag = static_cast<uint8_t>(floatFlag);
        format->pixelBytes = static_cast<uint8_t>(channelCount * bitsPerChannel / 8);
        return 0;
    }
    SetMaskChannels(format, bitDepth, redMask, greenMask, blueMask, alphaMask);
    format->fillMask = DepthBits(bitDepth) & ~(redMask | greenMask | blueMask | alphaMask);
    FindMaskShiftWidth(format->fillMask, &format->fillShift, &format->fillWidth);
    return 0;
}

int FixColorFormatFillMask(ColorFormat* format) {
    int widths = format->redWidth + format->greenWidth + format->blueWidth + format->alphaWidth;
    if (widths == format->bitDepth) {
        format->fillMask = 0;
        return 0;
    }
    uint32_t all = 0;
    for (int i = 0; i < format->bitDepth; ++i) all = (all << 1) | 1u;
    format->fillMask = all & ~(format->redMask | format->greenMask | format->blueMask | format->alphaMask);
    return 0;
}

int SetColorFormatPalette8(ColorFormat* format) {
    SetPreset(format, 8, 0, 0xFF000000);
    format->pixelBytes = 1;
    return 0;
}

int SetColorFormatGrey8(ColorFormat* format) {
    SetColorFormatPalette8(format);
    for (int i = 0; i < 256; ++i) {
        uint8_t v = static_cast<uint8_t>(i);
        format->palette[i] = PaletteEntry{v, v, v, 0};
    }
    return 0;
}

int SetColorFormatXrgb8(ColorFormat* format) {
    SetPreset(format, 32, 0, 0xFF000000);
    format->fillShift = 24;
    format->fillWidth = 8;
    return 0;
}

int SetColorFormatArgb8(ColorFormat* format) {
    SetPreset(format, 32, 0xFF000000, 0);
    return 0;
}

int SetColorFormatRgb24(ColorFormat* format) {
    SetPreset(format, 24, 0, 0);
    return 0;
}

uint32_t MakePixelValue(const ColorFormat* format, int r, int g, int b, int a) {
    if (format->pixelBytes == 1) {
        uint32_t best = 0xFFFFFF;
        uint32_t index = 0;
        for (int i = 0; i < 256; ++i) {
            const PaletteEntry& e = format->palette[i];
            int db = e.blue - b, dg = e.green - g, dr = e.red - r;
            uint32_t distance = static_cast<uint32_t>(db * db + dg * dg + dr * dr);
            if (distance < best) {
                best = distance;
                index = static_cast<uint32_t>(i);
            }
        }
        return index;
    }
    uint32_t value = PackChannel(b, format->blueWidth, format->blueShift) +
                     PackChannel(g, format->greenWidth, format->greenShift) +
                     PackChannel(r, format->redWidth, format->redShift) + format->fillMask;
    if (format->alphaWidth != 0) value += PackChannel(a, format->alphaWidth, format->alphaShift);
    return value;
}

// Each channel as raw x 255 / (2^width - 1), which leaves 8-bit channels unchanged.
int UnpackPixelRgba(const ColorFormat* format, uint32_t value, int* r, int* g, int* b, int* a) {
    if (r) *r = WidenTo8((value & format->redMask) >> format->redShift, format->redWidth);
    if (g) *g = WidenTo8((value & format->greenMask) >> format->greenShift, format->greenWidth);
    if (b) *b = WidenTo8((value & format->blueMask) >> format->blueShift, format->blueWidth);
    // Without an alpha channel the pixel is opaque.
    if (a)
        *a = format->alphaWidth == 0
                 ? 255
                 : WidenTo8((value & format->alphaMask) >> format->alphaShift, format->alphaWidth);
    return 0;
}
