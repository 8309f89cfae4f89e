#include "game/devices/move_yoko_platform_task.h"

#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"

namespace {

constexpr double kPlatformSpeed = 1.25;
constexpr int kPauseFrames = 60;
constexpr double kTouchTolerance = 8.0;
constexpr double kPlayerSize = 40.0;
constexpr int kMarkerLayer = 1;

bool Within(double value, double centre) {
    return value > centre - kTouchTolerance && value < centre + kTouchTolerance;
}

}  // namespace

MoveYokoPlatformTask::MoveYokoPlatformTask(const MapObjectRecord& record, MapData* map_) : Character(record) {
    map = map_;
    graphic = commonGraphic;
    drawLayer = 17;
    boxW = w;
    boxH = h;
    const int left = static_cast<int>(x), top = static_cast<int>(y);
    boxIndex = AddSolidBox(left, top, left + w, top + h);
    speedX = MarkerAt(x - 10.0, y + 10.0) ? kPlatformSpeed : -kPlatformSpeed;
    state = kPausing;
    RegisterInGroup(kGroupNoCollision);
}

// The marker layer is looked up at a world position: its scrolled space less the map camera.
bool MoveYokoPlatformTask::MarkerAt(double wx, double wy) const {
    const LayerData* layer = map != nullptr ? map->Layer(kMarkerLayer) : nullptr;
    if (layer == nullptr) return false;
    return layer->TileAt(static_cast<int>(wx) - map->cameraX, static_cast<int>(wy) - map->cameraY, false) !=
           0;
}

// The player touches the side that is down for its surface.
bool MoveYokoPlatformTask::CarriesPlayer() const {
    const bool spanX = playerX + kPlayerSize > x && x + w > playerX;
    const bool spanY = playerY + kPlayerSize > y && y + h > playerY;
    switch (playerSurface) {
        case 0:
            return spanX && Within(playerY + kPlayerSize, y);
        case 3:
            return spanX && Within(playerY, y + h);
        case 2:
            return spanY && Within(playerX, x + w);
        case 1:
            return spanY && Within(playerX + kPlayerSize, x);
        default:
            return false;
    }
}

void MoveYokoPlatformTask::Update() {
    double moved = 0.0;
    if (state == kPausing) {
        if (counter == kPauseFrames) state = kMoving;
    } else {
        x += speedX;
        moved = speedX;
        const bool blocked = speedX < 0.0 ? MarkerAt(x - 1.0, y + 10.0) : MarkerAt(x + w + 1.0, y + 10.0);
        if (blocked) {
            speedX = -speedX;
            counter = 0;
            state = kPausing;
        }
    }
    // The player rides along by what the platform moved this frame: nothing while it pauses.
    if (standingOnBox && CarriesPlayer()) playerPushX += moved;
    if (boxIndex >= 1 && boxIndex <= solidBoxCount) {
        const int left = static_cast<int>(x), top = static_cast<int>(y);
        solidBoxes[boxIndex - 1] = {left, top, left + w, top + h};
    }
    ++counter;
    AppendToDrawLayer();
}

void MoveYokoPlatformTask::Draw() {
    const int left = static_cast<int>(x) - cameraX, top = static_cast<int>(y) - cameraY;
    for (int dy = 0; dy < h; dy += 20) {
        for (int dx = 0; dx < w; dx += 20)
            DrawImagePart(left + dx, top + dy, srcX, srcY, 20, 20, graphic, 1, 0);
    }
}
