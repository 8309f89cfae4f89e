#include "platform/d3d9/block_formats.h"

#include <cstring>

namespace d3d9 {

namespace {

Color Rgb565(uint16_t v) {
    const ChannelTables& t = kChannelTables;
    return {t.expand5[v >> 11], t.expand6[(v >> 5) & 63], t.expand5[v & 31], 255};
}

// a * (n - k) / n + b * k / n, rounded.
int Between(int a, int b, int k, int n) {
    return (a * (n - k) + b * k + n / 2) / n;
}

// The colour half of a block: two 5:6:5 end points and 2-bit indices. With `three_colors` (DXT1 when
// the first end point is not above the second) index 2 is the middle and index 3 transparent black.
Color ColorTexel(const uint8_t* block, int x, int y, bool allow_three) {
    uint16_t c0, c1;
    uint32_t indices;
    std::memcpy(&c0, block, 2);
    std::memcpy(&c1, block + 2, 2);
    std::memcpy(&indices, block + 4, 4);
    const int index = int(indices >> (2 * (4 * y + x))) & 3;
    const Color a = Rgb565(c0), b = Rgb565(c1);
    if (index == 0) return a;
    if (index == 1) return b;
    if (allow_three && c0 <= c1) {
        if (index == 3) return {0, 0, 0, 0};
        return {Between(a.r, b.r, 1, 2), Between(a.g, b.g, 1, 2), Between(a.b, b.b, 1, 2), 255};
    }
    const int k = index - 1;  // 2 -> 1/3 of the way, 3 -> 2/3
    return {Between(a.r, b.r, k, 3), Between(a.g, b.g, k, 3), Between(a.b, b.b, k, 3), 255};
}

// DXT4/5 alpha: two end points and 3-bit indices; with the first not above the second, six steps and
// the values 0 and 255.
int InterpolatedAlpha(const uint8_t* block, int x, int y) {
    const int a0 = block[0], a1 = block[1];
    uint64_t bits = 0;
    std::memcpy(&bits, block + 2, 6);
    const int index = int(bits >> (3 * (4 * y + x))) & 7;
    if (index == 0) return a0;
    if (index == 1) return a1;
    if (a0 > a1) return Between(a0, a1, index - 1, 7);
    if (index == 6) return 0;
    if (index == 7) return 255;
    return Between(a0, a1, index - 1, 5);
}

int ExplicitAlpha(const uint8_t* block, int x, int y) {
    const int i = 4 * y + x;
    return ((block[i / 2] >> (4 * (i & 1))) & 15) * 17;
}

}  // namespace

Color DecodeBlockTexel(D3DFORMAT format, const uint8_t* block, int x, int y) {
    switch (format) {
        case D3DFMT_DXT1:
            return ColorTexel(block, x, y, true);
        case D3DFMT_DXT2:
        case D3DFMT_DXT3: {
            Color c = ColorTexel(block + 8, x, y, false);
            c.a = ExplicitAlpha(block, x, y);
            return c;
        }
        case D3DFMT_DXT4:
        case D3DFMT_DXT5: {
            Color c = ColorTexel(block + 8, x, y, false);
            c.a = InterpolatedAlpha(block, x, y);
            return c;
        }
        default:
            return {0, 0, 0, 255};
    }
}

}  // namespace d3d9
