#include "game/map/map_data.h"

#include <cstring>

#include "engine/graphics/graphics.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"

namespace {

constexpr int kViewWidth = 400;
constexpr int kViewHeight = 300;
constexpr int kFullParallax = 6;

// A move toward smaller values is taken unless lessLock is set, toward larger ones unless moreLock is
// set; a taken value is kept within 0 and the map's extent less the view.
int32_t MoveCameraAxis(int32_t current, int32_t wanted, bool lessLock, bool moreLock, int64_t bound) {
    if (wanted < current && lessLock) return current;
    if (wanted > current && moreLock) return current;
    if (wanted < 0) return 0;
    if (wanted > bound) return static_cast<int32_t>(bound);
    return wanted;
}

}  // namespace

void MapData::Clear() {
    std::memset(static_cast<void*>(this), 0, sizeof(*this));
    width = 320;
    height = 240;
}

void MapData::Unload() {
    for (int i = 0; i < graphicCount; ++i) FreeGraphic(graphics[i].graphic, 0);
    delete[] graphics;
    delete[] objects;
    delete[] layers;
    graphics = nullptr;
    objects = nullptr;
    layers = nullptr;
    graphicCount = objectCount = layerCount = 0;
    cameraX = cameraY = 0;
    solidBoxCount = 0;
}

void MapData::RegisterLayers() {
    for (int i = 0; i < layerCount; ++i) RegisterDrawLayer(&layers[i], layers[i].drawLayer);
}

void MapData::SetCamera(int x, int y) {
    cameraX = MoveCameraAxis(cameraX, x, lockFlags & kLockLeft, lockFlags & kLockRight,
                             int64_t{width} * kTileSize - kViewWidth);
    cameraY = MoveCameraAxis(cameraY, y, lockFlags & kLockUp, lockFlags & kLockDown,
                             int64_t{height} * kTileSize - kViewHeight);
    UpdateLayerScrolls();
}

void MapData::UpdateLayerScrolls() {
    for (int i = 0; i < layerCount; ++i) {
        layers[i].scrollX = static_cast<int32_t>(int64_t{cameraX} * layers[i].parallax / kFullParallax);
        layers[i].scrollY = static_cast<int32_t>(int64_t{cameraY} * layers[i].parallax / kFullParallax);
    }
}

void MapData::SpawnObjectsInView() {
    for (int i = 0; i < objectCount; ++i) {
        MapObjectRecord& record = objects[i];
        if (record.type < 0 || record.spawned) continue;
        const int64_t x = record.x, y = record.y;
        const bool inView = cameraX < x + record.w && cameraY < y + record.h &&
                            int64_t{cameraX} + kViewWidth > x && int64_t{cameraY} + kViewHeight > y;
        if (!inView && i != 0) continue;
        SpawnMapObject(this, &record);
        record.spawned = 1;
    }
}

int MapData::FindGraphic(const char* name) const {
    for (int i = 0; i < graphicCount; ++i) {
        if (std::strcmp(graphics[i].name, name) == 0) return graphics[i].graphic;
    }
    return 0;
}

LayerData* MapData::Layer(int i) const {
    return i >= 0 && i < layerCount ? &layers[i] : nullptr;
}
