#include <cstdio>

#include "engine/core/files/file_access.h"
#include "engine/graphics/graphics.h"
#include "game/frame/data_file.h"
#include "game/frame/game_state.h"
#include "game/map/map_data.h"

namespace {

// How far beyond a layer's sides and above and below it its edge tiles are repeated.
constexpr int64_t kSideMargin = 400;
constexpr int64_t kVerticalMargin = 300;
constexpr int kCornerTile = 1;
constexpr int kDrawColumns = 21;
constexpr int kDrawRows = 16;

}  // namespace

LayerData::~LayerData() {
    if (file > 0) CloseFileHandle(file);
    if (tilesetGraphic > 0) FreeGraphic(tilesetGraphic, 0);
}

int LayerData::TileAt(int x, int y, bool checkBoxes) const {
    if (width <= 0 || height <= 0) return 0;
    int64_t lx = int64_t{x} + scrollX;
    int64_t ly = int64_t{y} + scrollY;
    const int64_t w = int64_t{width} * kTileSize;
    const int64_t h = int64_t{height} * kTileSize;
    if (checkBoxes && lx >= INT32_MIN && lx <= INT32_MAX && ly >= INT32_MIN && ly <= INT32_MAX) {
        const int box = MapData::FindSolidBoxAt(static_cast<int>(lx), static_cast<int>(ly));
        if (box > 0) return -box;
    }
    for (;;) {
        const bool outX = lx < 0 || lx >= w;
        const bool outY = ly < 0 || ly >= h;
        if (!outX && !outY) return tiles[ly / kTileSize * width + lx / kTileSize];
        if (outX && outY) return kCornerTile;
        if (lx < -kSideMargin || lx > w + kSideMargin || ly < -kVerticalMargin || ly > h + kVerticalMargin)
            return 0;
        if (lx < 0) lx += kTileSize;
        if (lx >= w) lx -= kTileSize;
        if (ly < 0) ly += kTileSize;
        if (ly >= h) ly -= kTileSize;
    }
}

void LayerData::SetTile(int x, int y, int id) {
    const int64_t lx = int64_t{x} + scrollX;
    const int64_t ly = int64_t{y} + scrollY;
    if (lx < 0 || ly < 0 || lx >= int64_t{width} * kTileSize || ly >= int64_t{height} * kTileSize) return;
    tiles[ly / kTileSize * width + lx / kTileSize] = static_cast<uint8_t>(id);
}

void LayerData::LoadTiles() {
    char path[64];
    std::snprintf(path, sizeof(path), "./data/map/%s.lyr", name);
    DataFile tileFile(path);
    tileFile.ReadSome(tiles, static_cast<size_t>(width) * static_cast<size_t>(height));
}

int LayerData::AnimatedTile(int id) const {
    for (const TileAnimation& entry : animations) {
        if (entry.tile != id || entry.period == 0 || entry.frameCount == 0) continue;
        return id + frameCounter / entry.period % entry.frameCount;
    }
    return id;
}

void LayerData::Draw() {
    SetBlend(kBlendAlpha, blend);
    SetBright(tintRed, tintGreen, tintBlue);
    for (int row = 0; row < kDrawRows; ++row) {
        for (int column = 0; column < kDrawColumns; ++column) {
            const int x = column * kTileSize;
            const int y = row * kTileSize;
            int id = TileAt(x, y, false);
            if (id < 1) continue;
            id = AnimatedTile(id);
            DrawImagePart(x - scrollX % kTileSize + quakeX, y - scrollY % kTileSize + quakeY,
                          id % kTilesetColumns * kTileSize, id / kTilesetColumns * kTileSize, kTileSize,
                          kTileSize, tilesetGraphic, 1, 0);
        }
    }
    SetBlend(kBlendNone, 0);
    SetBright(255, 255, 255);
}
