#include "game/devices/block_switch_task.h"

#include "engine/graphics/graphics.h"
#include "game/frame/collision.h"
#include "game/frame/game_state.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/map/world_tiles.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kCollisionLayer = 0;
constexpr int kRailLayer = 2;
constexpr int kSwitchOff = 108;
constexpr int kSwitchOn = 109;
constexpr int kRailEnd = 125;
constexpr int kSolidBlock = 124;
constexpr int kRetriggerFrames = 12;
constexpr int kFlashFrames = 9;
constexpr int kStartCounter = 30;
constexpr double kOneShotParam = 0.5;

enum Direction { kUp, kDown, kLeft, kRight, kNone };

constexpr int kStepX[4] = {0, 0, -kTileSize, kTileSize};
constexpr int kStepY[4] = {-kTileSize, kTileSize, 0, 0};

// The direction the rail goes on in after a cell of the tile entered moving in the given direction;
// kNone where the tile does not continue a rail coming that way.
Direction Follow(Direction moving, int tile) {
    switch (moving) {
        case kUp:
            if (tile == 141 || tile == 142) return kUp;
            if (tile == 110) return kRight;
            if (tile == 111) return kLeft;
            return kNone;
        case kDown:
            if (tile == 141 || tile == 142) return kDown;
            if (tile == 126) return kRight;
            if (tile == 127) return kLeft;
            return kNone;
        case kLeft:
            if (tile == 142 || tile == 143) return kLeft;
            if (tile == 110) return kDown;
            if (tile == 126) return kUp;
            return kNone;
        case kRight:
            if (tile == 142 || tile == 143) return kRight;
            if (tile == 111) return kDown;
            if (tile == 127) return kUp;
            return kNone;
        default:
            return kNone;
    }
}

bool StartsRail(int tile) {
    return tile == 141 || tile == 143 || tile == 110 || tile == 111 || tile == 126 || tile == 127;
}

}  // namespace

BlockSwitchTask::BlockSwitchTask(const MapObjectRecord& record, MapData* map_) : Character(record) {
    map = map_;
    boxX = boxY = 4;
    boxW = boxH = 12;
    counter = kStartCounter;
    drawLayer = 14;
    RegisterInGroup(kGroupSwitchBlock);
}

bool BlockSwitchTask::Triggered() const {
    if (hitCode != kHitByPlayerAttack && hitCode != kHitTouchedByPlayer) return false;
    if (code2 != -1 || counter <= kRetriggerFrames) return false;
    return toggleCount < 1 || param < kOneShotParam || missFlag == 2;
}

// A rail that is cut, meets a tile it cannot go on through, or runs in a circle ends the search: the
// longest rail without a loop passes every cell of the layer at most twice (crossings).
bool BlockSwitchTask::FindRailEnd(int* endX, int* endY) const {
    const LayerData* rails = map != nullptr ? map->Layer(kRailLayer) : nullptr;
    if (rails == nullptr) return false;
    const int sx = static_cast<int>(x) + 10, sy = static_cast<int>(y) + 10;
    Direction moving = kNone;
    int cx = 0, cy = 0;
    for (int d = kUp; d <= kRight; ++d) {
        cx = sx + kStepX[d];
        cy = sy + kStepY[d];
        if (StartsRail(WorldTileAt(map, kRailLayer, cx, cy, false))) {
            moving = static_cast<Direction>(d);
            break;
        }
    }
    const int64_t stepLimit = 2 * int64_t{rails->width} * rails->height + 2;
    for (int64_t step = 0; moving != kNone && step < stepLimit; ++step) {
        const int tile = WorldTileAt(map, kRailLayer, cx, cy, false);
        if (tile == kRailEnd) {
            *endX = cx;
            *endY = cy;
            return true;
        }
        moving = Follow(moving, tile);
        if (moving == kNone) break;
        cx += kStepX[moving];
        cy += kStepY[moving];
    }
    return false;
}

// The end cell and the unbroken runs of end cells to its right, left, below and above.
void BlockSwitchTask::ToggleBlocksAround(int endX, int endY) {
    auto toggle = [&](int cx, int cy) {
        const int tile = WorldTileAt(map, kCollisionLayer, cx, cy, false);
        SetWorldTile(map, kCollisionLayer, cx, cy, tile == 0 ? kSolidBlock : 0);
    };
    toggle(endX, endY);
    const LayerData* rails = map->Layer(kRailLayer);
    const int longest = rails->width > rails->height ? rails->width : rails->height;
    for (int d = kUp; d <= kRight; ++d) {
        int cx = endX + kStepX[d], cy = endY + kStepY[d];
        for (int k = 0; k < longest && WorldTileAt(map, kRailLayer, cx, cy, false) == kRailEnd; ++k) {
            toggle(cx, cy);
            cx += kStepX[d];
            cy += kStepY[d];
        }
    }
}

void BlockSwitchTask::Toggle() {
    const int sx = static_cast<int>(x) + 10, sy = static_cast<int>(y) + 10;
    const int switchTile = WorldTileAt(map, kRailLayer, sx, sy, false);
    if (switchTile == kSwitchOff) SetWorldTile(map, kRailLayer, sx, sy, kSwitchOn);
    if (switchTile == kSwitchOn) SetWorldTile(map, kRailLayer, sx, sy, kSwitchOff);
    int endX = 0, endY = 0;
    if (FindRailEnd(&endX, &endY)) ToggleBlocksAround(endX, endY);
    if (missFlag != 2) PlaySoundEffect(kSeSwitch);
    ++toggleCount;
    counter = 0;
}

void BlockSwitchTask::Update() {
    if (missFlag == 2 && toggleCount % 2 == 1) {
        code2 = -1;
        param = 0.0;
        hitCode = kHitTouchedByPlayer;
    }
    if (Triggered()) Toggle();
    ++counter;
    code2 = hitCode;
    hitCode = -1;
    if (counter < kFlashFrames) AppendToDrawLayer();
}

void BlockSwitchTask::Draw() {
    const int left = static_cast<int>(x) - cameraX, top = static_cast<int>(y) - cameraY;
    SetBlend(kBlendAdd, 128);
    DrawBoxShape(left, top, left + w, top + h, PackColor(255, 255, 255), 1);
    SetBlend(kBlendNone, 0);
}
