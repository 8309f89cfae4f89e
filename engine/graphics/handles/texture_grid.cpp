#include "engine/graphics/handles/texture_grid.h"

#include <algorithm>

namespace {

// Texture pieces past the one fitting size when the size exceeds what one power of two within the
// maximum holds.
void SplitEdge(int size, int maximum, int p, std::vector<int>* pieces) {
    int remaining = size;
    for (;;) {
        pieces->push_back(p);
        remaining -= p;
        if (remaining <= 0) return;
        if (remaining > p * 3 / 4 && p < maximum) {
            pieces->back() = p * 2;
            return;
        }
        while (remaining < p && p > 1) p /= 2;
    }
}

GraphicTextureTile MakeTile(int x, int y, int textureWidth, int textureHeight, int imageWidth,
                            int imageHeight) {
    GraphicTextureTile tile{};
    tile.x = x;
    tile.y = y;
    tile.textureWidth = textureWidth;
    tile.textureHeight = textureHeight;
    tile.usedWidth = std::min(imageWidth - x, textureWidth);
    tile.usedHeight = std::min(imageHeight - y, textureHeight);
    return tile;
}

}  // namespace

int ChooseTextureEdgeSize(int size, int maximum, bool exactAllowed, std::vector<int>* pieces) {
    const size_t before = pieces->size();
    if (exactAllowed && size <= maximum) {
        pieces->push_back(size);
    } else if (size <= 1) {
        pieces->push_back(1);
    } else {
        int p = maximum;
        while (p > 1 && p > size) p /= 2;
        if (2 * p <= maximum)
            pieces->push_back(p < size ? 2 * p : p);
        else
            SplitEdge(size, maximum, p, pieces);
        const size_t n = pieces->size();
        if (n - before >= 2 && (*pieces)[n - 1] == (*pieces)[n - 2] && 2 * (*pieces)[n - 1] <= maximum) {
            pieces->pop_back();
            pieces->back() *= 2;
        }
    }
    return int(pieces->size() - before);
}

std::vector<GraphicTextureTile> BuildTextureGrid(int width, int height, const std::vector<int>& columns,
                                                 const std::vector<int>& rows, bool squareOnly) {
    std::vector<GraphicTextureTile> tiles;
    int y = 0;
    for (int rowHeight : rows) {
        int x = 0;
        for (int columnWidth : columns) {
            tiles.push_back(MakeTile(x, y, columnWidth, rowHeight, width, height));
            x += columnWidth;
        }
        y += rowHeight;
    }
    if (!squareOnly) return tiles;
    const size_t gridCount = tiles.size();
    for (size_t i = 0; i < gridCount; ++i) {
        const GraphicTextureTile tile = tiles[i];
        const int edge = std::min(tile.textureWidth, tile.textureHeight);
        const bool wide = tile.textureWidth > tile.textureHeight;
        const int squares = std::max(tile.textureWidth, tile.textureHeight) / edge;
        tiles[i] = MakeTile(tile.x, tile.y, edge, edge, width, height);
        for (int k = 1; k < squares; ++k) {
            const int x = wide ? tile.x + k * edge : tile.x;
            const int y2 = wide ? tile.y : tile.y + k * edge;
            if (x >= width || y2 >= height) break;
            tiles.push_back(MakeTile(x, y2, edge, edge, width, height));
        }
    }
    return tiles;
}
