#include "game/devices/explode_task.h"

#include <cmath>

#include "game/frame/task_registry.h"

namespace {

constexpr int kFrameWidth = 40;
constexpr int kEndFrameX = 240;
constexpr double kAimDistance = 100.0;

}  // namespace

ExplodeTask::ExplodeTask(int x_, int y_, int delay_, int drawLayer_, double angle_, double speed_)
    : Character(-1, x_, y_), delay(delay_), angle(angle_), speed(speed_) {
    graphic = commonGraphic;
    srcX = 0;
    srcY = 80;
    w = h = kFrameWidth;
    drawLayer = drawLayer_;
    VelocityToward(x, y, x + kAimDistance * std::sin(angle), y - kAimDistance * std::cos(angle), speed,
                   &SpeedX(), &SpeedY());
    RegisterInGroup(kGroupNoCollision);
}

// The first frame shows once, every later one for animationStep + 1 updates; the frame after the last
// ends the puff in layer 0, which is never drawn.
void ExplodeTask::Update() {
    if (delay > 0) {
        --delay;
    } else {
        if (counter >= animationStep && counter % (animationStep + 1) == animationStep) srcX += kFrameWidth;
        if (srcX >= kEndFrameX) {
            drawLayer = 0;
            dead = 1;
        }
        ++counter;
        AppendToDrawLayer();
    }
    x += SpeedX();
    y += SpeedY();
}
