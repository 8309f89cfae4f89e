#include "game/enemies/alien_task.h"

#include <algorithm>
#include <cmath>

#include "game/enemies/ufo_task.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/scenes/stage_clear_task.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kJumpFrame = 300;
constexpr double kJumpSpeed = -8.0;
constexpr double kGravity = 0.3;
constexpr double kSeatX = 300.0, kSeatY = 120.0;
constexpr int kStandLayer = 11, kFallLayer = 14, kHiddenLayer = 0;
constexpr int kStandSrcX = 0, kJumpSrcX = 40, kClimbSrcX = 80;
constexpr int kSrcY = 100;

constexpr double kEscapeX = 3900.0, kEscapeY = 80.0;
constexpr double kEscapeSpeedX = -2.0, kEscapeSpeedY = -6.0;
constexpr double kGroundY = 260.0;
constexpr int kHeight = 40;
constexpr double kSinkSpeed = 0.2;
constexpr double kFallLimit = 6.0;
constexpr double kDrag = 0.15, kSlowest = -0.5;
constexpr double kSunkDepth = 10.0;
constexpr int kBoardFrame = 88;

}  // namespace

// A pilot placed too low to rise to the seat's height peaks below it; its flight then ends at the peak.
double AlienJumpSpeedX(double x, double y) {
    const double rise = std::max(0.0, kJumpSpeed * kJumpSpeed - 2.0 * kGravity * (y - kSeatY));
    return (kSeatX - x) / ((std::sqrt(rise) - kJumpSpeed) / kGravity);
}

AlienTask::AlienTask(const MapObjectRecord& record, MapData* map_) : Character(record) {
    map = map_;
    graphic = map != nullptr ? map->FindGraphic("ufo") : 0;
    srcX = kStandSrcX;
    srcY = kSrcY;
    flip = 1;
    drawLayer = kStandLayer;
    RegisterInGroup(kGroupNoCollision);
}

void AlienTask::Update() {
    switch (state) {
        case kWaiting:
            Wait();
            break;
        case kJumping:
            Jump();
            break;
        case kAboard:
            drawLayer = kHiddenLayer;
            break;
        case kEscaping:
            Escape();
            break;
        case kFleeing:
            Flee();
            break;
        case kLeaving:
            Leave();
            break;
        default:
            break;
    }
    x += SpeedX();
    y += SpeedY();
    ++counter;
    AppendToDrawLayer();
}

void AlienTask::Wait() {
    if (counter == 0) {
        ufo = CreateTask<UfoTask>(&state, map);
        inputEnabled = 0;
        runTimerStopped = 1;
    }
    if (counter != kJumpFrame) return;
    SpeedY() = kJumpSpeed;
    SpeedX() = AlienJumpSpeedX(x, y);
    srcX = kJumpSrcX;
    PlaySoundEffect(kSeJump);
    counter = 0;
    state = kJumping;
}

void AlienTask::Jump() {
    SpeedY() += kGravity;
    if (SpeedY() <= 0.0) return;
    drawLayer = kFallLayer;
    if (y < kSeatY) return;
    SpeedX() = SpeedY() = 0.0;
    srcX = kStandSrcX;
    x = kSeatX;
    y = kSeatY;
    counter = 0;
    state = kReady;
}

void AlienTask::Escape() {
    drawLayer = kStandLayer;
    x = kEscapeX;
    y = kEscapeY;
    srcX = kClimbSrcX;
    SpeedX() = kEscapeSpeedX;
    SpeedY() = kEscapeSpeedY;
    counter = 0;
    state = kFleeing;
}

// The clear board is what raises areaTimeRecorded, and this pilot is the one that makes the board: so
// it also moves on once it has sunk out of sight behind the ground.
void AlienTask::Flee() {
    if (y + kHeight >= kGroundY) {
        SpeedX() = 0.0;
        SpeedY() = kSinkSpeed;
    } else {
        SpeedY() = std::min(kFallLimit, SpeedY() + kGravity);
        if (SpeedX() < kSlowest) SpeedX() += kDrag;
    }
    const bool sunk = y - kSunkDepth > kGroundY;
    if (sunk) scriptedInput |= kInputUp;
    if (areaTimeRecorded == 1 || sunk) {
        counter = 0;
        state = kLeaving;
        ChangeBgm("./bgm/clear.pttune", 0);
    }
}

void AlienTask::Leave() {
    if (counter != kBoardFrame) return;
    CreateStageClearTask(map);
    if (ufo != nullptr) ufo->pilotState = nullptr;
    dead = 1;
}
