// A SoftImage handed out as a Windows device-independent bitmap: the 40-byte bitmap info header with a
// 256-entry colour table, and the pixels in DIB row layout.
#pragma once

#include <cstdint>

#include "engine/image/color_format.h"

struct SoftImage;

// The layout of a BITMAPINFOHEADER.
struct DibHeader {
    uint32_t size;
    int32_t width;
    int32_t height;  // negative: rows top to bottom
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t clrUsed;
    uint32_t clrImportant;
};
static_assert(sizeof(DibHeader) == 40, "a bitmap info header is 40 bytes");

// The layout of a BITMAPINFO with a full colour table (entries B, G, R, reserved).
struct DibInfo {
    DibHeader header;
    PaletteEntry colors[256];
};

// Fills info for the image (8-bit with palette unless forced to 24 bits, else 24-bit) and hands out its
// pixels in DIB layout: 1 when a new block was allocated (the caller frees it with the tracked allocator),
// alwaysCopy when the image's own block is handed out, -1 when the block can't be allocated (*pixelsOut is
// then null).
int ConvertSoftImageToDib(SoftImage* image, DibInfo* info, void** pixelsOut, int alwaysCopy, int force24Bit);
