// A device-independent bitmap as the DIB blits read it: header (BITMAPINFOHEADER and its longer
// versions, or BITMAPCOREHEADER), palette or masks, and the caller's rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/gdi32.h"

struct DibSource {
    int width = 0;
    int height = 0;  // rows of the whole bitmap
    bool top_down = false;
    int bit_count = 0;
    uint32_t masks[3] = {};         // red, green, blue (16 and 32 bits)
    std::vector<uint32_t> palette;  // 0xFFRRGGBB
    const uint8_t* bits = nullptr;
    size_t pitch = 0;  // bytes per row of the caller's data
    // RLE bitmaps are unpacked to one palette index per pixel (bottom-up rows, like the data); pixels the
    // data skips are not drawn.
    std::vector<uint8_t> unpacked;
    std::vector<uint8_t> drawn;
    bool rle = false;
};

// False (nothing to draw) for a header this code can't read, a bad size, DIB_PAL_COLORS or broken RLE
// bounds.
bool ReadDibSource(const BITMAPINFO* info, const void* bits, UINT usage, DibSource* source);

// The pixel at x of the row'th row of the caller's data (rows in memory order), as 0xFFRRGGBB. False
// for a pixel the data leaves out (skipped by RLE).
bool DibSourcePixel(const DibSource& source, int x, int row, uint32_t* pixel);

// Widens a channel value of `width` bits to 8 bits by repeating its top bits.
uint32_t WidenChannel(uint32_t value, int width);
// The shift and width of a contiguous mask.
void MaskShiftWidth(uint32_t mask, int* shift, int* width);
