#include "game/frame/character.h"

#include <algorithm>
#include <cmath>

#include "engine/core/frame/window_mode.h"
#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"

int32_t playerGraphic = 0;
int32_t commonGraphic = 0;

Character::Character(const MapObjectRecord& record)
    : param(record.param), type(record.type), x(record.x), y(record.y), w(record.w), h(record.h) {
    boxW = w;
    boxH = h;
}

Character::Character(int type_, double x_, double y_) : type(type_), x(x_), y(y_) {}

void Character::Draw() {
    DrawImagePart(static_cast<int>(x) - cameraX, static_cast<int>(y) - cameraY, srcX, srcY, w, h, graphic, 1,
                  flip);
}

bool Character::RegisterInGroup(int g) {
    return RegisterTask(this, g);
}

bool Character::AppendToDrawLayer() {
    return RegisterDrawLayer(this, drawLayer);
}

static void ReloadSharedGraphic(int32_t& handle, const char* path, const char* missingMessage) {
    if (handle != 0) FreeGraphic(handle, 0);
    handle = LoadGraphFile(path, 0);
    if (handle == -1) SetMainWindowText(missingMessage);
}

void Character::LoadCommonGraphics() {
    ReloadSharedGraphic(playerGraphic, "./data/graphics/player.png",
                        "Error : Character::LoadCommonGraphics() : Player graphic not found");
    ReloadSharedGraphic(commonGraphic, "./data/graphics/common.png",
                        "Error : Character::LoadCommonGraphics() : Common graphic not found");
}

double SignedAngleBetween(double ax, double ay, double bx, double by) {
    if ((ax == 0.0 && ay == 0.0) || (bx == 0.0 && by == 0.0)) return kNoAngle;
    // Rounding can carry the cosine of (anti)parallel vectors just past 1; acos of that is not a number.
    const double cosine = std::clamp(
        (ax * bx + ay * by) / (std::sqrt(ax * ax + ay * ay) * std::sqrt(bx * bx + by * by)), -1.0, 1.0);
    const double angle = std::acos(cosine);
    return ax * by - ay * bx < 0.0 ? -angle : angle;
}

void VelocityToward(double ax, double ay, double bx, double by, double speed, double* vx, double* vy) {
    const double dx = bx - ax, dy = by - ay;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0) {
        *vx = 0.0;
        *vy = speed;
        return;
    }
    *vx = dx / length * speed;
    *vy = dy / length * speed;
}
