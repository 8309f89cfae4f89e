#include "game/enemies/shulken_task.h"

#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/map/world_tiles.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kDrawLayer = 10;
constexpr int kComeIntoViewWait = 55;
constexpr int kReloadWait = 120;
constexpr int kWarningFrames = 20;
constexpr double kShotSpeed = 3.0;
constexpr int kMuzzleLeft = 4;
constexpr int kMuzzleRight = 16;
constexpr int kCentre = 10;
constexpr int kFlashBlend = 192;
constexpr int kFlashRadius = 6;

}  // namespace

ShulkenTask::ShulkenTask(const MapObjectRecord& record, MapData* map_) : Character(record) {
    map = map_;
    drawLayer = kDrawLayer;
    SettleFacing();
    RegisterInGroup(kGroupNoCollision);
}

// Open rock on its left: it shoots left; a wall there: it shoots right.
void ShulkenTask::SettleFacing() {
    const bool openLeft = WorldTileAt(map, 0, static_cast<int>(x - 10), static_cast<int>(y + 10), false) == 0;
    ShotSpeed() = openLeft ? -kShotSpeed : kShotSpeed;
    flip = openLeft ? 1 : 0;
    muzzleX = static_cast<int>(x) + (openLeft ? kMuzzleLeft : kMuzzleRight);
}

bool ShulkenTask::InView() const {
    const double cx = x + kCentre, cy = y + kCentre;
    return cameraX < cx && cx < cameraX + 400 && cameraY < cy && cy < cameraY + 300;
}

void ShulkenTask::Update() {
    if (counter == 0) SettleFacing();
    if (state == kWaiting) {
        if (!InView() && timer < kComeIntoViewWait) timer = kComeIntoViewWait;
        if (InView() && timer <= 0) {
            counter = 0;
            state = kWarning;
        }
        --timer;
    } else if (state == kWarning) {
        blink = counter % 4 < 2 ? 1 : 0;
        if (counter == kWarningFrames) {
            counter = 0;
            blink = 0;
            timer = kReloadWait;
            fireRequest = 1;
            state = kWaiting;
        }
    }
    if (fireRequest) {
        CreateEnemyBulletTask(muzzleX - 10, y, map, ShotSpeed(), 0.0);
        PlaySoundEffect(kSeShot);
        fireRequest = 0;
    }
    ++counter;
    AppendToDrawLayer();
}

void ShulkenTask::Draw() {
    if (!blink) return;
    SetBlend(kBlendAdd, kFlashBlend);
    DrawCircleShape(muzzleX - cameraX, static_cast<int>(y) - cameraY + kCentre, kFlashRadius,
                    PackColor(231, 99, 165), 1);
    SetBlend(kBlendNone, 0);
}
