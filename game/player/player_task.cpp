#include "game/player/player_task.h"

#include <cmath>

#include "engine/core/helpers/random.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr double kScriptedExitY = -40.0;
constexpr double kFacingLeftFromScreenX = 190.0;
constexpr int kAfterImageJitter = 4;  // two draws of 0-4, centred: -2 to +2

struct Offset {
    int x, y;
};

// Where the slide's dust rises, from (x, y), by surface and flip (0, 1).
constexpr Offset kSlideDust[4][2] = {
    {{25, 35}, {5, 35}},  // floor
    {{35, 5}, {35, 25}},  // right wall
    {{-5, 25}, {-5, 5}},  // left wall
    {{5, -5}, {25, -5}},  // ceiling
};

}  // namespace

PlayerTask::PlayerTask(MapData* map_) {
    map = map_;
    graphic = playerGraphic;
    health = playerHealth;
    x = map->playerStartX;
    y = map->playerStartY;
    w = h = 40;
    boxX = 14;
    boxY = 6;
    boxW = 12;
    boxH = 30;
    // Face the centre of the view; published at once, since each update starts from the published flip.
    flip = x - map->cameraX >= kFacingLeftFromScreenX ? 1 : 0;
    playerFlip = flip;
    drawLayer = kPlayerDrawLayer;
    RegisterInGroup(kGroupPlayer);
}

PlayerTask::~PlayerTask() {
    if (gauge != nullptr) gauge->dead = 1;
}

Character* CreatePlayerTask(MapData* map) {
    return CreateTask<PlayerTask>(map);
}

void PlayerTask::Update() {
    BeginFrame();
    CheckDamage();
    hitCode = -1;
    if (clingTimer > 0) UpdateCling();
    if (clingTimer == 0) MoveAlongSurface();
    if (!knockedBack) UseKnifeAndBomb();
    ApplyForcedStops();
    HandleMiss();
    Move();
    CollideWithTiles();
    SetPose();
    ChangeSurface();
    if (clingTimer == 2) PlaySoundEffect(kSeLand);
    PickUpItems();
    ++counter;
    if (x + boxX < map->cameraX) {
        x = map->cameraX - boxX;
    } else if (x + boxX + boxW > map->cameraX + 400 && rightEdgeOpen == 0) {
        x = map->cameraX + 400 - boxW - boxX;
    }
    if (y + h < 0.0 || y > map->cameraY + 300) surface = kSurfaceFloor;
    CreateEffects();
    MoveCamera();
    previousSurface = surface;
    KeepGaugeAndKnifePieces();
    Publish();
    LeaveAfterImage();
}

void PlayerTask::BeginFrame() {
    if (playerLeftTop) {
        playerLeftTop = 0;
        dead = 1;
    } else if (inputEnabled == 0 && y < kScriptedExitY) {
        // Raised once: a flag left standing would end the next player on its first update.
        playerLeftTop = 1;
    }
    MoveX() = 0.0;
    health = playerHealth;
    flip = playerFlip;
    standingOnBox = 0;
    boostLevel = 0;
}

void PlayerTask::ApplyForcedStops() {
    if (clingTimer > 0) speedX = speedY = 0.0;
    if (knockedBack && deathTimer == 0) speedX = flip == 1 ? knockbackSpeed : -knockbackSpeed;
    if (InvincibleTimer() > 0) --InvincibleTimer();
}

void PlayerTask::Move() {
    playerPushX += speedX;
    MoveX() = playerPushX;
    playerPushY += speedY;
    MoveY() = playerPushY;
    x += playerPushX;
    y += playerPushY;
    playerPushX = playerPushY = 0.0;
}

void PlayerTask::CreateEffects() {
    if (boostLevel != 0) {
        CreateBoostEffectTask(surface, flip, 0, boostLevel);
        if (boostLevel != 1) CreateBoostTextTask(boostLevel);
    }
    if (sliding && surface >= kSurfaceFloor && surface <= kSurfaceCeiling) {
        const Offset at = kSlideDust[surface][flip != 0 ? 1 : 0];
        CreateSlideSmorkTask(static_cast<int>(x) + at.x, static_cast<int>(y) + at.y);
    }
}

void PlayerTask::Publish() {
    const bool blinkedOut = counter % 4 >= 2 && InvincibleTimer() > 0;
    if (!blinkedOut) AppendToDrawLayer();
    playerX = x;
    playerY = y;
    playerFlip = flip;
    playerDucking = ducking;
    playerAirborne = airborne;
    playerStateShared = state;
    playerMaxSpeed = maxSpeed;
    playerHealth = health;
    playerSurface = surface;
    playerClingTimer = clingTimer;
    cameraX = map->cameraX;
    cameraY = map->cameraY;
    if (clingTimer != 0 && std::fabs(playerSpeed) >= kPlayerFastSpeed) return;
    if (clingTimer > 0) {
        playerSpeed = kPlayerFastSpeed;
    } else {
        playerSpeed = surface == kSurfaceFloor || surface == kSurfaceCeiling ? speedX : speedY;
    }
}

void PlayerTask::LeaveAfterImage() {
    if (std::fabs(playerSpeed) < kPlayerFastSpeed) return;
    const int jitterX = GetRandomRange(kAfterImageJitter) - kAfterImageJitter / 2;
    const int jitterY = GetRandomRange(kAfterImageJitter) - kAfterImageJitter / 2;
    CreateBoostShadowTask(static_cast<int>(x) + jitterX, static_cast<int>(y) + jitterY, surface, flip, srcX,
                          srcY, lowerSrcX, lowerSrcY, twoPiece);
}
