#include "game/devices/falling_object_task.h"

#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"

namespace {

constexpr int kPieceSize = 10;
constexpr double kGravity = 0.3;
constexpr int kViewWidth = 400;
constexpr int kViewHeight = 300;

constexpr int kDebrisLayer = 8;
constexpr double kDebrisSpin = 0.1;  // radians per frame for each pixel per frame of sideways speed

struct Debris {
    int srcX, srcY;
    double speedX, speedY;
};

constexpr Debris kDebris[4] = {
    {0, 20, -2.0, -3.0}, {10, 20, 2.0, -3.0}, {0, 30, -2.0, -2.0}, {10, 30, 2.0, -2.0}};

}  // namespace

FallingObjectTask::FallingObjectTask(int x_, int y_, int graphic_, int srcX_, int srcY_, int drawLayer_,
                                     double speedX, double speedY, double angle, double spin)
    : Character(-1, x_, y_) {
    graphic = graphic_;
    srcX = srcX_;
    srcY = srcY_;
    drawLayer = drawLayer_;
    w = boxW = kPieceSize;
    h = boxH = kPieceSize;
    flip = 0;
    SpeedX() = speedX;
    SpeedY() = speedY;
    Angle() = angle;
    Spin() = spin;
    RegisterInGroup(kGroupNoCollision);
}

void FallingObjectTask::Update() {
    SpeedY() += kGravity;
    Angle() += Spin();
    x += SpeedX();
    y += SpeedY();
    if (x + w < cameraX || x - w > cameraX + kViewWidth || y + h < cameraY || y - h > cameraY + kViewHeight) {
        dead = 1;
    }
    AppendToDrawLayer();
}

void FallingObjectTask::Draw() {
    DrawImagePartRotated(static_cast<int>(x) - cameraX, static_cast<int>(y) - cameraY, srcX, srcY, w, h, 1.0,
                         Angle(), graphic, 1, flip);
}

Character* CreateFallingObjectTask(int x, int y, int graphic, int srcX, int srcY, int drawLayer,
                                   double speedX, double speedY, double angle, double spin) {
    return CreateTask<FallingObjectTask>(x, y, graphic, srcX, srcY, drawLayer, speedX, speedY, angle, spin);
}

int CreateBlockDebris(int cornerX, int cornerY, int groupLimit) {
    int made = 0;
    for (const Debris& piece : kDebris) {
        if (taskCounts[kGroupNoCollision] >= groupLimit) break;
        made +=
            CreateFallingObjectTask(cornerX, cornerY, commonGraphic, piece.srcX, piece.srcY, kDebrisLayer,
                                    piece.speedX, piece.speedY, 0.0, piece.speedX * kDebrisSpin) != nullptr;
    }
    return made;
}
