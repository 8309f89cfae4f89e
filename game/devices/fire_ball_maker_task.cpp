#include "game/devices/fire_ball_maker_task.h"

#include "game/devices/fire_ball_task.h"
#include "game/frame/game_state.h"
#include "game/frame/task_registry.h"

namespace {

constexpr int kEnterDelay = 20;
constexpr int kThrowPeriod = 120;

}  // namespace

FireBallMakerTask::FireBallMakerTask(const MapObjectRecord& record, MapData* map_) : Character(record) {
    map = map_;
    drawLayer = 0;
    RegisterInGroup(kGroupTouchObject);
}

bool FireBallMakerTask::InView() const {
    const double cx = x + 10.0, cy = y + 10.0;
    return cameraX < cx && cx < cameraX + 400.0 && cameraY < cy && cy < cameraY + 300.0;
}

void FireBallMakerTask::Update() {
    if (InView()) {
        if (timer <= 0) {
            counter = 0;
            timer = kThrowPeriod;
            CreateTask<FireBallTask>(static_cast<int>(x), static_cast<int>(y), map);
        }
    } else if (timer < kEnterDelay) {
        timer = kEnterDelay;
    }
    --timer;
    hitCode = -1;
    ++counter;
}
