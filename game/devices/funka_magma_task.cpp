#include "game/devices/funka_magma_task.h"

#include <cstdint>

#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"

namespace {

constexpr double kTopLimit = -300.0;
constexpr int kTile = 20;
constexpr int kColumns = 7;
constexpr int kSurfaceSrcY = 180;
constexpr int kBodySrcY = 200;

}  // namespace

FunkaMagmaTask::FunkaMagmaTask(int x_, int y_, MapData* map_, double speedY) : Character(-1, x_, y_) {
    map = map_;
    graphic = commonGraphic;
    srcX = 0;
    srcY = kSurfaceSrcY;
    shape = 0;
    drawLayer = 2;
    SpeedY() = speedY;
    RegisterInGroup(kGroupNoCollision);
}

void FunkaMagmaTask::Update() {
    if (y > kTopLimit) y += SpeedY();
    srcX = kTile * (counter / 4 % 2);
    ++counter;
    AppendToDrawLayer();
}

// Rows wholly above the view are passed over without drawing: they could not be seen.
void FunkaMagmaTask::Draw() {
    const int64_t bottom = int64_t{map != nullptr ? map->cameraY : cameraY} + 300;
    const int64_t top = static_cast<int64_t>(y);
    int64_t row = top;
    if (row + kTile <= cameraY) row += (int64_t{cameraY} - row) / kTile * kTile;
    for (; row < bottom; row += kTile) {
        const int rowSrcY = row == top ? kSurfaceSrcY : kBodySrcY;
        for (int column = 0; column < kColumns; ++column) {
            DrawImagePart(static_cast<int>(x) - cameraX + kTile * column, static_cast<int>(row - cameraY),
                          srcX, rowSrcY, kTile, kTile, graphic, 1, 0);
        }
    }
}

Character* CreateFunkaMagmaTask(int x, int y, MapData* map, double speedY) {
    return CreateTask<FunkaMagmaTask>(x, y, map, speedY);
}
