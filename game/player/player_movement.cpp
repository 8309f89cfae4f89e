// The player's movement along its surface, and the cling that holds it where it was carried onto a new
// surface until a launch or a drop.
#include <algorithm>
#include <cmath>

#include "engine/sound/sound.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/key_config.h"
#include "game/map/world_tiles.h"
#include "game/player/player_task.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr double kJumpSpeed = 4.5;
constexpr int kJumpHoldFrames = 7;
constexpr double kGravity = 0.4;
constexpr double kFallCap = 6.0;
constexpr double kSlideSpeed = 4.0;
constexpr int kSlideFrames = 31;
constexpr int kSlideCoolDown = -6;
constexpr double kCrawlSpeed = 0.5;
constexpr double kAcceleration = 0.1;
// The turning and friction steps are the doubles just above 0.3 and 0.15.
constexpr double kTurnAcceleration = 0.30000000000000004;
constexpr double kFriction = 0.15000000000000002;
constexpr double kStopSpeed = 0.1;
constexpr int kClingFrames = 60;
constexpr int kLowCeilingProbeY = 10;

uint32_t JumpButton() {
    return static_cast<uint32_t>(keyConfig.padJump);
}

// A launch direction fires when held with an empty or breakable tile ahead, newly pressed, or when the
// mask has just become exactly that direction.
bool LaunchInput(uint32_t direction, int tileAhead) {
    const bool justAlone = inputNow == direction && inputPrev != direction;
    return (InputHeld(direction) && tileAhead % kBreakableTile == 0) || InputPressed(direction) || justAlone;
}

void Friction(double& speed) {
    if (speed >= kStopSpeed) {
        speed -= kFriction;
    } else if (speed > -kStopSpeed) {
        speed = 0.0;
    } else {
        speed += kFriction;
    }
}

}  // namespace

void PlayerTask::UpdateCling() {
    MoveX() = MoveY() = 0.0;
    speedX = speedY = 0.0;
    ducking = sliding = airborne = jumpReleased = 0;
    jumpHoldCounter = attackTimer = slideTimer = 0;
    const int ix = static_cast<int>(x), iy = static_cast<int>(y);
    const bool onWall = surface == kSurfaceRightWall || surface == kSurfaceLeftWall;
    if (inputEnabled == 1 && (clingTimer > kClingFrames || InputPressed(JumpButton()))) {
        surface = kSurfaceFloor;
        clingTimer = -1;
    } else if (onWall) {
        const double launch = std::fabs(playerSpeed);
        if (TryLaunch(kInputDown, ix + 20, iy + 45)) {
            speedY = launch;
            PlaySoundEffect(kSeBoost);
            flip = surface == kSurfaceRightWall ? 1 : 0;
        } else if (TryLaunch(kInputUp, ix + 20, iy - 5)) {
            speedY = -launch;
            PlaySoundEffect(kSeBoost);
            flip = surface != kSurfaceRightWall ? 1 : 0;
        }
    } else {
        const double launch = std::fabs(playerSpeed);
        if (TryLaunch(kInputLeft, ix - 5, iy + 20)) {
            speedX = -launch;
            if (surface == kSurfaceCeiling) PlaySoundEffect(kSeBoost);
            flip = surface == kSurfaceFloor ? 1 : 0;
        }
        if (TryLaunch(kInputRight, ix + 45, iy + 20)) {
            speedX = launch;
            if (surface == kSurfaceCeiling) PlaySoundEffect(kSeBoost);
            flip = surface != kSurfaceFloor ? 1 : 0;
        }
    }
    ++clingTimer;
}

// A launch frees the player along its surface; it faces and sizes its box for the run.
bool PlayerTask::TryLaunch(uint32_t direction, int tileX, int tileY) {
    if (!LaunchInput(direction, WorldTileAt(map, 0, tileX, tileY, true))) return false;
    clingTimer = -1;
    boostLevel = 1;
    if (direction == kInputDown || direction == kInputUp) {
        boxX = 6;
        boxW = 30;
    } else {
        boxY = 6;
        boxH = 30;
    }
    return true;
}

void PlayerTask::MoveAlongSurface() {
    switch (surface) {
        case kSurfaceFloor:
            MoveOnFloor();
            break;
        case kSurfaceCeiling:
            MoveOnCeiling();
            break;
        default:
            MoveOnWall();
            break;
    }
}

void PlayerTask::MoveOnFloor() {
    ApplyJumpHoldAndGravity(1.0);
    if (!knockedBack && !airborne && InputPressed(JumpButton())) {
        speedY = -kJumpSpeed;
        jumpReleased = 0;
        airborne = 1;
        PlaySoundEffect(kSeJump);
    }
    UpdateSlide(kInputDown, true);
    const int left = static_cast<int>(x) + boxX + 1;
    const int right = static_cast<int>(x) + boxX + boxW - 1;
    const int probeY = static_cast<int>(y) + kLowCeilingProbeY;
    const bool lowCeiling =
        WorldTileAt(map, 0, left, probeY, false) != 0 || WorldTileAt(map, 0, right, probeY, false) != 0;
    if (lowCeiling && !sliding) ducking = 1;
    if (knockedBack) return;
    Boost();
    Run(speedX, kInputRight, kInputLeft, true);
    UpdateRunCounter(speedX);
    if (speedX > kStopSpeed) flip = 0;
    if (speedX < -kStopSpeed) flip = 1;
}

void PlayerTask::MoveOnCeiling() {
    // Gravity holds the player to the ceiling; a jump pushes it away.
    ApplyJumpHoldAndGravity(-1.0);
    if (!knockedBack && !airborne && InputPressed(JumpButton())) {
        speedY = kJumpSpeed;
        jumpReleased = 0;
        airborne = 1;
        PlaySoundEffect(kSeJump);
    }
    UpdateSlide(kInputUp, false);
    if (!knockedBack) {
        Boost();
        Run(speedX, kInputRight, kInputLeft, false);
        UpdateRunCounter(speedX);
        if (speedX > kStopSpeed) flip = 1;
        if (speedX < -kStopSpeed) flip = 0;
    }
    LeaveSurfaceWhenSlow(speedX);
}

void PlayerTask::MoveOnWall() {
    const bool right = surface == kSurfaceRightWall;
    UpdateSlide(right ? kInputRight : kInputLeft, false);
    if (!knockedBack) {
        Boost();
        if (airborne) {
            if (!sliding) Friction(speedY);
        } else {
            Run(speedY, kInputDown, kInputUp, false);
        }
        UpdateRunCounter(speedY);
        if (speedY > kStopSpeed) flip = right ? 1 : 0;
        if (speedY < -kStopSpeed) flip = right ? 0 : 1;
    }
    LeaveSurfaceWhenSlow(speedY);
}

// The jump rises at full speed while JUMP is held, for at most 8 counted frames; gravity acts from the
// frame after the one that releases it. towardSurface is +1 on the floor and -1 on the ceiling.
void PlayerTask::ApplyJumpHoldAndGravity(double towardSurface) {
    if (!jumpReleased) {
        if (!InputHeld(JumpButton()) || jumpHoldCounter > kJumpHoldFrames || knockedBack) {
            jumpReleased = 1;
        } else {
            ++jumpHoldCounter;
        }
    } else if (speedY * towardSurface < kFallCap) {
        speedY = std::min((speedY * towardSurface) + kGravity, kFallCap) * towardSurface;
    }
}

void PlayerTask::UpdateSlide(uint32_t slideButton, bool canDuck) {
    if (airborne || knockedBack) {
        ducking = sliding = 0;
        slideTimer = 0;
        StopSoundHandle(soundEffects[kSeSlide]);
    } else {
        const double along = surface == kSurfaceFloor || surface == kSurfaceCeiling ? speedX : speedY;
        const bool slow = std::fabs(along) < kSlideSpeed;
        if (canDuck) {
            if (slow && InputHeld(kInputDown) && !sliding) ducking = 1;
            if (!InputHeld(kInputDown)) ducking = 0;
        }
        if (!slow && InputPressed(slideButton) && slideTimer == 0) {
            sliding = 1;
            PlaySoundEffect(kSeSlide);
        }
        if (sliding && ++slideTimer > kSlideFrames) {
            slideTimer = kSlideCoolDown;
            sliding = 0;
            if (canDuck && slow && InputHeld(kInputDown)) ducking = 1;
        }
    }
    if (slideTimer < 0) ++slideTimer;
}

// Accelerates toward the held direction (faster when turning), crawls while ducking, or brakes by friction
// when neither is held and not sliding.
void PlayerTask::Run(double& speed, uint32_t forward, uint32_t backward, bool canCrawl) {
    if (InputHeld(forward)) {
        if (canCrawl && ducking) {
            speed = kCrawlSpeed;
        } else {
            speed += speed < 0.0 ? kTurnAcceleration : kAcceleration;
            if (speed > maxSpeed) speed = maxSpeed;
        }
    } else if (InputHeld(backward)) {
        if (canCrawl && ducking) {
            speed = -kCrawlSpeed;
        } else {
            speed -= speed > 0.0 ? kTurnAcceleration : kAcceleration;
            if (speed < -maxSpeed) speed = -maxSpeed;
        }
    } else if (!sliding) {
        Friction(speed);
    }
}

void PlayerTask::UpdateRunCounter(double speed) {
    if (std::fabs(speed) <= kStopSpeed) {
        runCounter = 0;
    } else {
        ++runCounter;
    }
}

// Below the wall-running speed, or once off the surface, the player drops to the floor mode.
void PlayerTask::LeaveSurfaceWhenSlow(double speed) {
    if (std::fabs(speed) >= kPlayerFastSpeed && !airborne) return;
    surface = kSurfaceFloor;
    ducking = sliding = 0;
    flip = flip ? 0 : 1;
}
