#include "game/scenes/object_task.h"

#include "game/frame/game_state.h"
#include "game/frame/task_registry.h"

ObjectTask::ObjectTask(double x_, double y_, int srcX_, int srcY_, int width, int height, int layer,
                       int graphic_)
    : Character(-1, x_, y_), homeX(x_), homeY(y_) {
    srcX = srcX_;
    srcY = srcY_;
    w = width;
    h = height;
    drawLayer = layer;
    graphic = graphic_;
    shape = 0;
    RegisterInGroup(kGroupNoCollision);
}

void ObjectTask::Update() {
    x = homeX + quakeX;
    y = homeY + quakeY;
    ++counter;
    AppendToDrawLayer();
}
