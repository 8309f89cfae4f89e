// An area's map: header, graphics, object records that become tasks when they come into view, and the
// tile layers drawn with parallax. Layer 0 is the collision layer the tile probes read.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

constexpr int kMapNameLength = 12;  // 11 characters and the terminating zero
constexpr int kMapPathLength = 32;
constexpr int kLayerTileCapacity = 18003;
constexpr int kTileAnimationCount = 30;
constexpr int kTileSize = 20;
constexpr int kTilesetColumns = 16;

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
    // Closes the tile file if open and frees the tileset graphic.
    ~LayerData() override;
    void Draw() override;

    // Tile id at (x, y) + scroll: inside the layer its tile; beyond its sides the edge tile repeated
    // outward for 400 pixels sideways and 300 above and below, 0 further out; 1 in a corner region. With
    // checkBoxes, a solid box at the point answers minus its number. 0 for a layer without tiles.
    int TileAt(int x, int y, bool checkBoxes) const;
    // Writes the tile at (x, y) + scroll; a point outside the layer changes nothing.
    void SetTile(int x, int y, int id);
    // Reads "./data/map/<name>.lyr": width x height tile bytes, row by row.
    void LoadTiles();
    // The id drawn for a tile this frame: its animation's frame when it has one.
    int AnimatedTile(int id) const;

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

struct SolidBox {
    int32_t x1, y1, x2, y2;
};

constexpr int kSolidBoxCapacity = 51;
// Boxes numbered from 1: box n is solidBoxes[n - 1].
extern SolidBox solidBoxes[kSolidBoxCapacity];
extern int32_t solidBoxCount;

// Appends a box; its number, or -1 when the table is full.
int AddSolidBox(int x1, int y1, int x2, int y2);

struct MapData {
    // Reads the map file and the files it names; false (window title message) when the file is missing,
    // cut short or holds a field beyond the map's limits.
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
    // Handle of the map graphic of exactly that name; 0 when none.
    int FindGraphic(const char* name) const;
    // Number of the last solid box holding (x, y); -1 when none.
    static int FindSolidBoxAt(int x, int y);
    // Layer i, or null when the map has fewer layers.
    LayerData* Layer(int i) const;

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

// Camera moves refused by the lock flags.
enum CameraLock : uint8_t {
    kLockDown = 1,
    kLockUp = 2,
    kLockRight = 4,
    kLockLeft = 8,
};

// Maps of kind 5 or more are scripted scenes without a player.
constexpr int kFirstScriptedMapKind = 5;
constexpr int kBossMapKind = 4;
