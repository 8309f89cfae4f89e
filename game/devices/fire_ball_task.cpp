#include "game/devices/fire_ball_task.h"

#include <algorithm>

#include "game/devices/fire_put_out.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/map/world_tiles.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kRiseEndFrame = 10;
constexpr int kJumpFrame = 20;
constexpr double kJumpSpeed = -6.0;
constexpr double kGravity = 0.2;
constexpr double kFallLimit = 6.0;
constexpr int kGravityStartFrame = 6;
constexpr int kTileCheckFrame = 6;

}  // namespace

FireBallTask::FireBallTask(int x_, int y_, MapData* map_) : Character(-1, x_, y_ - 10.0) {
    map = map_;
    graphic = map != nullptr ? map->FindGraphic("fire") : 0;
    srcX = 20;
    srcY = 0;
    w = 20;
    h = 40;
    shape = kShapeCircle;
    boxX = 10;
    boxY = 20;
    boxW = 7;
    drawLayer = 10;
    startHeight = y;
    SpeedY() = -1.0;
    RegisterInGroup(kGroupHarmful);
}

void FireBallTask::Simmer() {
    const int phase = counter % 4;
    srcX += phase == 0 || phase == 3 ? 1 : -1;
    if (counter == kRiseEndFrame) SpeedY() = 0.0;
    if (counter == kJumpFrame) {
        counter = 0;
        SpeedY() = kJumpSpeed;
        srcX = 0;
        PlaySoundEffect(kSeFire);
        state = kJumping;
    }
}

void FireBallTask::Jump() {
    if (counter > kGravityStartFrame) SpeedY() = std::min(SpeedY() + kGravity, kFallLimit);
    if (y > startHeight) dead = 1;
    const double speed = SpeedY();
    const int flicker = counter / 3 % 2;
    if (speed > -1.0 && speed < 1.0) {
        srcX = 40;
    } else if (speed < 0.0) {
        srcX = flicker * 20;
    } else {
        srcX = 60 + flicker * 20;
    }
}

// A ball put out by an attack ends there; one that already ended is not put out a second time.
void FireBallTask::Update() {
    if (StruckByAttack(*this)) {
        PutOut(*this, static_cast<int>(x) + 5, static_cast<int>(y) + 15);
        return;
    }
    if (state == kSimmering) {
        Simmer();
    } else {
        Jump();
    }
    x += SpeedX();
    y += SpeedY();
    if (counter >= kTileCheckFrame && !dead &&
        WorldTileAt(map, 0, static_cast<int>(x) + 10, static_cast<int>(y) + 20, true) != 0) {
        PutOut(*this, static_cast<int>(x) + 5, static_cast<int>(y) + 15);
    }
    ++counter;
    AppendToDrawLayer();
}
