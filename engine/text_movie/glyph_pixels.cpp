#include "engine/text_movie/glyph_pixels.h"

namespace {

struct BitCounts {
    uint8_t count[256];
    BitCounts() {
        count[0] = 0;
        for (int i = 1; i < 256; ++i) count[i] = uint8_t(count[i >> 1] + (i & 1));
    }
};

int ScaleCount(int count, int factor, int levels) {
    if (factor == 8) return levels == 64 ? count : count >> 2;
    return levels == 64 ? count * 4 : count;
}

}  // namespace

const uint8_t* BitCountTable() {
    static const BitCounts table;
    return table.count;
}

GlyphPixels UnpackGlyphBits(const uint8_t* bits, int pitch, int width, int height) {
    GlyphPixels glyph{width, height, 1, std::vector<uint8_t>(size_t(width) * size_t(height))};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            glyph.values[size_t(y) * width + x] = (bits[size_t(y) * pitch + x / 8] >> (7 - x % 8)) & 1;
    return glyph;
}

GlyphPixels CopyGlyphGrey(const uint8_t* bytes, int pitch, int width, int height, int levels) {
    GlyphPixels glyph{width, height, levels, std::vector<uint8_t>(size_t(width) * size_t(height))};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int v = bytes[size_t(y) * pitch + x];
            glyph.values[size_t(y) * width + x] = uint8_t(v > levels ? levels : v);
        }
    return glyph;
}

GlyphPixels ReduceGlyphBits(const uint8_t* bits, int pitch, int width, int height, int factor, int phase,
                            int levels) {
    const uint8_t* counts = BitCountTable();
    int outWidth = (width + factor - 1) / factor;
    int outHeight = (phase + height + factor - 1) / factor;
    GlyphPixels glyph{outWidth, outHeight, levels,
                      std::vector<uint8_t>(size_t(outWidth) * size_t(outHeight))};
    for (int oy = 0; oy < outHeight; ++oy) {
        for (int ox = 0; ox < outWidth; ++ox) {
            int count = 0;
            for (int j = 0; j < factor; ++j) {
                int row = oy * factor - phase + j;
                if (row < 0 || row >= height) continue;
                uint8_t byte = bits[size_t(row) * pitch + (factor == 8 ? ox : ox / 2)];
                if (factor == 4) byte = ox % 2 == 0 ? byte >> 4 : byte & 0x0F;
                count += counts[byte];
            }
            glyph.values[size_t(oy) * outWidth + ox] = uint8_t(ScaleCount(count, factor, levels));
        }
    }
    return glyph;
}
