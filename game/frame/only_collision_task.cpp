#include "game/frame/only_collision_task.h"

#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/main_loop.h"
#include "game/frame/task_registry.h"

OnlyCollisionTask::OnlyCollisionTask() : Character(-1, cameraX - 20.0, cameraY - 20.0) {
    w = boxW = 440;
    h = boxH = 340;
    shape = kShapeBox;
    flash = 1;
    drawLayer = 7;
    RegisterInGroup(kGroupPlayerAttack);
}

OnlyCollisionTask::OnlyCollisionTask(uint8_t shapeKind, double x_, double y_, int group_)
    : Character(-1, x_, y_) {
    shape = shapeKind;
    drawLayer = 7;
    RegisterInGroup(group_);
}

void OnlyCollisionTask::SetShape(uint8_t shapeKind, int width, int height, double x_, double y_) {
    shape = shapeKind;
    x = x_;
    y = y_;
    w = boxW = width;
    h = boxH = height;
}

void OnlyCollisionTask::Update() {
    previousHit = hitCode;
    hitCode = -1;
    if (flash && counter >= 1) dead = 1;
    ++counter;
    AppendToDrawLayer();
}

void OnlyCollisionTask::Draw() {
    if (flash) DrawBoxShape(0, 0, kLogicalWidth, kLogicalHeight, PackColor(255, 255, 255), 1);
}
