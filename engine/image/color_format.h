// Pixel-format description shared by every in-memory image, and the packing of a colour into a pixel
// value and back.
#pragma once

#include <cstdint>

// One palette entry; read as a little-endian u32 it is 0xAARRGGBB.
struct PaletteEntry {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    uint8_t alpha;
};

// Mask form (the normal one): pixel bytes, bit depth and per-channel widths, shifts and masks.
// Per-channel form: channel count, bits per channel and float flag, every other field 0.
// A 1-byte format is a palette format; its masks describe a palette entry read as a u32.
struct ColorFormat {
    uint8_t formatCode;  // 0 plain pixels, 1-5 block-compressed DXT1-DXT5
    uint8_t channelCount;
    uint8_t bitsPerChannel;
    uint8_t floatFlag;
    uint8_t pixelBytes;
    uint8_t bitDepth;
    uint8_t fillShift;
    uint8_t fillWidth;
    uint8_t redWidth;
    uint8_t greenWidth;
    uint8_t blueWidth;
    uint8_t alphaWidth;
    uint8_t redShift;
    uint8_t greenShift;
    uint8_t blueShift;
    uint8_t alphaShift;
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
    uint32_t alphaMask;
    uint32_t fillMask;  // bits of the depth outside every channel, added to every packed pixel
    PaletteEntry palette[256];
};

enum ColorFormatCode : uint8_t {
    COLOR_FORMAT_PLAIN = 0,
    COLOR_FORMAT_DXT1 = 1,
    COLOR_FORMAT_DXT2 = 2,
    COLOR_FORMAT_DXT3 = 3,
    COLOR_FORMAT_DXT4 = 4,
    COLOR_FORMAT_DXT5 = 5,
};

int BuildColorFormat(ColorFormat* format, int bitDepth, uint32_t redMask, uint32_t greenMask,
                     uint32_t blueMask, uint32_t alphaMask, int channelCount, int bitsPerChannel,
                     int floatFlag);
int FixColorFormatFillMask(ColorFormat* format);

int SetColorFormatPalette8(ColorFormat* format);
int SetColorFormatGrey8(ColorFormat* format);
int SetColorFormatXrgb8(ColorFormat* format);
int SetColorFormatArgb8(ColorFormat* format);
int SetColorFormatRgb24(ColorFormat* format);

// Pixel value for 8-bit channel values; the nearest palette index for a 1-byte format.
uint32_t MakePixelValue(const ColorFormat* format, int r, int g, int b, int a);
// Splits a pixel value of a mask-form format into 8-bit channels; any output may be null.
int UnpackPixelRgba(const ColorFormat* format, uint32_t value, int* r, int* g, int* b, int* a);

// Lowest set bit of a mask and the number of consecutive set bits from there (0 and 0 for 0).
void FindMaskShiftWidth(uint32_t mask, uint8_t* shift, uint8_t* width);
// v of `fromWidth` bits widened or narrowed to `toWidth` bits so that 0 stays 0 and the maximum stays the
// maximum; a channel of width 0 reads 0.
uint32_t ScaleChannel(uint32_t v, int fromWidth, int toWidth);
