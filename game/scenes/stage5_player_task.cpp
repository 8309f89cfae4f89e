#include "game/scenes/stage5_player_task.h"

#include <numbers>

#include "engine/core/helpers/random.h"
#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"

namespace {

constexpr double kRiseSpeed = -7.5;
constexpr double kTopY = -300.0;
constexpr int kDrawLayer = 9;
constexpr int kBodySrcX = 120, kBodySize = 40;
constexpr int kFlameSrcY = 40, kFlameWidth = 40, kFlameHeight = 30;
constexpr int kFlamePeriod = 3;
constexpr int kFlameStep = 40;
constexpr int kAfterImageJitter = 4;
constexpr int kRightWall = 1;  // drawn turned by -pi/2, as on a right wall
constexpr double kTurn = -std::numbers::pi / 2;

}  // namespace

Stage5PlayerTask::Stage5PlayerTask(double x_, double y_, MapData* map_) : Character(-1, x_, y_) {
    map = map_;
    graphic = playerGraphic;
    SpeedY() = kRiseSpeed;
    srcX = kBodySrcX;
    srcY = 0;
    w = h = kBodySize;
    flip = 0;
    shape = 0;
    drawLayer = kDrawLayer;
    RegisterInGroup(kGroupNoCollision);
}

// Flame frames 40, 80, 120, 80 of three updates each.
void Stage5PlayerTask::Update() {
    if (y > kTopY) y += SpeedY();
    flameSrcX = kFlameStep * (counter / kFlamePeriod % 4) + kFlameStep;
    if (flameSrcX == 4 * kFlameStep) flameSrcX = 2 * kFlameStep;
    const int jitterX = GetRandomRange(kAfterImageJitter);
    const int jitterY = GetRandomRange(kAfterImageJitter);
    CreateBoostShadowTask(x + jitterX - 2, y + jitterY - 2, kRightWall, flip, srcX, srcY, flameSrcX,
                          kFlameSrcY, 1);
    ++counter;
    AppendToDrawLayer();
    if (map != nullptr) {
        cameraX = map->cameraX;
        cameraY = map->cameraY;
    }
}

void Stage5PlayerTask::Draw() {
    const int sx = static_cast<int>(x) - cameraX, sy = static_cast<int>(y) - cameraY;
    DrawImagePartRotated(sx + 10, sy + 20, srcX, srcY, w, h, 1.0, kTurn, graphic, 1, flip);
    DrawImagePartRotated(sx + 35, sy + 20, flameSrcX, kFlameSrcY, kFlameWidth, kFlameHeight, 1.0, kTurn,
                         graphic, 1, flip);
}

Character* CreateStage5PlayerTask(MapData* map) {
    return CreateTask<Stage5PlayerTask>(kStage5PlayerStartX, kStage5PlayerStartY, map);
}
