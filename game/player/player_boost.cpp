// The boost: 30 energy for a kick to running speed on the floor, or for half a pixel per frame more
// than the maximum speed when already at it.
#include <cmath>

#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/key_config.h"
#include "game/player/player_task.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kBoostCost = 30;
constexpr double kKickSpeed = 6.7;
constexpr double kMaxSpeedStep = 0.5;

uint32_t BoostButton() {
    return static_cast<uint32_t>(keyConfig.padBoost);
}

}  // namespace

// Energy is spent only by a boost that did something, so a launch in the same frame costs nothing extra
// and the energy never goes below 0. Without the energy, at the last health, a press only sounds "fail".
void PlayerTask::Boost() {
    if (!InputPressed(BoostButton())) return;
    const bool ready = !knockedBack && !ducking && clingTimer == 0 && boostEnergy >= kBoostCost;
    if (ready && (KickOnFloor() || RaiseMaxSpeed())) {
        boostEnergy -= kBoostCost;
        PlaySoundEffect(kSeBoost);
    } else if (health <= 1 && boostEnergy < kBoostCost) {
        PlaySoundEffect(kSeFail);
    }
}

bool PlayerTask::KickOnFloor() {
    if (surface != kSurfaceFloor || std::fabs(speedX) >= maxSpeed) return false;
    if (InputHeld(kInputRight) && speedX < kPlayerFastSpeed) {
        speedX = kKickSpeed;
    } else if (InputHeld(kInputLeft) && speedX > -kPlayerFastSpeed) {
        speedX = -kKickSpeed;
    } else if (std::fabs(speedX) < kPlayerFastSpeed) {
        speedX = flip == 0 ? kKickSpeed : -kKickSpeed;
    } else {
        return false;
    }
    boostLevel = 1;
    return true;
}

bool PlayerTask::RaiseMaxSpeed() {
    double& speed = surface == kSurfaceFloor || surface == kSurfaceCeiling ? speedX : speedY;
    if (std::fabs(speed) < maxSpeed) return false;
    maxSpeed += kMaxSpeedStep;
    speed += speed > 0.0 ? kMaxSpeedStep : -kMaxSpeedStep;
    boostLevel = 3;
    return true;
}
