#include "game/devices/goal_flower_task.h"

#include "engine/graphics/graphics.h"
#include "game/frame/collision.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/scenes/stage_clear_task.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kStemFull = 80;
constexpr int kStemStep = 4;
constexpr int kOpenFrame = 12;
constexpr int kWalkOutFrame = 81;
constexpr int kBoardFrame = 100;
constexpr int kLeafOpenFrame = 8;

}  // namespace

GoalFlowerTask::GoalFlowerTask(const MapObjectRecord& record, MapData* map_) : Character(record) {
    map = map_;
    graphic = commonGraphic;
    srcX = 60;
    srcY = 120;
    boxX = 20;
    boxY = 20;
    boxW = 20;
    boxH = 40;
    drawLayer = 14;
    signY = static_cast<int32_t>(y) - 10;
    RegisterInGroup(kGroupTouchObject);
}

void GoalFlowerTask::Grow() {
    if (stemHeight < kStemFull) {
        if (stemHeight > 0 && stemHeight % 20 == 10) CreateTask<GoalFlowerLeafTask>(x + 10.0, y + 40.0);
        stemHeight += kStemStep;
        y -= kStemStep;
        if (stemHeight > kStemFull) {
            y += stemHeight - kStemFull;
            stemHeight = kStemFull;
        }
    }
    if (stemHeight == kStemFull) {
        counter = 0;
        state = kCleared;
    }
}

// The controls are taken once, so that the clear board can hand them back; the player walks right until
// it has left the view.
void GoalFlowerTask::WalkOut() {
    if (counter == kOpenFrame) {
        srcX = 0;
        ChangeBgm("./bgm/clear.pttune", 0);
    }
    if (counter == kWalkOutFrame) inputEnabled = 0;
    if (counter >= kWalkOutFrame && playerX < cameraX + 400.0) scriptedInput = kInputRight;
    if (counter == kBoardFrame) CreateStageClearTask(map);
}

void GoalFlowerTask::Update() {
    const int hit = hitCode;
    hitCode = -1;
    if (state == kWaiting && hit == kHitTouchedByPlayer) {
        PlaySoundEffect(kSeCheck);
        counter = 0;
        state = kGrowing;
        if (map != nullptr) map->lockFlags |= kLockLeft;
        areaCleared = 1;
        runTimerStopped = 1;
    } else if (state == kGrowing) {
        Grow();
    } else if (state == kCleared) {
        WalkOut();
    }
    if (counter % 4 == 0) signY += counter % 16 < 8 ? 1 : -1;
    ++counter;
    AppendToDrawLayer();
}

void GoalFlowerTask::Draw() {
    const int sx = static_cast<int>(x) - cameraX, sy = static_cast<int>(y) - cameraY;
    DrawImagePart(sx + 20, sy + stemHeight + 50, 120, 140, 20, 20, graphic, 1, 0);
    for (int k = 0; k < stemHeight; k += 20)
        DrawImagePart(sx + 20, sy + 50 + k, 120, 120, 20, 20, graphic, 1, 0);
    DrawImagePart(sx, sy, srcX, srcY, w, h, graphic, 1, 0);
    DrawImagePart(sx + 10, sy + stemHeight + 50, 140, 120, 40, 20, graphic, 1, 0);
    if (state == kWaiting) DrawImagePart(sx + 10, signY - cameraY, 200, 0, 40, 20, graphic, 1, 0);
}

GoalFlowerLeafTask::GoalFlowerLeafTask(double x_, double y_) : Character(-1, x_, y_) {
    graphic = commonGraphic;
    srcX = 140;
    srcY = 140;
    w = 40;
    h = 20;
    shape = 0;
    drawLayer = 15;
    RegisterInGroup(kGroupNoCollision);
}

void GoalFlowerLeafTask::Update() {
    if (counter == kLeafOpenFrame) srcY = 120;
    ++counter;
    AppendToDrawLayer();
}
