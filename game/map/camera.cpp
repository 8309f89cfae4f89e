// The camera follows the player: a dead zone around the screen centre while slow or knocked back, a lead of
// twice the speed while running in the held direction, and snaps that keep the sprite in view.
#include <cmath>

#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/player/player_task.h"

namespace {

constexpr int kKnockedBackStep = 5;
constexpr int kSlowStep = 2;
constexpr double kSlowMove = 2.0;
constexpr double kDeadZone = 60.0;
constexpr int kEdgeMargin = 40;

int Pixel(double v) {
    return static_cast<int>(v);
}

}  // namespace

void PlayerTask::MoveCamera() {
    if (cameraFrozen) return;
    if (map->kind == kBossMapKind) {
        map->SetCamera(Pixel(x) - kEdgeMargin, map->cameraY);
        return;
    }
    MoveCameraX();
    MoveCameraY();
}

void PlayerTask::CameraDeadZoneX(int step) {
    if (x + 20 - kDeadZone > map->cameraX + 200) map->SetCamera(map->cameraX + step, map->cameraY);
    if (x + 20 + kDeadZone < map->cameraX + 200) map->SetCamera(map->cameraX - step, map->cameraY);
}

void PlayerTask::CameraDeadZoneY(int step) {
    if (y + 20 - kDeadZone > map->cameraY + 150) map->SetCamera(map->cameraX, map->cameraY + step);
    if (y + 20 + kDeadZone < map->cameraY + 150) map->SetCamera(map->cameraX, map->cameraY - step);
}

void PlayerTask::MoveCameraX() {
    const double move = MoveX();
    const bool pushing = slideTimer > 0;
    const bool leading = ((InputHeld(kInputRight) || pushing) && move > 0.0) ||
                         ((InputHeld(kInputLeft) || pushing) && move < 0.0);
    if (knockedBack) {
        CameraDeadZoneX(kKnockedBackStep);
    } else if (std::fabs(move) < kSlowMove) {
        CameraDeadZoneX(kSlowStep);
    } else if (leading) {
        map->SetCamera(map->cameraX + Pixel(2.0 * move), map->cameraY);
        if (map->cameraX + kEdgeMargin > x) {
            map->SetCamera(Pixel(x) - kEdgeMargin, map->cameraY);
        } else if (x + kEdgeMargin > map->cameraX + 360) {
            map->SetCamera(Pixel(x) - 320, map->cameraY);
        }
    } else {
        if (x + 20 > map->cameraX + 260 && move > 0.0) map->SetCamera(Pixel(x) - 240, map->cameraY);
        if (x + 20 < map->cameraX + 140 && move < 0.0) map->SetCamera(Pixel(x) - 120, map->cameraY);
    }
}

void PlayerTask::MoveCameraY() {
    const double move = MoveY();
    const bool onWall = surface == kSurfaceRightWall || surface == kSurfaceLeftWall;
    const bool leading =
        onWall && ((InputHeld(kInputDown) && move > 0.0) || (InputHeld(kInputUp) && move < 0.0));
    if (knockedBack || std::fabs(move) < kSlowMove) {
        CameraDeadZoneY(knockedBack ? kKnockedBackStep : kSlowStep);
    } else if (leading) {
        map->SetCamera(map->cameraX, map->cameraY + Pixel(2.0 * move));
        if (map->cameraY + kEdgeMargin > y) {
            map->SetCamera(map->cameraX, Pixel(y) - kEdgeMargin);
        } else if (y + kEdgeMargin > map->cameraY + 260) {
            map->SetCamera(map->cameraX, Pixel(y) - 220);
        }
    } else {
        if (y + 20 > map->cameraY + 210 && move > 0.0) map->SetCamera(map->cameraX, Pixel(y) - 190);
        if (y + 20 < map->cameraY + 90 && move < 0.0) map->SetCamera(map->cameraX, Pixel(y) - 70);
    }
}
