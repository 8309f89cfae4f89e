#include "engine/text_movie/glyph_cell_store.h"

#include <algorithm>
#include <vector>

#include "engine/image/soft_image.h"
#include "engine/text_movie/glyph_edges.h"

namespace {

// The glyph's body and edge over its box grown by the edge on every side.
struct LayeredGlyph {
    int width;
    int height;
    std::vector<int> body;
    std::vector<int> edge;
    int& Body(int x, int y) { return body[size_t(y) * width + x]; }
    int& Edge(int x, int y) { return edge[size_t(y) * width + x]; }
};

LayeredGlyph Layer(const GlyphPixels& glyph, int edge) {
    LayeredGlyph layered{glyph.width + 2 * edge, glyph.height + 2 * edge, {}, {}};
    layered.body.assign(size_t(layered.width) * layered.height, 0);
    layered.edge.assign(layered.body.size(), 0);
    for (int y = 0; y < glyph.height; ++y)
        for (int x = 0; x < glyph.width; ++x) layered.Body(x + edge, y + edge) = glyph.At(x, y);
    return layered;
}

// Calls spread(x, y, value) for every pixel of the neighbourhood of each body pixel with a level.
template <typename InNeighbourhood, typename Spread>
void ForEachNeighbour(LayeredGlyph& g, int edge, InNeighbourhood in, Spread spread) {
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) {
            int v = g.Body(x, y);
            if (v == 0) continue;
            for (int dy = -edge; dy <= edge; ++dy)
                for (int dx = -edge; dx <= edge; ++dx) {
                    int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= g.width || ny >= g.height || !in(edge, dx, dy)) continue;
                    spread(nx, ny, v);
                }
        }
}

uint32_t White(const ColorFormat& format) {
    return format.redMask | format.greenMask | format.blueMask;
}

uint8_t* TexelAt(SoftImage* image, int x, int y) {
    return static_cast<uint8_t*>(image->pixels) + size_t(y) * image->pitch +
           size_t(x) * image->format.pixelBytes;
}

}  // namespace

uint32_t GreyTexel(const ColorFormat& format, int levels, int v) {
    uint32_t white = White(format);
    if (v <= 0) return white;
    int top = format.alphaShift + format.alphaWidth;
    if (levels == 64) return (uint32_t(v - 1) << (top - 6)) | white;
    return ((uint32_t(v) << (top - 4)) - 1) | white;
}

uint32_t EdgeCoverageTexel(const ColorFormat& format, int levels, int v) {
    if (levels == 64)
        return v <= 0 ? White(format) : White(format) | (uint32_t((v * 255) >> 6) << format.alphaShift);
    return GreyTexel(format, 16, v);
}

void StoreGlyphInMemoryCell(FontRecord* font, int cellY, const GlyphPixels& glyph, int edge) {
    LayeredGlyph g = Layer(glyph, edge);
    if (edge > 0) {
        if (glyph.levels == 1)
            ForEachNeighbour(g, edge, InEdgeMask, [&](int x, int y, int) { g.Edge(x, y) = 1; });
        else
            ForEachNeighbour(g, edge, InEdgeMask,
                             [&](int x, int y, int v) { g.Edge(x, y) = std::max(g.Edge(x, y), v - 1); });
    }
    int width = std::min(g.width, font->cellSize), height = std::min(g.height, font->cellSize);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = font->memoryBitmap + size_t(cellY + y) * font->bitmapPitch;
        for (int x = 0; x < width; ++x) {
            int v = g.Body(x, y);
            if (font->bitsPerPixel == 1) {
                if (v) row[x / 8] |= uint8_t(0x80 >> (x % 8));
            } else if (glyph.levels == 1) {
                row[x] = uint8_t(v ? 1 : edge > 0 && g.Edge(x, y) ? 2 : 0);
            } else {
                row[x] = uint8_t((v > 0 ? v - 1 : 0) | (edge > 0 ? g.Edge(x, y) << 4 : 0));
            }
        }
    }
}

void StoreGlyphInCacheImage(FontRecord* font, int x0, int y0, int room, const GlyphPixels& glyph, int edge) {
    LayeredGlyph g = Layer(glyph, edge);
    SoftImage* image = &font->cacheImage;
    const ColorFormat& format = image->format;
    uint32_t empty = White(format), full = White(format) | format.alphaMask;
    int levels = glyph.levels;
    if (edge > 0 && levels == 1)
        ForEachNeighbour(g, edge, InEdgeMask, [&](int x, int y, int) { g.Edge(x, y) = 1; });
    if (edge > 0 && levels > 1)
        ForEachNeighbour(g, edge, InGreyEdgeNeighbourhood, [&](int x, int y, int v) {
            int& e = g.Edge(x, y);
            e = e + (levels - e) * v / levels;
        });
    int width = std::min(g.width, room), height = std::min(g.height, room);
    int bytes = format.pixelBytes;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int v = g.Body(x, y);
            uint8_t* left = TexelAt(image, x0 + x, y0 + y);
            if (edge == 0) {
                WritePixelValue(left, bytes, levels == 1 ? (v ? full : empty) : GreyTexel(format, levels, v));
                continue;
            }
            uint8_t* right = TexelAt(image, x0 + x + font->cacheWidth, y0 + y);
            int e = g.Edge(x, y);
            if (levels == 1) {
                WritePixelValue(left, bytes, v ? full : empty);
                WritePixelValue(right, bytes, !v && e ? full : empty);
            } else if (v == levels) {
                WritePixelValue(left, bytes, full);
                WritePixelValue(right, bytes, empty);
            } else {
                WritePixelValue(left, bytes, EdgeCoverageTexel(format, levels, v));
                WritePixelValue(right, bytes, EdgeCoverageTexel(format, levels, e));
            }
        }
}
