// Stand-ins for the parts of the game that are called but built later: the effects the clear board makes
// (quake, eruption), the effects the player leaves, and the player's actions, damage and miss sequence.
// Each does the least that lets the main loop run; replace them piece by piece as the real ones arrive.
#include "game/map_data.h"
#include "game/player_task.h"
#include "game/task_factory.h"
#include "game/task_registry.h"

namespace {

// A task that only holds its place in a group.
class PlaceholderTask : public Character {
  public:
    PlaceholderTask(MapData* map_, int group_) {
        map = map_;
        RegisterInGroup(group_);
    }
};

// An effect that keeps what it was made with and ends on its first update.
class EffectStandIn : public Character {
  public:
    EffectStandIn(double x_, double y_, int graphic_, int srcX_, int srcY_, int w_, int h_, int layer) {
        type = -1;
        x = x_;
        y = y_;
        graphic = graphic_;
        srcX = srcX_;
        srcY = srcY_;
        w = boxW = w_;
        h = boxH = h_;
        drawLayer = layer;
        RegisterInGroup(kGroupNoCollision);
    }
    void Update() override { dead = 1; }
};

}  // namespace

Character* CreateQuakeTask(int, int) {
    return CreateTask<PlaceholderTask>(nullptr, kGroupNoCollision);
}
Character* CreateFunkaMagmaTask(double, double, MapData* map, double) {
    return CreateTask<PlaceholderTask>(map, kGroupNoCollision);
}

Character* CreateBoostEffectTask(int surface, int flip, int followUp, int boostLevel) {
    EffectStandIn* task =
        CreateTask<EffectStandIn>(0.0, 0.0, playerGraphic, 180, boostLevel <= 2 ? 220 : 300, 40, 80, 7);
    if (task == nullptr) return nullptr;
    task->state = surface;
    task->flip = static_cast<uint8_t>(flip);
    task->work = boostLevel;
    task->work2 = followUp;
    return task;
}
Character* CreateBoostTextTask(int boostLevel) {
    EffectStandIn* task = CreateTask<EffectStandIn>(0.0, 0.0, playerGraphic, 0, 0, 0, 0, 6);
    if (task != nullptr) task->work = boostLevel;
    return task;
}
Character* CreateBoostShadowTask(double x, double y, int surface, int flip, int srcX, int srcY, int lowerSrcX,
                                 int lowerSrcY, int twoPiece) {
    EffectStandIn* task = CreateTask<EffectStandIn>(x, y, playerGraphic, srcX + 260, srcY, 40, 40, 8);
    if (task == nullptr) return nullptr;
    task->state = surface;
    task->flip = static_cast<uint8_t>(flip);
    task->boxX = lowerSrcX + 260;
    task->boxY = lowerSrcY;
    task->work = twoPiece;
    return task;
}
Character* CreateSlideSmorkTask(int x, int y) {
    return CreateTask<EffectStandIn>(x, y, commonGraphic, 160, 20, 10, 10, 8);
}
Character* CreateFallingObjectTask(int x, int y, int graphic, int srcX, int srcY, int drawLayer,
                                   double speedX, double speedY, double angle, double spin) {
    EffectStandIn* task = CreateTask<EffectStandIn>(x, y, graphic, srcX, srcY, 10, 10, drawLayer);
    if (task == nullptr) return nullptr;
    task->real1 = speedX;
    task->real2 = speedY;
    task->real3 = angle;
    task->param = spin;
    return task;
}

// The player's actions, damage check and miss sequence do nothing yet.
void PlayerTask::CheckDamage() {}
void PlayerTask::UseKnifeAndBomb() {}
void PlayerTask::Boost() {}
void PlayerTask::HandleMiss() {}
void PlayerTask::PickUpItems() {}
void PlayerTask::KeepGaugeAndKnifePieces() {}
