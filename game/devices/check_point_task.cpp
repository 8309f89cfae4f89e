#include "game/devices/check_point_task.h"

#include "engine/graphics/graphics.h"
#include "game/frame/collision.h"
#include "game/frame/game_state.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/map/world_tiles.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kStoneLayer = 1;
// The stone's 2 x 2 tiles, top-left first: dark and lit.
constexpr int kDarkStone[4] = {76, 77, 92, 93};
constexpr int kLitStone[4] = {78, 79, 94, 95};

}  // namespace

CheckPointTask::CheckPointTask(const MapObjectRecord& record, MapData* map_)
    : Character(record), checkPointId(record.param), signY(static_cast<int32_t>(y) - 20) {
    map = map_;
    graphic = commonGraphic;
    boxX = 10;
    boxY = 10;
    boxW = 20;
    boxH = 30;
    drawLayer = 10;
    RegisterInGroup(kGroupTouchObject);
}

bool CheckPointTask::IsCurrent() const {
    return currentCheckPoint == checkPointId;
}

void CheckPointTask::WriteStoneTiles() {
    const int* tiles = IsCurrent() ? kLitStone : kDarkStone;
    const int left = static_cast<int>(x), top = static_cast<int>(y);
    for (int i = 0; i < 4; ++i)
        SetWorldTile(map, kStoneLayer, left + 10 + 20 * (i % 2), top + 10 + 20 * (i / 2), tiles[i]);
}

void CheckPointTask::Update() {
    if (!IsCurrent() && hitCode == kHitTouchedByPlayer) {
        currentCheckPoint = checkPointId;
        if (map != nullptr) {
            map->playerStartX = static_cast<int32_t>(x);
            map->playerStartY = static_cast<int32_t>(y);
        }
        PlaySoundEffect(kSeCheck);
    }
    hitCode = -1;
    WriteStoneTiles();
    if (counter % 4 == 0) signY += counter % 16 < 8 ? 1 : -1;
    ++counter;
    AppendToDrawLayer();
}

void CheckPointTask::Draw() {
    if (IsCurrent()) return;
    DrawImagePart(static_cast<int>(x) + 10 - cameraX, signY - cameraY, 180, 0, 20, 20, graphic, 1, 0);
}
