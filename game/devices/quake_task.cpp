#include "game/devices/quake_task.h"

#include "engine/core/helpers/random.h"
#include "game/frame/game_state.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"

namespace {

constexpr int kHalfPeriod = 4;  // frames between sign changes
constexpr int kSidewaysJitter = 2;

}  // namespace

QuakeTask::QuakeTask(int duration_, uint8_t vertical_)
    : Character(-1, 0.0, 0.0), duration(duration_), vertical(vertical_) {
    drawLayer = 0;
    RegisterInGroup(kGroupNoCollision);
}

// Shakes on every frame from 0 to the duration, both included; never drawn.
void QuakeTask::Update() {
    const int sign = 2 * (counter / kHalfPeriod % 2) - 1;
    if (vertical) {
        quakeY = sign;
    } else {
        quakeX = GetRandomRange(kSidewaysJitter) + sign;
    }
    if (counter >= duration) dead = 1;
    ++counter;
}

Character* CreateQuakeTask(int duration, int vertical) {
    return CreateTask<QuakeTask>(duration, static_cast<uint8_t>(vertical != 0));
}
