#include "game/devices/shutter_task.h"

#include "game/frame/game_state.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr double kTriggerDistance = 40.0;
constexpr double kLowerShutterDepth = 900.0;

}  // namespace

ShutterTask::ShutterTask(int x_, int y_, MapData* map_, int n) : Character(-1, x_ + 10.0, y_ + 10.0) {
    map = map_;
    length = n;
    w = h = 1;
    shape = 0;
    drawLayer = 0;
    closed = TileAtPoint(0) != 0 ? 1 : 0;
    RegisterInGroup(kGroupNoCollision);
}

// Tile layer 0 is addressed at the world position (its scrolled space less the map camera).
int ShutterTask::TileAtPoint(int dy) const {
    const LayerData* layer = map != nullptr ? map->Layer(0) : nullptr;
    if (layer == nullptr) return 0;
    return layer->TileAt(static_cast<int>(x) - map->cameraX, static_cast<int>(y) + dy - map->cameraY, false);
}

void ShutterTask::SetTileAtPoint(int dy, int id) {
    LayerData* layer = map != nullptr ? map->Layer(0) : nullptr;
    if (layer != nullptr)
        layer->SetTile(static_cast<int>(x) - map->cameraX, static_cast<int>(y) + dy - map->cameraY, id);
}

bool ShutterTask::InsideLayer(int dy) const {
    const LayerData* layer = map != nullptr ? map->Layer(0) : nullptr;
    if (layer == nullptr) return false;
    const int64_t lx = int64_t{static_cast<int>(x)} - map->cameraX + layer->scrollX;
    const int64_t ly = int64_t{static_cast<int>(y)} + dy - map->cameraY + layer->scrollY;
    return lx >= 0 && ly >= 0 && lx < int64_t{layer->width} * kTileSize &&
           ly < int64_t{layer->height} * kTileSize;
}

void ShutterTask::Watch() {
    bool close, open;
    if (length != 2) {
        close = !closed && playerX > x + kTriggerDistance;
        open = closed && playerX < x - kTriggerDistance;
    } else {
        close = !closed && playerX > x + kTriggerDistance && playerY > kLowerShutterDepth;
        open = closed && (playerX < x - kTriggerDistance || playerY < kLowerShutterDepth);
    }
    if (close) {
        counter = 1;
        cellsClosed = 0;
        state = kClosing;
    } else if (open) {
        counter = 1;
        state = kOpening;
    }
}

// One frame step on the cell under the point; a cell beyond the layer ends the closing like a solid one.
void ShutterTask::Close() {
    const int tile = InsideLayer(0) ? TileAtPoint(0) : -1;
    if (tile == 0 || (tile >= kShutterFirstTile && tile < kShutterLastTile)) {
        SetTileAtPoint(0, tile == 0 ? kShutterFirstTile : tile + 1);
        if (tile == kShutterLastTile - 1) {
            y += kTileSize;
            ++cellsClosed;
        }
    } else if (tile != kShutterLastTile) {
        y -= cellsClosed * kTileSize;
        counter = 0;
        closed = 1;
        state = kWatching;
        return;
    }
    const bool nearView = cameraX - 200.0 < x && x < cameraX + 600.0 && cameraY < y + 20.0 * length - 20.0 &&
                          y < cameraY + 300.0;
    if (counter % 2 == 0 && nearView) PlaySoundEffect(kSeShutter);
}

void ShutterTask::Open() {
    for (int i = 0; i < length; ++i) {
        if (TileAtPoint(i * kTileSize) != 0) SetTileAtPoint(i * kTileSize, 0);
    }
    counter = 1;
    closed = 0;
    state = kWatching;
}

void ShutterTask::Update() {
    if (state == kWatching) {
        Watch();
    } else if (state == kClosing) {
        Close();
    } else if (state == kOpening) {
        Open();
    }
    ++counter;
    AppendToDrawLayer();
}
