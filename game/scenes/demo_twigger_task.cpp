#include "game/scenes/demo_twigger_task.h"

#include "game/frame/task_registry.h"
#include "game/map/map_data.h"

namespace {

constexpr int kFrameWidth = 40;
constexpr int kFramePeriod = 8;
constexpr int kFrameCount = 4;
constexpr double kWalkSpeed = -1.0;

}  // namespace

DemoTwiggerTask::DemoTwiggerTask(double x_, double y_, MapData* map_, int drawLayer_, double stopX_)
    : Character(-1, x_, y_), stopX(stopX_) {
    map = map_;
    graphic = map != nullptr ? map->FindGraphic("twigger") : 0;
    SpeedX() = kWalkSpeed;
    w = h = kFrameWidth;
    flip = 1;
    shape = 0;
    drawLayer = drawLayer_;
    RegisterInGroup(kGroupNoCollision);
}

// Frames 0, 40, 80, 40 of eight updates each.
void DemoTwiggerTask::Update() {
    srcX = kFrameWidth * (counter / kFramePeriod % kFrameCount);
    if (srcX == 3 * kFrameWidth) srcX = kFrameWidth;
    x += SpeedX();
    if (x < stopX) dead = 1;
    ++counter;
    AppendToDrawLayer();
}
