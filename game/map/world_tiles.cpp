#include "game/map/world_tiles.h"

#include <cstdint>

namespace {

// The corner of the 20-pixel cell holding v, rounding toward minus infinity.
int64_t CellStart(int64_t v) {
    const int64_t cell = v >= 0 ? v / kTileSize : -((-v + kTileSize - 1) / kTileSize);
    return cell * kTileSize;
}

}  // namespace

int WorldTileAt(const MapData* map, int layer, int x, int y, bool checkBoxes) {
    const LayerData* data = map != nullptr ? map->Layer(layer) : nullptr;
    if (data == nullptr) return 0;
    return data->TileAt(x - map->cameraX, y - map->cameraY, checkBoxes);
}

void SetWorldTile(MapData* map, int layer, int x, int y, int id) {
    LayerData* data = map != nullptr ? map->Layer(layer) : nullptr;
    if (data == nullptr) return;
    data->SetTile(x - map->cameraX, y - map->cameraY, id);
}

void WorldTileCorner(const MapData* map, int layer, int x, int y, int* cornerX, int* cornerY) {
    const LayerData* data = map != nullptr ? map->Layer(layer) : nullptr;
    const int64_t shiftX = data != nullptr ? int64_t{data->scrollX} - map->cameraX : 0;
    const int64_t shiftY = data != nullptr ? int64_t{data->scrollY} - map->cameraY : 0;
    *cornerX = static_cast<int>(CellStart(x + shiftX) - shiftX);
    *cornerY = static_cast<int>(CellStart(y + shiftY) - shiftY);
}
