// The memory path of the string core: a glyph's cell of the memory cache written pixel by pixel into a
// software image, in the image's pixel format: 1-bit glyphs and 1-bit edges as the text or edge colour,
// grey glyphs as alpha images (the coverage in the alpha byte) that the caller blends onto the screen.
#include <cstring>

#include "engine/softrender/mem_img.h"
#include "engine/text_movie/string_core.h"

namespace {

// The colour channels of a software image's pixel (16 bits: 5, 6, 5; 32 bits: 8, 8, 8) and where its
// alpha byte lies when it has one.
struct PixelLayout {
    uint32_t masks[3];
    int alphaShift;
};

PixelLayout LayoutOf(const MEMIMG& image) {
    if (image.base->kind == 0) return PixelLayout{{0xF800, 0x07E0, 0x001F}, 16};
    return PixelLayout{{0xFF0000, 0x00FF00, 0x0000FF}, 24};
}

// Each channel from edge towards text by t / 256.
uint32_t MixChannels(const PixelLayout& layout, uint32_t edge, uint32_t text, int t) {
    uint32_t mixed = 0;
    for (uint32_t mask : layout.masks) {
        const int64_t e = edge & mask, c = text & mask;
        mixed |= uint32_t(e + (c - e) * t / 256) & mask;
    }
    return mixed;
}

// The body of level b over the edge of level e (both 0..15), as an alpha pixel.
uint32_t GreyEdgePixel(const PixelLayout& layout, const StringColours& colours, int b, int e) {
    if (b == 0) return uint32_t(16 * e) << layout.alphaShift | colours.edgePixel;
    if (b == 15) return 0xFFu << layout.alphaShift | colours.textPixel;
    const int alpha = 16 * b + (15 - b) * e;
    const int t = 4096 * b / alpha;
    return uint32_t(alpha) << layout.alphaShift |
           MixChannels(layout, colours.edgePixel, colours.textPixel, t);
}

// The pixel for one cell value, false where the glyph does not cover it.
bool CellPixel(const FontRecord& font, const PixelLayout& layout, const StringColours& colours,
               const uint8_t* row, int x, uint32_t* pixel) {
    if (font.bitsPerPixel == 1) {
        *pixel = colours.textPixel;
        return (row[x / 8] & (0x80 >> (x % 8))) != 0;
    }
    const int value = row[x];
    if (!(font.fontType & kFontTypeGrey)) {
        *pixel = value == 1 ? colours.textPixel : colours.edgePixel;
        return value == 1 || value == 2;
    }
    const int body = value & 0x0F, edge = value >> 4;
    if (!(font.fontType & kFontTypeEdge)) {
        *pixel = uint32_t(body << 4) << layout.alphaShift | colours.textPixel;
        return body != 0;
    }
    *pixel = GreyEdgePixel(layout, colours, body, edge);
    return body != 0 || edge != 0;
}

bool Inside(const IntRect& clip, const MEMIMG& image, int x, int y) {
    return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom && x >= 0 && y >= 0 &&
           x < image.width && y < image.height;
}

}  // namespace

void WriteMemoryGlyph(const FontRecord& font, const StringDrawRequest& request, const StringColours& colours,
                      const PlacedGlyph& placed) {
    MEMIMG& target = *request.target;
    if (!IsMemImgValid(&target)) return;
    const GlyphEntry& g = *placed.glyph;
    const PixelLayout layout = LayoutOf(target);
    const int bytes = target.base->pixelBytes;
    // Upright: the box at (x + pen + x offset, y + y offset). Turned a quarter clockwise: the box's right
    // edge at x + line height - y offset, its top at y + pen + x offset; glyph row 0 is its right column.
    const int left = request.x + int(placed.pen) + g.xOffset, top = request.y + g.yOffset;
    const int right = request.x + font.lineHeight - g.yOffset,
              turnedTop = request.y + int(placed.pen) + g.xOffset;
    for (int gy = 0; gy < g.height; ++gy) {
        const uint8_t* row = font.memoryBitmap + size_t(placed.cellY + gy) * font.bitmapPitch;
        for (int gx = 0; gx < g.width; ++gx) {
            const int x = request.vertical ? right - 1 - gy : left + gx;
            const int y = request.vertical ? turnedTop + gx : top + gy;
            if (!Inside(request.clip, target, x, y)) continue;
            uint32_t pixel = 0;
            if (!CellPixel(font, layout, colours, row, gx, &pixel)) {
                if (request.onlyCovered) continue;
                pixel = 0;
            }
            std::memcpy(target.pixels + size_t(y) * target.base->pitch + size_t(x) * bytes, &pixel, bytes);
        }
    }
    MarkMemImgDrawn(target.base);
}
