// Drawing the player: upright on the floor, turned on the walls and the ceiling, one piece or an upper and
// a lower piece, and the knife's slash over it.
#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/player/player_task.h"

namespace {

constexpr double kHalfPi = 1.5707963267948966;
constexpr double kPi = 3.141592653589793;
constexpr int kSlashSize = 60;
constexpr int kSlashSrcY = 160;

struct Point {
    int x, y;
};

// By surface 1-3: the turn angle, the centres of the upper and the lower piece, and the slash centre for
// flip 0 and 1 (offsets from the sprite's screen position).
struct TurnedDraw {
    double angle;
    Point upper, lower;
    Point slash[2];
};

constexpr TurnedDraw kTurned[3] = {
    {-kHalfPi, {10, 20}, {35, 20}, {{10, 10}, {10, 30}}},  // right wall
    {kHalfPi, {30, 20}, {5, 20}, {{30, 30}, {30, 10}}},    // left wall
    {kPi, {20, 30}, {20, 5}, {{10, 30}, {30, 30}}},        // ceiling
};

}  // namespace

void PlayerTask::Draw() {
    const int sx = static_cast<int>(x) - cameraX;
    const int sy = static_cast<int>(y) - cameraY;
    const bool slash = attackTimer >= 4 && attackTimer <= 9;
    const int slashSrcX = (attackTimer - 4) / 2 * kSlashSize;
    if (surface == kSurfaceFloor) {
        if (twoPiece) {
            DrawImagePart(sx, sy - 10, srcX, 0, 40, 40, graphic, 1, flip);
            DrawImagePart(sx, sy + 20, lowerSrcX, lowerSrcY, 40, 30, graphic, 1, flip);
        } else {
            DrawImagePart(sx, sy, srcX, srcY, w, h, graphic, 1, flip);
        }
        if (slash) {
            DrawImagePart(flip ? sx - 20 : sx, sy - 20, slashSrcX, kSlashSrcY, kSlashSize, kSlashSize,
                          graphic, 1, flip);
        }
        return;
    }
    if (surface < kSurfaceRightWall || surface > kSurfaceCeiling) return;
    const TurnedDraw& turned = kTurned[surface - 1];
    if (twoPiece) {
        DrawImagePartRotated(sx + turned.upper.x, sy + turned.upper.y, srcX, 0, 40, 40, 1.0, turned.angle,
                             graphic, 1, flip);
        DrawImagePartRotated(sx + turned.lower.x, sy + turned.lower.y, lowerSrcX, lowerSrcY, 40, 30, 1.0,
                             turned.angle, graphic, 1, flip);
    } else {
        DrawImagePartRotated(sx + 20, sy + 20, srcX, srcY, w, h, 1.0, turned.angle, graphic, 1, flip);
    }
    if (slash) {
        const Point centre = turned.slash[flip ? 1 : 0];
        DrawImagePartRotated(sx + centre.x, sy + centre.y, slashSrcX, kSlashSrcY, kSlashSize, kSlashSize, 1.0,
                             turned.angle, graphic, 1, flip);
    }
}
