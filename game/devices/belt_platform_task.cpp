#include "game/devices/belt_platform_task.h"

#include "game/frame/collision.h"
#include "game/frame/game_state.h"
#include "game/frame/task_registry.h"
#include "game/player/player_task.h"

namespace {

constexpr int kMargin = 5;
constexpr double kBeltSpeed = 1.0;

}  // namespace

BeltPlatformTask::BeltPlatformTask(const MapObjectRecord& record, MapData* map_)
    : Character(record), direction(record.param != 0 ? 1 : 0) {
    map = map_;
    x -= kMargin;
    y -= kMargin;
    w += 2 * kMargin;
    h += 2 * kMargin;
    boxX = boxY = 0;
    boxW = w;
    boxH = h;
    drawLayer = 5;
    RegisterInGroup(kGroupTouchObject);
}

// The push for each surface the player can stand on, when the belt lies on the side the player's feet
// point to; the sign is for direction 1.
void BeltPlatformTask::Update() {
    if (hitCode == kHitTouchedByPlayer && playerAirborne == 0) {
        const double along = direction == 1 ? kBeltSpeed : -kBeltSpeed;
        switch (playerSurface) {
            case kSurfaceFloor:
                if (y > playerY) playerPushX += along;
                break;
            case kSurfaceCeiling:
                if (y < playerY) playerPushX -= along;
                break;
            case kSurfaceRightWall:
                if (x > playerX) playerPushY -= along;
                break;
            case kSurfaceLeftWall:
                if (x < playerX) playerPushY += along;
                break;
            default:
                break;
        }
    }
    hitCode = -1;
    ++counter;
}

void BeltPlatformTask::Draw() {
    DrawCollisionShape(*this);
}
