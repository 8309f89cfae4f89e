#include "game/enemies/enemy_bullet_task.h"

#include <cmath>

#include "engine/graphics/graphics.h"
#include "game/frame/collision.h"
#include "game/frame/game_state.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/map/world_tiles.h"

namespace {

constexpr int kBulletType = -3;
constexpr int kSize = 20;
constexpr int kCentre = 10;
constexpr int kRadius = 5;
constexpr int kStraightBoxY = 5;
constexpr int kDrawLayer = 8;
constexpr int kSourceY = 40;
constexpr int kWallGraceFrames = 6;
constexpr int kViewMargin = 40;
constexpr int kBossViewRight = 500;
constexpr int kBossLifeFrames = 360;
constexpr int kGlowBlend = 128;

}  // namespace

EnemyBulletTask::EnemyBulletTask(double x_, double y_, MapData* map_, double speedX, double speedY)
    : Character(kBulletType, x_, y_) {
    map = map_;
    SpeedX() = speedX;
    SpeedY() = speedY;
    boxY = kStraightBoxY;
    Setup();
}

EnemyBulletTask::EnemyBulletTask(double x_, double y_, MapData* map_, double aimX, double aimY, double speed,
                                 double angle, double carrySpeed)
    : Character(kBulletType, x_, y_) {
    map = map_;
    const double cx = x + kCentre, cy = y + kCentre;
    if (angle != 0.0) {
        const double u = aimX - cx, v = aimY - cy;
        aimX = static_cast<int>(cx + (std::cos(-angle) * u + std::sin(-angle) * v));
        aimY = static_cast<int>(cy + (std::cos(-angle) * v - std::sin(-angle) * u));
    }
    VelocityToward(cx, cy, aimX, aimY, speed, &SpeedX(), &SpeedY());
    SpeedX() += carrySpeed;
    boxY = kCentre;
    Setup();
}

void EnemyBulletTask::Setup() {
    w = h = kSize;
    graphic = commonGraphic;
    srcY = kSourceY;
    shape = kShapeCircle;
    boxX = kCentre;
    boxW = kRadius;
    flip = SpeedX() < 0.0 ? 1 : 0;
    drawLayer = kDrawLayer;
    RegisterInGroup(kGroupHarmful);
}

Character* CreateEnemyBulletTask(double x, double y, MapData* map, double speedX, double speedY) {
    return CreateTask<EnemyBulletTask>(x, y, map, speedX, speedY);
}

Character* CreateAimedEnemyBulletTask(double x, double y, MapData* map, double aimX, double aimY,
                                      double speed, double angle, double carrySpeed) {
    return CreateTask<EnemyBulletTask>(x, y, map, aimX, aimY, speed, angle, carrySpeed);
}

// Dies with a puff of smoke, once.
void EnemyBulletTask::Burst() {
    if (dead) return;
    dead = 1;
    CreateSlideSmorkTask(static_cast<int>(x + 5), static_cast<int>(y + 5));
}

void EnemyBulletTask::Update() {
    if (hitCode == kHitByPlayerAttack && code2 != kHitByPlayerAttack) Burst();
    code2 = hitCode;
    hitCode = -1;
    x += SpeedX();
    y += SpeedY();
    if (counter >= kWallGraceFrames &&
        WorldTileAt(map, 0, static_cast<int>(x + kCentre), static_cast<int>(y + kCentre), true) != 0)
        Burst();
    const bool bossMap = map != nullptr && map->kind == kBossMapKind;
    const double viewRight = cameraX + (bossMap ? kBossViewRight : 400 + kViewMargin);
    const bool inView = cameraX - kViewMargin < x + w && x < viewRight && cameraY - kViewMargin < y + h &&
                        y < cameraY + 300 + kViewMargin;
    if (!inView) dead = 1;
    if (bossMap && counter > kBossLifeFrames) Burst();
    srcX = counter / 4 % 4 * kSize;
    ++counter;
    AppendToDrawLayer();
}

void EnemyBulletTask::Draw() {
    const int sx = static_cast<int>(x) - cameraX, sy = static_cast<int>(y) - cameraY;
    DrawImagePart(sx, sy, srcX, srcY, kSize, kSize, graphic, 1, flip);
    SetBlend(kBlendAdd, kGlowBlend);
    DrawImagePart(sx, sy, srcX, srcY + kSize, kSize, kSize, graphic, 1, flip);
    SetBlend(kBlendNone, 0);
}
