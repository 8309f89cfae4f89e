#include "game/enemies/canox_task.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/graphics/graphics.h"
#include "game/enemies/enemy_damage.h"
#include "game/frame/game_state.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/map/world_tiles.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kCentre = 20;
constexpr int kRadius = 16;
constexpr int kDrawLayer = 11;
constexpr int kBlastTop = 20;
constexpr double kMaxAngle = 2.0 * std::numbers::pi / 3.0;
constexpr double kTurnStep = std::numbers::pi / 20.0;
constexpr double kRestLength = 100.0;
constexpr double kBarrelLength = 20.0;
constexpr double kShotSpeed = 3.0;
constexpr int kComeOnScreenWait = 60;
constexpr int kReloadWait = 150;
constexpr int kFlashFrames = 20;
constexpr int kBarrelSrcX = 40;
constexpr int kBarrelSize = 40;
constexpr int kFlashBlend = 192;
constexpr int kFlashRadius = 6;

}  // namespace

CanoxTask::CanoxTask(const MapObjectRecord& record, MapData* map_) : Character(record) {
    map = map_;
    graphic = map != nullptr ? map->FindGraphic("canox") : 0;
    shape = kShapeCircle;
    boxX = boxY = kCentre;
    boxW = kRadius;
    drawLayer = kDrawLayer;
    work2 = 1;
    ceiling =
        WorldTileAt(map, 0, static_cast<int>(x + kCentre), static_cast<int>(y - 10), false) != 0 ? 1 : 0;
    const double angle = AngleToPlayer();
    barrelAngle = angle == kNoAngle ? 0.0 : std::clamp(angle, -kMaxAngle, kMaxAngle);
    RegisterInGroup(kGroupEnemy);
}

double CanoxTask::AngleToPlayer() const {
    const double restY = ceiling ? kRestLength : -kRestLength;
    return SignedAngleBetween(0.0, restY, playerX + 20 - (x + kCentre), playerY + 20 - (y + kCentre));
}

// At most pi/20 a frame toward the player, never beyond 120 degrees from rest; a player exactly on the
// centre gives no direction and leaves the barrel as it is.
void CanoxTask::TurnBarrel() {
    const double target = AngleToPlayer();
    if (target == kNoAngle) return;
    barrelAngle += std::clamp(target - barrelAngle, -kTurnStep, kTurnStep);
    barrelAngle = std::clamp(barrelAngle, -kMaxAngle, kMaxAngle);
}

bool CanoxTask::OnScreen() const {
    const double cx = x + kCentre, cy = y + kCentre;
    return cx > cameraX && cx < cameraX + 400 && cy > cameraY && cy < cameraY + 300;
}

void CanoxTask::Update() {
    ApplyEnemyDamage(*this, kBlastTop);
    if (state == kIdle) {
        if (!OnScreen()) {
            waitTimer = std::max(waitTimer, kComeOnScreenWait);
        } else if (waitTimer < 1) {
            counter = 0;
            state = kAboutToFire;
        }
        --waitTimer;
    } else if (state == kAboutToFire) {
        flash = counter % 4 < 2 ? 1 : 0;
        if (counter == kFlashFrames) {
            counter = 0;
            flash = 0;
            waitTimer = kReloadWait;
            fire = 1;
            state = kIdle;
        }
    }
    TurnBarrel();
    const double cx = x + kCentre, cy = y + kCentre;
    const double along = ceiling ? -1.0 : 1.0;
    muzzleX = cx + along * kBarrelLength * std::sin(barrelAngle);
    muzzleY = cy - along * kBarrelLength * std::cos(barrelAngle);
    if (fire) {
        double speedX = 0.0, speedY = 0.0;
        VelocityToward(cx, cy, muzzleX, muzzleY, kShotSpeed, &speedX, &speedY);
        CreateEnemyBulletTask(muzzleX - 10, muzzleY - 10, map, speedX, speedY);
        PlaySoundEffect(kSeShot);
        fire = 0;
    }
    ++counter;
    AppendToDrawLayer();
}

void CanoxTask::Draw() {
    const int sx = static_cast<int>(x) - cameraX, sy = static_cast<int>(y) - cameraY;
    const int cx = static_cast<int>(x + kCentre) - cameraX, cy = static_cast<int>(y + kCentre) - cameraY;
    const double turn = ceiling ? std::numbers::pi : 0.0;
    DrawImagePartRotated(cx, cy, kBarrelSrcX, 0, kBarrelSize, kBarrelSize, 1.0, barrelAngle + turn, graphic,
                         1, 0);
    if (ceiling) {
        DrawImagePartRotated(cx, cy, srcX, srcY, w, h, 1.0, turn, graphic, 1, 0);
    } else {
        DrawImagePart(sx, sy, srcX, srcY, w, h, graphic, 1, 0);
    }
    if (!flash) return;
    SetBlend(kBlendAdd, kFlashBlend);
    DrawCircleShape(static_cast<int>(muzzleX) - cameraX, static_cast<int>(muzzleY) - cameraY, kFlashRadius,
                    PackColor(231, 99, 165), 1);
    SetBlend(kBlendNone, 0);
}
