// The fixed-point YUV-to-RGB tables of the Theora decoder (BT.601, limited range) and the conversion of
// one 4:2:0 pixel through them. InitYuvToRgbTables (theora_movie.h) fills the tables once.
#pragma once

#include <cstdint>

// Indexed by a sample value 0-255, in units of 1/16384.
struct YuvToRgbTables {
    int32_t vToRed[256];
    int32_t uToGreen[256];
    int32_t vToGreen[256];
    int32_t uToBlue[256];
    int32_t luma[256];
};

const YuvToRgbTables& GetYuvToRgbTables();

// Writes bytes blue, green, red of the pixel: each the sum of its table values divided by 16384
// (truncated towards zero) and clamped to 0-255.
void ConvertYuvPixelThroughTables(int y, int u, int v, uint8_t* bgr);
