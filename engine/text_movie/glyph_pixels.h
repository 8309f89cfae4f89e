// A glyph's pixels between fetching and storing: a value per pixel, 0..levels (levels 1 for a 1-bit
// glyph, 16 or 64 for grey).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct GlyphPixels {
    int width = 0;
    int height = 0;
    int levels = 1;
    std::vector<uint8_t> values;
    int At(int x, int y) const { return values[size_t(y) * size_t(width) + size_t(x)]; }
};

// The number of set bits of each byte value.
const uint8_t* BitCountTable();

// A 1-bit bitmap (rows of `pitch` bytes, most significant bit first) as levels 0/1.
GlyphPixels UnpackGlyphBits(const uint8_t* bits, int pitch, int width, int height);
// A grey bitmap (a byte per pixel) as it is.
GlyphPixels CopyGlyphGrey(const uint8_t* bytes, int pitch, int width, int height, int levels);
// Reduces a 1-bit bitmap rendered at `factor` (4 or 8) times the size: each output pixel counts the set
// bits of its factor x factor block, the first bitmap row lying at row `phase` of the first block row
// (rows outside the bitmap count as empty); the count is scaled to 16 or 64 levels.
GlyphPixels ReduceGlyphBits(const uint8_t* bits, int pitch, int width, int height, int factor, int phase,
                            int levels);
