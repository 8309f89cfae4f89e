#include "game/enemies/twigger_task.h"

#include "game/enemies/enemy_damage.h"
#include "game/frame/game_state.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/map/world_tiles.h"

namespace {

constexpr int kTwiggerType = 30;
constexpr int kSize = 40;
constexpr int kRadius = 16;
constexpr int kCentre = 20;
constexpr int kBlastTop = 20;
constexpr int kWalkLayer = 11;
constexpr int kDroppedLayer = 14;
constexpr double kWalkSpeed = 1.0;
constexpr double kGravity = 0.2;
constexpr double kMaxFallSpeed = 6.0;
constexpr int kWalkFrames = 60;
constexpr int kPauseFrames = 40;
constexpr int kPauseFrameX = 80;
// The walk cycle: four pictures of 8 frames, the fourth showing the second again.
constexpr int kWalkFrameX[] = {0, 40, 80, 40};
constexpr int kOffViewLeft = 50;

int FindTwiggerGraphic(const MapData* map) {
    return map != nullptr ? map->FindGraphic("twigger") : 0;
}

}  // namespace

TwiggerTask::TwiggerTask(const MapObjectRecord& record, MapData* map_) : Character(record) {
    map = map_;
    graphic = FindTwiggerGraphic(map);
    shape = kShapeCircle;
    boxX = boxY = kCentre;
    boxW = kRadius;
    const bool playerRight = x <= playerX;
    SpeedX() = playerRight ? kWalkSpeed : -kWalkSpeed;
    flip = playerRight ? 0 : 1;
    drawLayer = kWalkLayer;
    RegisterInGroup(kGroupEnemy);
}

TwiggerTask::TwiggerTask(double x_, double y_, MapData* map_, double speedX)
    : Character(kTwiggerType, x_, y_) {
    map = map_;
    graphic = FindTwiggerGraphic(map);
    w = h = kSize;
    shape = kShapeCircle;
    boxX = boxY = kCentre;
    boxW = kRadius;
    dropped = 1;
    flip = 1;
    state = kFalling;
    SpeedX() = speedX;
    drawLayer = kDroppedLayer;
    RegisterInGroup(kGroupEnemy);
}

TwiggerTask* TwiggerTask::TwiggerTaskAt(double x, double y, MapData* map, double speedX) {
    return CreateTask<TwiggerTask>(x, y, map, speedX);
}

Character* CreateTwiggerTaskAt(double x, double y, MapData* map, double speedX) {
    return TwiggerTask::TwiggerTaskAt(x, y, map, speedX);
}

void TwiggerTask::Fall() {
    SpeedY() += kGravity;
    if (SpeedY() > kMaxFallSpeed) SpeedY() = kMaxFallSpeed;
    if (WorldTileAt(map, 0, static_cast<int>(x + kCentre), static_cast<int>(y + kSize + SpeedY()), true) == 0)
        return;
    y = kTileSize * (static_cast<int>(y + SpeedY()) / kTileSize);
    drawLayer = kWalkLayer;
    counter = 0;
    state = kWalking;
    SpeedX() = -kWalkSpeed;
    SpeedY() = 0.0;
}

// A wall at mid height, or no floor just below the feet, one step ahead of the body's centre.
bool TwiggerTask::BlockedAhead() const {
    const int ahead = flip == 0 ? 1 : -1;
    const double bx = x + boxX;
    const bool wall =
        WorldTileAt(map, 0, static_cast<int>(bx + 12 * ahead), static_cast<int>(y + 30), false) != 0;
    const bool floor =
        WorldTileAt(map, 0, static_cast<int>(bx + 8 * ahead), static_cast<int>(y + 44), false) != 0;
    return wall || !floor;
}

void TwiggerTask::Walk() {
    if (!dropped && (counter == kWalkFrames || BlockedAhead())) {
        SpeedX() = 0.0;
        counter = 0;
        state = kPausing;
    }
    srcX = kWalkFrameX[counter / 8 % 4];
}

void TwiggerTask::Pause() {
    srcX = kPauseFrameX;
    if (counter != kPauseFrames) return;
    flip = flip == 0 ? 1 : 0;
    SpeedX() = flip == 0 ? kWalkSpeed : -kWalkSpeed;
    counter = 0;
    state = kWalking;
}

void TwiggerTask::Update() {
    ApplyEnemyDamage(*this, kBlastTop);
    switch (state) {
        case kFalling:
            Fall();
            break;
        case kWalking:
            Walk();
            break;
        case kPausing:
            Pause();
            break;
        default:
            break;
    }
    if (dropped && (x + kOffViewLeft < cameraX || clearDroppedActors == 1)) dead = 1;
    x += SpeedX();
    y += SpeedY();
    ++counter;
    AppendToDrawLayer();
}
