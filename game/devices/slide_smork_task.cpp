#include "game/devices/slide_smork_task.h"

#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"

namespace {

constexpr int kFirstFrameX = 160;
constexpr int kLastFrameX = 190;
constexpr int kFrameStep = 10;

}  // namespace

SlideSmorkTask::SlideSmorkTask(int x_, int y_) : Character(-1, x_, y_) {
    graphic = commonGraphic;
    srcX = kFirstFrameX;
    srcY = 20;
    w = h = 10;
    drawLayer = 8;
    RegisterInGroup(kGroupNoCollision);
}

// Each frame shows for two updates (the first for one); the last one ends the puff.
void SlideSmorkTask::Update() {
    if (counter % 2 == 1) {
        if (srcX + kFrameStep > kLastFrameX) {
            srcX = kLastFrameX;
            dead = 1;
        } else {
            srcX += kFrameStep;
        }
    }
    ++counter;
    AppendToDrawLayer();
}

Character* CreateSlideSmorkTask(int x, int y) {
    return CreateTask<SlideSmorkTask>(x, y);
}
