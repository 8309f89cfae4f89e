// A SoftImage handed out as a Windows device-independent bitmap: the 40-byte bitmap info header with a
// 256-entry colour table, and the pixels in DIB row layout.
#pragma once

#include <cstdint>

#include "engine/image/color_format.h"
#include "platform/gdi/gdi32.h"

struct SoftImage;

// A BITMAPINFO with a full colour table; a pointer to it may be passed as a BITMAPINFO.
struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

// Fills info for the image (8-bit with palette unless forced to 24 bits, else 24-bit) and hands out its
// pixels in DIB layout: 1 when a new block was allocated (the caller frees it with the tracked allocator),
// alwaysCopy when the image's own block is handed out, -1 when the block can't be allocated (*pixelsOut is
// then null).
int ConvertSoftImageToDib(SoftImage* image, DibInfo* info, void** pixelsOut, int alwaysCopy, int force24Bit);
