#include "game/enemies/ufo_task.h"

#include <algorithm>

#include "engine/core/helpers/random.h"
#include "engine/graphics/graphics.h"
#include "engine/sound/sound.h"
#include "game/devices/explode_task.h"
#include "game/frame/collision.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/key_config.h"
#include "game/frame/only_collision_task.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/map/map_loop_task.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr double kStartX = 260.0, kStartY = 120.0;
constexpr int kWidth = 120, kHeight = 70;
constexpr int kRadius = 30;
constexpr int kHitPoints = 3;
constexpr double kStartSpeedCap = 7.5;
constexpr int kDrawLayer = 12;

constexpr int kPilotReady = 2;
constexpr int kPilotAboard = 3;
constexpr int kPilotEscapes = 4;

constexpr int kInvulnerableFrames = 12;
constexpr double kCapRaise = 0.5;
constexpr double kCapMargin = 0.1;
constexpr double kKnockSpeed = 9.0;
constexpr double kStationDistance = 300.0;
constexpr double kStationAccel = 0.15;
constexpr double kBackwardShare = 0.25;
constexpr double kCruiseY = 80.0;

constexpr int kExtensionStart = 20, kExtensionFull = 30, kExtensionStep = 2;
constexpr int kLoopStartFrame = 50;
constexpr int kRespawnReleaseFrame = 70;
constexpr int kReleaseWatchFrame = 51;

constexpr int kApproachFrames = 60;
constexpr int kCruiseEnd = 61;
constexpr int kAttackRotation[] = {3, 4, 3, 5, 6, 4, 3, 5, 4, 6};
constexpr int kRotationLength = sizeof(kAttackRotation) / sizeof(kAttackRotation[0]);
constexpr double kNoWalkersCap = 12.0;
constexpr int kBackToCruise = 40;

constexpr int kShotFrames[] = {20, 36, 52, 68, 84};
constexpr int kBulletLightEnd = 84;
constexpr int kBulletsEnd = 90;
constexpr double kShotSpeed = 3.0;
constexpr int kShotSpreadDegrees = 2;
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

constexpr int kPillarFrames[] = {20, 60};
constexpr int kPillarsEnd = 70;

constexpr int kChargeFrame = 10, kLaserFrame = 50, kSweepFrame = 71;
constexpr double kSweepTop = 81.0, kSweepBottom = 166.0, kSweepSpeed = 2.0;
constexpr int kSweeps = 2;

constexpr int kHatchFull = 200, kHatchStep = 40, kHatchPeriod = 3;
constexpr int kHatchOpenEnd = 20, kHatchSoundFrame = 3, kHatchCloseFrame = 111;
constexpr int kWalkerFrames[] = {20, 50, 80};

constexpr int kKnockBlastFrames = 8;
constexpr int kBlastSpreadX = 80, kBlastSpreadY = 30, kBlastLayer = 11;
constexpr double kKnockDecel = 0.15;
constexpr int kFlyOffFrame = 121, kFlyOffEnd = 241, kFlyOffFrames = 120, kLoopEndFrame = 280;
constexpr double kFlyOffX = 140.0;
constexpr double kCrashX = 3940.0;
constexpr double kWreckFloor = 220.0, kWreckSink = 0.2, kWreckGravity = 0.3;
constexpr double kWreckDrag = 0.15, kWreckSlowest = -1.0;
constexpr double kWreckSpin = 0.019634954084936207;  // pi / 160
constexpr int kAutoJumpCameraX = 3600;

struct WreckPiece {
    int dx, dy;
    double speedX, speedY;
};

constexpr WreckPiece kWreckPieces[] = {
    {15, 45, -2.4, -5.0}, {15, 55, -1.6, -4.8}, {15, 65, -0.8, -4.6}, {15, 75, 0.0, -4.4},
    {25, 45, -3.0, -3.4}, {25, 55, -2.0, -3.2}, {25, 65, -1.0, -3.0}, {25, 75, 0.0, -2.8},
};
constexpr int kPieceSrcX = 180, kPieceSrcY = 60, kPieceLayer = 2, kPieceKinds = 3;

template <int N>
bool IsFrame(const int (&frames)[N], int value) {
    return std::find(frames, frames + N, value) != frames + N;
}

bool IsStrike(int code) {
    return code == kHitByPlayerAttack || code == kHitTouchedByPlayer;
}

void BlendedCircle(int x, int y, int radius, int param, uint32_t color) {
    SetBlend(kBlendAdd, param);
    DrawCircleShape(x, y, radius, color, 1);
    SetBlend(kBlendNone, 0);
}

}  // namespace

int UfoAttackAt(int patternIndex, double speedCap) {
    const int attack =
        kAttackRotation[((patternIndex % kRotationLength) + kRotationLength) % kRotationLength];
    if (attack == UfoTask::kWalkers && speedCap >= kNoWalkersCap) return UfoTask::kBullets;
    return attack;
}

UfoTask::UfoTask(int32_t* pilotState_, MapData* map_)
    : Character(-1, kStartX, kStartY), pilotState(pilotState_) {
    map = map_;
    graphic = map != nullptr ? map->FindGraphic("ufo") : 0;
    w = kWidth;
    h = kHeight;
    shape = kShapeCircle;
    boxX = kWidth / 2;
    boxY = kHeight / 2;
    boxW = boxH = kRadius;
    health = kHitPoints;
    speedCap = kStartSpeedCap;
    drawLayer = kDrawLayer;
    work2 = 1;
    RegisterInGroup(kGroupEnemy);
}

void UfoTask::SetPilotState(int value) {
    if (pilotState != nullptr) *pilotState = value;
}

// The body boxes report what the collision pass wrote into them through the code they kept last.
bool UfoTask::StruckThisFrame() const {
    if (IsStrike(hitCode)) return true;
    for (int i = kHullBox; i <= kRightPod; ++i) {
        if (IsStrike(boxes[i]->previousHit)) return true;
    }
    return false;
}

void UfoTask::TakeHit() {
    invulnerable = kInvulnerableFrames;
    health -= 1;
    if (speedCap + kCapMargin < playerMaxSpeed) speedCap += kCapRaise;
    SpeedX() = speedCap + kKnockSpeed;
    SpeedY() = 0.0;
    PlaySoundEffect(kSeExplode);
    bulletLight = chargeLight = laserOn = pillarLight = 0;
    sweepCount = 0;
    hatchOpening = 0;
    if (health < 1) {
        areaCleared = 1;
        inputEnabled = 0;
        runTimerStopped = 1;
        if (speedCap + kCapMargin < playerMaxSpeed) speedCap = playerMaxSpeed;
    }
    counter = 0;
    state = kKnocked;
}

void UfoTask::Update() {
    const bool boxesReady = boxes[kHullBox] && boxes[kLeftPod] && boxes[kRightPod];
    if (boxesReady && invulnerable < 1 && health > 0 && StruckThisFrame()) TakeHit();
    hitCode = -1;
    if (invulnerable > 0) --invulnerable;
    StepState();
    Move();
    y += SpeedY();
    PlaceBoxes();
    if (health < 1) {
        scriptedInput |= kInputRight;
        if (map != nullptr && map->cameraX >= kAutoJumpCameraX)
            scriptedInput |= static_cast<uint32_t>(keyConfig.padJump);
    }
    ++counter;
    AppendToDrawLayer();
}

void UfoTask::StepState() {
    switch (state) {
        case kWaiting:
            if (pilotState != nullptr && *pilotState == kPilotReady) {
                counter = 0;
                state = kEntrance;
            }
            break;
        case kEntrance:
            Entrance();
            break;
        case kApproach:
            if (counter == 1) SpeedY() = (kCruiseY - y) / kApproachFrames;
            Cruise();
            break;
        case kCruise:
            Cruise();
            break;
        case kBullets:
            Bullets();
            break;
        case kFirePillars:
            FirePillars();
            break;
        case kLaser:
            Laser();
            break;
        case kWalkers:
            Walkers();
            break;
        case kKnocked:
            Knocked();
            break;
        case kDestroyed:
            Destroyed();
            break;
        case kWreck:
            Wreck();
            break;
        default:
            break;
    }
}

void UfoTask::Entrance() {
    if (counter >= kExtensionStart) {
        if (extension == 0) PlaySoundEffect(kSeCock);
        extension = std::min(kExtensionFull, extension + kExtensionStep);
        if (extension == kExtensionFull) SetPilotState(kPilotAboard);
    }
    if (counter == kLoopStartFrame) {
        area4IntroShown = 1;
        CreateTask<MapLoopTask>(map);
    }
    if (counter == kRespawnReleaseFrame && respawnInBossMap) {
        inputEnabled = 1;
        runTimerStopped = 0;
        ChangeBgm("./bgm/boss2.pttune", 1);
    }
    if (counter >= kReleaseWatchFrame && inputEnabled == 1) {
        counter = 0;
        state = kApproach;
    }
}

void UfoTask::Cruise() {
    if (counter != kCruiseEnd) return;
    SpeedY() = 0.0;
    counter = 0;
    state = UfoAttackAt(patternIndex, speedCap);
    patternIndex = (patternIndex + 1) % kRotationLength;
}

void UfoTask::Bullets() {
    bulletLight = counter < kBulletLightEnd && counter % 4 < 2;
    if (IsFrame(kShotFrames, counter)) {
        const double turn = (GetRandomRange(2 * kShotSpreadDegrees) - kShotSpreadDegrees) * kRadiansPerDegree;
        const double carry = playerSpeed > 0.0 ? playerSpeed : 0.0;
        CreateAimedEnemyBulletTask(x + 50.0, y + 32.0, map, playerX + 20.0, playerY + 20.0, kShotSpeed, turn,
                                   carry);
        PlaySoundEffect(kSeShot);
    }
    if (counter == kBulletsEnd) {
        counter = 20;
        state = kCruise;
    }
}

void UfoTask::FirePillars() {
    pillarLight = (counter < 20 || (40 < counter && counter < 60)) && counter % 4 < 2;
    if (IsFrame(kPillarFrames, counter))
        CreateFirePillarBulletTask(static_cast<int>(x) + 12, static_cast<int>(y) + 58, map, effectiveSpeed);
    if (counter == kPillarsEnd) {
        counter = kBackToCruise;
        state = kCruise;
    }
}

void UfoTask::Laser() {
    if (counter == kChargeFrame) {
        chargeLight = 1;
        PlaySoundEffect(kSeCharge);
    }
    if (counter >= kLaserFrame) {
        laserOn = 1;
        if (QuerySoundPlaying(soundEffects[kSeLaser]) != 1) PlaySoundEffect(kSeLaser);
    }
    if (counter < kSweepFrame) return;
    if (y <= kSweepTop) {
        SpeedY() = kSweepSpeed;
        if (sweepCount >= kSweeps) {
            sweepCount = 0;
            SpeedY() = 0.0;
            chargeLight = laserOn = 0;
            counter = kBackToCruise;
            state = kCruise;
            return;
        }
    }
    if (y > kSweepBottom) {
        ++sweepCount;
        SpeedY() = -kSweepSpeed;
    }
}

void UfoTask::Walkers() {
    if (counter < kHatchOpenEnd && counter % kHatchPeriod == 0)
        hatchOpening = std::min(kHatchFull, hatchOpening + kHatchStep);
    if (counter == kHatchSoundFrame) PlaySoundEffect(kSeOpen);
    if (IsFrame(kWalkerFrames, counter)) CreateTwiggerTaskAt(x + 40.0, y + 20.0, map, effectiveSpeed);
    if (counter >= kHatchCloseFrame && counter % kHatchPeriod == 0) {
        hatchOpening = std::max(0, hatchOpening - kHatchStep);
        if (hatchOpening == 0) {
            counter = kBackToCruise;
            state = kCruise;
        }
    }
}

void UfoTask::Explode() {
    const int dx = GetRandomRange(kBlastSpreadX);
    const int dy = GetRandomRange(kBlastSpreadY);
    CreateTask<ExplodeTask>(static_cast<int>(x + dx), static_cast<int>(y + dy), 0, kBlastLayer, 0.0, 0.0);
}

void UfoTask::Knocked() {
    if (counter < kKnockBlastFrames || (health < 1 && counter % 2 == 0)) Explode();
    if (health < 1 && counter % 8 == 0) PlaySoundEffect(kSeExplode);
    SpeedX() -= kKnockDecel;
    if (SpeedX() <= speedCap || x > cameraX + 400.0) {
        SpeedX() = speedCap;
        counter = 0;
        state = health > 0 ? kApproach : kDestroyed;
    }
}

void UfoTask::Destroyed() {
    if (counter % 16 == 0) PlaySoundEffect(kSeExplode);
    if (health < 1 && counter % 4 == 0) Explode();
    if (counter == kFlyOffFrame) {
        effectiveSpeed = (cameraX + kFlyOffX - x) / kFlyOffFrames;
        SpeedX() += effectiveSpeed;
        SpeedY() = (kCruiseY - y) / kFlyOffFrames;
    }
    if (counter == kFlyOffEnd) {
        SpeedX() -= effectiveSpeed;
        SpeedY() = 0.0;
        FadeOutBgm();
    }
    if (counter < kLoopEndFrame) return;
    area4IntroShown = 0;
    if (x + 80.0 > kCrashX) Crash();
}

void UfoTask::Crash() {
    PlaySoundEffect(kSeClash);
    CreateQuakeTask(30, 0);
    CreateQuakeTask(30, 1);
    for (const WreckPiece& piece : kWreckPieces) {
        const int srcX = kPieceSrcX + 10 * GetRandomRange(kPieceKinds);
        CreateFallingObjectTask(static_cast<int>(x) + piece.dx, static_cast<int>(y) + piece.dy, graphic, srcX,
                                kPieceSrcY, kPieceLayer, piece.speedX, piece.speedY, 0.0, 0.0);
    }
    SetPilotState(kPilotEscapes);
    SpeedX() = -4.0;
    SpeedY() = -2.0;
    counter = 0;
    state = kWreck;
}

void UfoTask::Wreck() {
    if (y >= kWreckFloor) {
        SpeedX() = 0.0;
        SpeedY() = kWreckSink;
        return;
    }
    if (SpeedX() < kWreckSlowest) SpeedX() += kWreckDrag;
    SpeedY() += kWreckGravity;
    spinAngle += kWreckSpin;
}

// While it attacks the UFO keeps station ahead of the view's left edge, carried by the player's run.
void UfoTask::Move() {
    const bool stationKeeping = state == kApproach || (state >= kCruise && state <= kWalkers);
    if (!stationKeeping) {
        x += SpeedX();
        return;
    }
    const double d = x - cameraX;
    if (d < kStationDistance) SpeedX() = std::min(SpeedX() + kStationAccel, speedCap);
    if (d > kStationDistance) SpeedX() = std::max(SpeedX() - kStationAccel, -kBackwardShare * speedCap);
    if (playerSpeed + SpeedX() > speedCap) {
        effectiveSpeed = speedCap;
    } else {
        effectiveSpeed = playerSpeed > 0.0 ? playerSpeed + SpeedX() : SpeedX();
    }
    x += effectiveSpeed;
    if (x < cameraX) x = cameraX;
}

// A missing box is made this frame and placed from the next one on.
void UfoTask::PlaceBoxes() {
    bool made = false;
    for (int i = 0; i < kBoxCount; ++i) {
        if (boxes[i] != nullptr) continue;
        boxes[i] = CreateTask<OnlyCollisionTask>(0, 0.0, 0.0, i == kLaserBox ? kGroupHarmful : kGroupEnemy);
        made = true;
    }
    if (made) return;
    if (shape != 0) {
        boxes[kHullBox]->SetShape(kShapeBox, 88, 34, x + 16.0, y + 29.0);
        boxes[kLeftPod]->SetShape(kShapeCircle, 17, 17, x + 23.0, y + 44.0);
        boxes[kRightPod]->SetShape(kShapeCircle, 17, 17, x + 97.0, y + 44.0);
    } else {
        for (int i = kHullBox; i <= kRightPod; ++i) boxes[i]->shape = 0;
    }
    if (laserOn) {
        boxes[kLaserBox]->SetShape(kShapeBox, static_cast<int>(x) - cameraX + 20, 8, cameraX, y + 40.0);
    } else {
        boxes[kLaserBox]->shape = 0;
    }
}

void UfoTask::Draw() {
    const int sx = static_cast<int>(x) - cameraX, sy = static_cast<int>(y) - cameraY;
    if (state == kWreck) {
        DrawImagePartRotated(sx + 60, sy + 30, 180, 0, 120, 60, 1.0, spinAngle, graphic, 1, 0);
    } else {
        if (invulnerable > 0) SetBright(255, 0, 0);
        DrawImagePart(sx, sy + 20, 0, 0, 120, 50, graphic, 1, 0);
        DrawImagePart(sx + 30, sy + 40, 120, hatchOpening, 60, 30, graphic, 1, 0);
        DrawImagePart(sx + 20, sy + 30 - extension, 20, 90 - extension, 80, extension, graphic, 1, 0);
        SetBright(255, 255, 255);
    }
    if (bulletLight) BlendedCircle(sx + 59, sy + 41, 6, 192, PackColor(231, 99, 165));
    if (pillarLight) BlendedCircle(sx + 21, sy + 63, 6, 192, PackColor(231, 132, 0));
    const int wobble = counter / 3 % 2;
    const uint32_t white = PackColor(255, 255, 255);
    if (laserOn) {
        SetBlend(kBlendAdd, 120);
        DrawBoxShape(0, sy + 39 + wobble, sx + 5, sy + 47 - wobble, white, 1);
        DrawBoxShape(0, sy + 35 + 2 * wobble, sx + 5, sy + 51 - 2 * wobble, white, 1);
        SetBlend(kBlendNone, 0);
    }
    if (chargeLight) {
        SetBlend(kBlendAdd, 120);
        DrawCircleShape(sx + 5, sy + 43, 4 - wobble, white, 1);
        DrawCircleShape(sx + 5, sy + 43, 2 * (4 - wobble), white, 1);
        SetBlend(kBlendNone, 0);
    }
}
