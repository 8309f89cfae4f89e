// An area's map: header, graphics, object records that become tasks when they come into view, and the
// tile layers drawn with parallax.
#pragma once

#include <cstdint>

#include "game/character.h"

constexpr int kMapNameLength = 12;
constexpr int kMapPathLength = 32;
constexpr int kLayerTileCapacity = 18003;
constexpr int kTileAnimationCount = 30;

struct MapGraphicEntry {
    char name[kMapNameLength];
    int32_t graphic;
};

struct MapObjectRecord {
    int32_t type;  // negative: never spawned
    int32_t param;
    int32_t x, y, w, h;
    uint8_t spawned;
};

struct TileAnimation {
    uint8_t tile, frameCount, period;
};

class LayerData : public IDraw {
  public:
    void Draw() override;

    char name[kMapNameLength] = {};
    int32_t file = 0;
    char tilesetName[kMapNameLength] = {};
    int32_t tilesetGraphic = 0;
    TileAnimation animations[kTileAnimationCount] = {};
    int8_t drawLayer = 0;
    int32_t scrollX = 0, scrollY = 0;
    int32_t width = 0, height = 0;
    int8_t parallax = 0;
    uint8_t blend = 255;
    uint8_t tintRed = 255, tintGreen = 255, tintBlue = 255;
    uint8_t tiles[kLayerTileCapacity] = {};
};

struct MapData {
    bool Load(const char* path);
    void Unload();
    void RegisterLayers();
    void SetCamera(int x, int y);
    // Scroll of every layer from the camera: camera x parallax / 6.
    void UpdateLayerScrolls();
    // Creates the tasks of the records that came into view (record 0 in any case).
    void SpawnObjectsInView();
    // Before loading: size 320 x 240 tiles, every count 0, everything else zero.
    void Clear();

    char path[kMapPathLength];
    int32_t width, height;
    int32_t startCameraX, startCameraY;
    int32_t playerOffsetX, playerOffsetY;
    int32_t playerStartX, playerStartY;
    uint8_t lockFlags;
    char tunePath[kMapPathLength];
    uint8_t graphicCount;
    MapGraphicEntry* graphics;
    uint8_t objectCount;
    MapObjectRecord* objects;
    uint8_t layerCount;
    LayerData* layers;
    int32_t kind;
    int32_t cameraX, cameraY;
};

// Maps of kind 5 or more are scripted scenes without a player.
constexpr int kFirstScriptedMapKind = 5;
constexpr int kBossMapKind = 4;

extern int32_t solidBoxCount;
