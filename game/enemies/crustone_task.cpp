#include "game/enemies/crustone_task.h"

#include <algorithm>

#include "engine/graphics/graphics.h"
#include "game/frame/collision.h"
#include "game/frame/game_state.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/map/tile_probes.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kCaveMapKind = 3;
constexpr int kCaveDrop = 10;
constexpr int kRadius = 20;
constexpr int kBoxX = 30;
constexpr int kBoxYMin = 20;
constexpr int kBoxYMax = 34;
constexpr int kDrawLayer = 12;
constexpr int kReach = 60;
constexpr double kGravity = 0.6;
constexpr double kMaxFallSpeed = 12.0;
constexpr double kRiseSpeed = -2.0;
constexpr int kRestFrames = 31;
constexpr int kBottom = 50;
constexpr int kQuakeFrames = 12;
constexpr int kStripX = 60;
constexpr int kStripWidth = 60;
constexpr int kStripHeight = 5;
constexpr int kFlashRows = 60;

}  // namespace

CrustoneTask::CrustoneTask(const MapObjectRecord& record, MapData* map_) : Character(record) {
    map = map_;
    graphic = map != nullptr ? map->FindGraphic("crustone") : 0;
    if (map != nullptr && map->kind == kCaveMapKind) y += kCaveDrop;
    homeY = y;
    shape = kShapeCircle;
    boxX = kBoxX;
    boxY = kBoxYMin;
    boxW = kRadius;
    drawLayer = kDrawLayer;
    work2 = 1;
    RegisterInGroup(kGroupHarmful);
}

// The player within 60 pixels of either side, and the stone's height range on screen.
bool CrustoneTask::PlayerBelow() const {
    const bool near = playerX > x - kReach && playerX + 40 < x + w + kReach;
    return near && y < cameraY + 300 && cameraY < y + h;
}

void CrustoneTask::Fall() {
    if (SpeedY() < kMaxFallSpeed) SpeedY() = std::min(SpeedY() + kGravity, kMaxFallSpeed);
    int floor = 0;
    if (ScanTilesAlongX(map, static_cast<int>(x + 10), static_cast<int>(x + 50),
                        static_cast<int>(y + kBottom + SpeedY()), &floor, false)) {
        y = floor - kBottom;
        SpeedY() = 0.0;
        counter = 0;
        state = kRising;
        CreateQuakeTask(kQuakeFrames, 1);
        PlaySoundEffect(kSeImpact);
    }
    stripY = 0;
}

// Home is reached when the next step would pass it: the stone then stops there.
void CrustoneTask::Rise() {
    if (counter >= kRestFrames) {
        SpeedY() = kRiseSpeed;
        if (y - 2 <= homeY) {
            y = homeY;
            SpeedY() = 0.0;
            counter = 0;
            state = kWaiting;
        }
    }
    stripY = counter % 7 * 5;
}

void CrustoneTask::Update() {
    if (flashCounter > 0 && ++flashCounter > 2) flashCounter = 0;
    if (hitCode == kHitByPlayerAttack && hitCode != code2) {
        PlaySoundEffect(kSeInvalid);
        flashCounter = 1;
    }
    code2 = hitCode;
    hitCode = -1;
    switch (state) {
        case kWaiting:
            SpeedY() = 0.0;
            if (PlayerBelow()) {
                counter = 0;
                state = kFalling;
            }
            stripY = counter % 7 * 5;
            break;
        case kFalling:
            Fall();
            break;
        case kRising:
            Rise();
            break;
        default:
            break;
    }
    y += SpeedY();
    boxY = static_cast<int>(std::clamp(playerY + 20 - y, double{kBoxYMin}, double{kBoxYMax}));
    ++counter;
    AppendToDrawLayer();
}

void CrustoneTask::Draw() {
    const int sx = static_cast<int>(x) - cameraX, sy = static_cast<int>(y) - cameraY;
    const int shift = flashCounter != 0 ? kFlashRows : 0;
    DrawImagePart(sx, sy, srcX, srcY + shift, w, h, graphic, 1, flip);
    DrawImagePart(sx, sy - kStripHeight, kStripX, stripY + shift, kStripWidth, kStripHeight, graphic, 1, 0);
}
