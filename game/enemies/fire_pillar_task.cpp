#include "game/enemies/fire_pillar_task.h"

#include "game/frame/task_registry.h"
#include "game/map/map_data.h"

namespace {

constexpr double kGroundY = 240.0;
constexpr int kStep = 5;
constexpr int kFullHeight = 50;
constexpr int kHarmlessTop = 10;
constexpr int kBurnFrames = 60;

}  // namespace

FirePillarTask::FirePillarTask(int x_, MapData* map_) : Character(-1, x_, kGroundY) {
    map = map_;
    graphic = map != nullptr ? map->FindGraphic("ufo") : 0;
    srcX = 0;
    srcY = 170;
    w = 20;
    h = 0;
    boxX = 4;
    boxY = 14;
    boxW = 12;
    boxH = 0;
    drawLayer = 10;
    RegisterInGroup(kGroupHarmful);
}

// The harmful box grows only once the flame is above 10 pixels, so it covers the lower 40 of the 50.
void FirePillarTask::Update() {
    if (state == kRising) {
        height += kStep;
        y -= kStep;
        if (height > kHarmlessTop) boxH += kStep;
        if (height >= kFullHeight) {
            y = kGroundY - kFullHeight;
            height = kFullHeight;
            counter = 0;
            state = kBurning;
        }
    } else if (counter > kBurnFrames) {
        height -= kStep;
        y += kStep;
        if (boxH > 0) boxH -= kStep;
        if (height <= 0) dead = 1;
    }
    h = height;
    hitCode = -1;
    srcX = 20 * (counter / 4 % 2);
    ++counter;
    AppendToDrawLayer();
}
