#include "game/enemies/fire_pillar_bullet_task.h"

#include <algorithm>

#include "game/devices/fire_put_out.h"
#include "game/enemies/fire_pillar_task.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/map/world_tiles.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr double kGravity = 0.2;
constexpr double kFallLimit = 6.0;

}  // namespace

FirePillarBulletTask::FirePillarBulletTask(int x_, int y_, MapData* map_, double speedX)
    : Character(-1, x_, y_) {
    map = map_;
    graphic = map != nullptr ? map->FindGraphic("ufo") : 0;
    srcX = 40;
    srcY = 180;
    w = h = 20;
    shape = kShapeCircle;
    boxX = boxY = 10;
    boxW = 4;
    drawLayer = 14;
    SpeedX() = speedX;
    RegisterInGroup(kGroupHarmful);
}

// A shot put out by an attack ends there; one that lands ends in a pillar and still moves this frame.
void FirePillarBulletTask::Update() {
    if (StruckByAttack(*this)) {
        PutOut(*this, static_cast<int>(x) + 5, static_cast<int>(y) + 5);
        return;
    }
    SpeedY() = std::min(SpeedY() + kGravity, kFallLimit);
    const int probeY = static_cast<int>(y + 10.0 + SpeedY());
    if (WorldTileAt(map, 0, static_cast<int>(x) + 10, probeY, true) != 0) {
        dead = 1;
        CreateTask<FirePillarTask>(static_cast<int>(x), map);
        PlaySoundEffect(kSeFire2);
    }
    x += SpeedX();
    y += SpeedY();
    srcX = 40 + 20 * (counter / 4 % 2);
    ++counter;
    AppendToDrawLayer();
}

Character* CreateFirePillarBulletTask(int x, int y, MapData* map, double speedX) {
    return CreateTask<FirePillarBulletTask>(x, y, map, speedX);
}
