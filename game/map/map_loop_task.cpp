#include "game/map/map_loop_task.h"

#include "game/frame/game_state.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"

MapLoopTask::MapLoopTask(MapData* map_) : Character(-1, 0.0, 0.0) {
    map = map_;
    shape = 0;
    drawLayer = 0;
    RegisterInGroup(kGroupSceneControl);
}

void MapLoopTask::Update() {
    if (map != nullptr && map->cameraX > kMapLoopWidth && area4IntroShown == 1) {
        map->lockFlags = 0;
        map->SetCamera(map->cameraX - kMapLoopWidth, map->cameraY);
        map->lockFlags = kLockLeft;
        ShiftAllTasks(-static_cast<double>(kMapLoopWidth), 0.0);
    }
    ++counter;
    AppendToDrawLayer();
}
