// Reading a map file and the graphics, tile animations and tile layers it names.
#include <cstdio>
#include <cstring>

#include "engine/core/frame/window_mode.h"
#include "engine/graphics/graphics.h"
#include "game/frame/data_file.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"

namespace {

constexpr int kAnimationEntryBytes = 3;

bool ReadObjectRecord(DataFile& file, MapObjectRecord* record) {
    int32_t fields[6];
    for (int32_t& field : fields) {
        if (!file.ReadI32(&field)) return false;
    }
    *record = {fields[4], fields[5], fields[0], fields[1], fields[2], fields[3], 0};
    return true;
}

// A layer larger than its tile array, or naming a draw layer that does not exist, is refused.
bool ReadLayerHeader(DataFile& file, LayerData* layer) {
    if (!file.ReadName(layer->tilesetName, kMapNameLength) || !file.ReadName(layer->name, kMapNameLength) ||
        !file.ReadI8(&layer->drawLayer) || !file.ReadI32(&layer->width) || !file.ReadI32(&layer->height) ||
        !file.ReadI8(&layer->parallax)) {
        return false;
    }
    const int64_t tiles = int64_t{layer->width} * layer->height;
    return layer->width >= 0 && layer->height >= 0 && tiles <= kLayerTileCapacity && layer->drawLayer >= 0 &&
           layer->drawLayer < kDrawLayerCount;
}

// The header, the names and the records; false at the first field that is missing or beyond its limit.
bool ReadMapFile(DataFile& file, MapData* map) {
    char tuneName[kMapNameLength];
    if (!file.ReadI32(&map->kind) || !file.ReadI32(&map->width) || !file.ReadI32(&map->height) ||
        !file.ReadI32(&map->startCameraX) || !file.ReadI32(&map->startCameraY) ||
        !file.ReadI32(&map->playerOffsetX) || !file.ReadI32(&map->playerOffsetY) ||
        !file.ReadU8(&map->lockFlags) || !file.ReadName(tuneName, sizeof(tuneName))) {
        return false;
    }
    map->cameraX = map->startCameraX;
    map->cameraY = map->startCameraY;
    map->playerStartX = static_cast<int32_t>(static_cast<uint32_t>(map->startCameraX) + map->playerOffsetX);
    map->playerStartY = static_cast<int32_t>(static_cast<uint32_t>(map->startCameraY) + map->playerOffsetY);
    std::snprintf(map->tunePath, sizeof(map->tunePath), "./bgm/%s.pttune", tuneName);

    if (!file.ReadU8(&map->graphicCount)) return false;
    map->graphics = new MapGraphicEntry[map->graphicCount]();
    for (int i = 0; i < map->graphicCount; ++i) {
        if (!file.ReadName(map->graphics[i].name, kMapNameLength)) return false;
    }
    if (!file.ReadU8(&map->objectCount)) return false;
    map->objects = new MapObjectRecord[map->objectCount]();
    for (int i = 0; i < map->objectCount; ++i) {
        if (!ReadObjectRecord(file, &map->objects[i])) return false;
    }
    if (!file.ReadU8(&map->layerCount)) return false;
    map->layers = new LayerData[map->layerCount];
    for (int i = 0; i < map->layerCount; ++i) {
        if (!ReadLayerHeader(file, &map->layers[i])) return false;
    }
    return true;
}

// Entries with no frames or no period would never move (and divide by zero): they are left out.
void LoadTileAnimations(LayerData* layer) {
    for (TileAnimation& entry : layer->animations) entry = {};
    char path[64];
    std::snprintf(path, sizeof(path), "./data/map/%s.anm", layer->tilesetName);
    DataFile file(path);
    if (!file.IsOpen()) return;
    int stored = 0;
    for (int read = 0; read < kTileAnimationCount; ++read) {
        uint8_t entry[kAnimationEntryBytes];
        if (file.ReadSome(entry, sizeof(entry)) != sizeof(entry)) break;
        if (entry[1] == 0 || entry[2] == 0) continue;
        layer->animations[stored++] = {entry[0], entry[1], entry[2]};
    }
}

// Layers from the third on share the tileset of an earlier layer (not the first) of the same name.
void LoadTileset(MapData* map, int i) {
    LayerData& layer = map->layers[i];
    for (int j = 1; i >= 2 && j < i; ++j) {
        if (std::strcmp(map->layers[j].tilesetName, layer.tilesetName) != 0) continue;
        layer.tilesetGraphic = map->layers[j].tilesetGraphic;
        std::memcpy(layer.animations, map->layers[j].animations, sizeof(layer.animations));
        return;
    }
    char path[64];
    std::snprintf(path, sizeof(path), "./data/map/%s.png", layer.tilesetName);
    layer.tilesetGraphic = LoadGraphFile(path, 0);
    if (layer.tilesetGraphic == -1)
        SetMainWindowText("Error : MapData::Load() : Layer graphic file not found");
    LoadTileAnimations(&layer);
}

void DropLists(MapData* map) {
    delete[] map->graphics;
    delete[] map->objects;
    delete[] map->layers;
    map->graphics = nullptr;
    map->objects = nullptr;
    map->layers = nullptr;
    map->graphicCount = map->objectCount = map->layerCount = 0;
}

}  // namespace

bool MapData::Load(const char* mapPath) {
    std::snprintf(path, sizeof(path), "%s", mapPath);
    bool complete;
    {
        DataFile file(mapPath);
        if (!file.IsOpen()) {
            SetMainWindowText("Error : MapData::Load() : File not found");
            return false;
        }
        complete = ReadMapFile(file, this);
    }
    if (!complete) {
        DropLists(this);
        SetMainWindowText("Error : MapData::Load()");
        return false;
    }
    for (int i = 0; i < graphicCount; ++i) {
        char graphicPath[64];
        std::snprintf(graphicPath, sizeof(graphicPath), "./data/graphics/%s.png", graphics[i].name);
        graphics[i].graphic = LoadGraphFile(graphicPath, 0);
    }
    for (int i = 0; i < layerCount; ++i) LoadTileset(this, i);
    for (int i = 0; i < layerCount; ++i) layers[i].LoadTiles();
    return true;
}
