#include "game/enemies/floggy_task.h"

#include <cmath>

#include "game/enemies/enemy_damage.h"
#include "game/frame/game_state.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/map/world_tiles.h"

namespace {

constexpr int kRadius = 17;
constexpr int kBoxX = 20;
constexpr int kBoxYHigh = 27;
constexpr int kBoxYLow = 33;
constexpr int kDrawLayer = 11;
constexpr int kBlastTop = 10;
constexpr int kFeet = 50;
constexpr int kHop = 60;
constexpr int kCrouchFrame = 40;
constexpr int kLeapFrame = 56;
constexpr int kTurnFrame = 8;
constexpr int kCrouchX = 40;
constexpr int kLeapX = 80;
constexpr double kGravity = 0.4;
constexpr double kLaunchHalfStep = 0.2;

struct HopCase {
    double launchSpeed;  // upward
    int rise;            // landing height less the present feet height
};

}  // namespace

FloggyTask::FloggyTask(const MapObjectRecord& record, MapData* map_) : Character(record) {
    map = map_;
    graphic = map != nullptr ? map->FindGraphic("floggy") : 0;
    shape = kShapeCircle;
    boxX = kBoxX;
    boxY = kBoxYHigh;
    boxW = kRadius;
    drawLayer = kDrawLayer;
    flip = record.param == 0 ? 1 : 0;
    landingHeight = static_cast<int>(y + kFeet);
    targetX = x;
    RegisterInGroup(kGroupEnemy);
}

// The ground 60 pixels ahead: free or solid at the height of its body (upper) and just below its feet
// (lower) decides the hop. Blocked high and open low it stays where it is and only bobs.
void FloggyTask::PlanHop() {
    const int ahead = flip == 0 ? kHop : -kHop;
    const int probeX = static_cast<int>(x + (flip == 0 ? 80 : -40));
    const bool upper = WorldTileAt(map, 0, probeX, static_cast<int>(y + 20), false) != 0;
    const bool lower = WorldTileAt(map, 0, probeX, static_cast<int>(y + 60), false) != 0;
    const int feet = static_cast<int>(y + kFeet);
    HopCase hop;
    if (!upper && lower) {
        hop = {8.0, 0};
    } else if (!upper) {
        hop = {6.0, kHop};
    } else if (lower) {
        hop = {9.0, -kHop};
    } else {
        targetX = x;
        landingHeight = feet;
        SpeedX() = SpeedY() = 0.0;
        SpeedY() += kLaunchHalfStep;
        return;
    }
    targetX = x + ahead;
    landingHeight = feet + hop.rise;
    SpeedY() = -hop.launchSpeed;
    const double v = hop.launchSpeed;
    const double flightFrames = (std::sqrt(v * v + 2.0 * kGravity * hop.rise) + v) / kGravity;
    SpeedX() = ahead / flightFrames;
    SpeedY() += kLaunchHalfStep;
}

void FloggyTask::Rest() {
    if (counter == kCrouchFrame) srcX = kCrouchX;
    if (counter != kLeapFrame) return;
    srcX = kLeapX;
    PlanHop();
    counter = 0;
    state = kFlying;
}

void FloggyTask::Fly() {
    SpeedY() += kGravity;
    if (SpeedY() >= 0.0) srcX = 0;
    if (SpeedY() > 0.0 && y + kFeet + SpeedY() >= landingHeight) Land();
}

void FloggyTask::Land() {
    x = targetX;
    y = landingHeight - kFeet;
    srcX = kCrouchX;
    SpeedX() = SpeedY() = 0.0;
    counter = 0;
    state = kLanded;
}

void FloggyTask::Update() {
    ApplyEnemyDamage(*this, kBlastTop);
    switch (state) {
        case kResting:
            Rest();
            break;
        case kFlying:
            Fly();
            break;
        case kLanded:
            if (counter == kTurnFrame) {
                srcX = 0;
                flip = flip == 0 ? 1 : 0;
                counter = 0;
                state = kResting;
            }
            break;
        default:
            break;
    }
    x += SpeedX();
    y += SpeedY();
    boxY = y + 30 < playerY ? kBoxYLow : kBoxYHigh;
    ++counter;
    AppendToDrawLayer();
}
