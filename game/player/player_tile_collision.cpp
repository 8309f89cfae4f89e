// The player against the tile map after it has moved: standing, head bumps and side stops for each of
// the four surfaces, and the run-into checks that break blocks or carry the player onto the next surface.
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "engine/sound/sound.h"
#include "game/devices/falling_object_task.h"
#include "game/frame/character.h"
#include "game/frame/task_registry.h"
#include "game/map/tile_probes.h"
#include "game/map/world_tiles.h"
#include "game/player/player_task.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kProbePoints = 5;

int Pixel(double v) {
    return static_cast<int>(v);
}

}  // namespace

void PlayerTask::CollideWithTiles() {
    switch (surface) {
        case kSurfaceFloor:
            CollideOnFloor();
            break;
        case kSurfaceCeiling:
            CollideOnCeiling();
            break;
        default:
            CollideOnWall();
            break;
    }
}

// A wall beside the player rather than a ceiling or floor: the tile 10 px above the box centre is empty
// and the probe on the facing side meets a solid between the box top and `bottom`.
bool PlayerTask::FacingWall(int bottom) {
    if (WorldTileAt(map, 0, Pixel(x) + 20, Pixel(y) + boxY - 10, true) != 0) return false;
    const int top = Pixel(y) + boxY;
    int found = 0;
    if (FacingRight()) return ScanTilesAlongYB(map, top, bottom, Pixel(x) + boxX + boxW, &found);
    return ScanTilesAlongY(map, top, bottom, Pixel(x) + boxX, &found);
}

// On the ceiling the sprite is turned upside down, so flip 1 faces right there.
bool PlayerTask::FacingRight() const {
    return surface == kSurfaceCeiling ? flip == 1 : flip == 0;
}

void PlayerTask::CollideOnFloor() {
    const int left = Pixel(x) + boxX, right = Pixel(x) + boxX + boxW;
    if (clingTimer > 0) {
        if (ScanTilesAlongX(map, left, right, Pixel(y) + 44, &floorScanY, true)) {
            y = floorScanY - 40;
        } else {
            clingTimer = 0;
            surface = kSurfaceFloor;
        }
        return;
    }
    const int spriteBottom = Pixel(y) + 39;
    if (airborne && ScanTilesAlongXB(map, left + 3, right - 3, Pixel(y) + boxY, &ceilingScanY, true) &&
        !FacingWall(spriteBottom)) {
        if (MoveY() < 0.0) MoveY() = speedY = 0.0;
        if (groundedLatch == 1) {
            groundedLatch = 0;
            y = ceilingScanY - boxY;
        }
    }
    if (!ScanTilesAlongX(map, Pixel(x) + boxX + 3, Pixel(x) + boxX + boxW - 3, Pixel(y) + 40, &floorScanY,
                         true)) {
        airborne = 1;
        runCounter = 0;
    } else if (!airborne || !FacingWall(std::min(spriteBottom, floorScanY - 1))) {
        // (The side probe stops above the floor just found: a player that sank into it while falling
        // would otherwise take that floor for a wall and fall through it.)
        if (MoveY() > 0.0) MoveY() = speedY = 0.0;
        groundedLatch = 1;
        jumpHoldCounter = 0;
        y = floorScanY - 40;
        airborne = 0;
    } else {
        runCounter = 0;
    }
    CollideSides(false);
}

// The facing side first, then the other; only the facing side may run into the wall.
void PlayerTask::CollideSides(bool onCeiling) {
    const bool facingRight = FacingRight();
    CollideSide(facingRight, true, onCeiling);
    CollideSide(!facingRight, false, onCeiling);
}

// One side's probe and its stop.
void PlayerTask::CollideSide(bool right, bool runIntoAllowed, bool onCeiling) {
    const int top = Pixel(y) + boxY, bottom = Pixel(y) + 39;
    const bool found = right ? ScanTilesAlongYB(map, top, bottom, Pixel(x) + boxX + boxW, &sideScanX)
                             : ScanTilesAlongY(map, top, bottom, Pixel(x) + boxX, &sideScanX);
    if (!found) return;
    const bool fastToward = right ? speedX > kPlayerFastSpeed : speedX <= -kPlayerFastSpeed;
    if (runIntoAllowed && fastToward) {
        const int px = right ? Pixel(x) + boxX + boxW + 1 : Pixel(x) + boxX - 1;
        const int spacing = onCeiling ? boxH / 4 : (40 - boxY) / 4;
        int xs[kProbePoints], ys[kProbePoints];
        for (int k = 0; k < kProbePoints; ++k) {
            xs[k] = px;
            ys[k] = Pixel(y) + boxY + (kProbePoints - 1 - k) * spacing;
        }
        const bool broke = RunIntoPoints(xs, ys, right ? kSurfaceRightWall : kSurfaceLeftWall);
        if (broke && !onCeiling) {
            PlaySoundEffect(kSeBreak);
            return;
        }
    }
    if (right) {
        if (MoveX() > 0.0) {
            MoveX() = 0.0;
            if (speedX > 0.0) speedX = 0.0;
        }
        x = sideScanX - boxW - boxX;
    } else {
        if (MoveX() < 0.0) {
            MoveX() = 0.0;
            if (speedX < 0.0) speedX = 0.0;
        }
        x = sideScanX - boxX;
    }
}

// The run-into check over five points: breakable tiles break, any other solid carries the player onto
// clingSurface. Returns whether a block broke.
bool PlayerTask::RunIntoPoints(const int (&px)[5], const int (&py)[5], int clingSurface) {
    bool broke = false;
    for (int k = 0; k < kProbePoints; ++k) {
        const int tile = WorldTileAt(map, 0, px[k], py[k], true);
        if (tile == kBreakableTile) {
            BreakBlock(px[k], py[k]);
            broke = true;
        } else if (tile != 0) {
            clingTimer = 1;
            surface = clingSurface;
            StopSoundHandle(soundEffects[kSeSlide]);
        }
    }
    return broke;
}

void PlayerTask::BreakBlock(int px, int py) {
    SetWorldTile(map, 0, px, py, 0);
    int cornerX = 0, cornerY = 0;
    WorldTileCorner(map, 0, px, py, &cornerX, &cornerY);
    CreateBlockDebris(cornerX, cornerY, kGroupCapacity);
}

void PlayerTask::CollideOnWall() {
    const bool right = surface == kSurfaceRightWall;
    const int top = Pixel(y) + boxY, bottom = Pixel(y) + boxY + boxH;
    if (clingTimer > 0) {
        const bool found = right ? ScanTilesAlongYB(map, top, bottom, Pixel(x) + 44, &sideScanX)
                                 : ScanTilesAlongY(map, top, bottom, Pixel(x) - 4, &sideScanX);
        if (found) {
            x = right ? sideScanX - 40 : sideScanX;
        } else {
            clingTimer = 0;
            surface = kSurfaceFloor;
        }
        return;
    }
    if (airborne && groundedLatch == 1) {
        // The head side pushes the player back once.
        const bool found = right ? ScanTilesAlongY(map, top, bottom, Pixel(x) + boxX, &sideScanX)
                                 : ScanTilesAlongYB(map, top, bottom, Pixel(x) + boxX + boxW, &sideScanX);
        if (found) {
            groundedLatch = 0;
            x = right ? sideScanX - boxX : sideScanX - boxW - boxX;
        }
    }
    const bool feet = right ? ScanTilesAlongYB(map, top + 3, bottom - 3, Pixel(x) + 40, &sideScanX)
                            : ScanTilesAlongY(map, top + 3, bottom - 3, Pixel(x) - 1, &sideScanX);
    if (feet) {
        x = right ? sideScanX - 40 : sideScanX;
        const bool pressing = right ? MoveX() > 0.0 : MoveX() < 0.0;
        if (pressing) MoveX() = speedX = 0.0;
        groundedLatch = 1;
        airborne = 0;
    } else {
        airborne = 1;
        runCounter = 0;
    }
    CollideAcrossWall();
}

// On a wall the ceiling and floor probes across the running axis stop the player; running into them fast
// breaks blocks or carries the player onto the ceiling or the floor.
void PlayerTask::CollideAcrossWall() {
    const int left = Pixel(x) + boxX, right = Pixel(x) + 39;
    for (const bool up : {true, false}) {
        const int edgeY = Pixel(y) + boxY + (up ? 0 : boxH);
        const bool found = up ? ScanTilesAlongXB(map, left, right, edgeY, &ceilingScanY, true)
                              : ScanTilesAlongX(map, left, right, edgeY, &floorScanY, true);
        if (!found) continue;
        const bool fastToward = up ? speedY <= -kPlayerFastSpeed : speedY > kPlayerFastSpeed;
        if (fastToward) {
            int xs[kProbePoints], ys[kProbePoints];
            for (int k = 0; k < kProbePoints; ++k) {
                xs[k] = Pixel(x) + boxX + (kProbePoints - 1 - k) * (boxW / 4);
                ys[k] = up ? Pixel(y) + boxY - 1 : Pixel(y) + boxY + boxH + 1;
            }
            if (RunIntoPoints(xs, ys, up ? kSurfaceCeiling : kSurfaceFloor)) {
                PlaySoundEffect(kSeBreak);
                continue;
            }
        }
        if (up) {
            if (MoveY() < 0.0) MoveY() = speedY = 0.0;
            y = ceilingScanY - boxY;
        } else {
            if (MoveY() > 0.0) MoveY() = speedY = 0.0;
            y = floorScanY - boxY - boxH;
        }
    }
}

void PlayerTask::CollideOnCeiling() {
    const int left = Pixel(x) + boxX, right = Pixel(x) + boxX + boxW;
    if (clingTimer > 0) {
        if (ScanTilesAlongXB(map, left, right, Pixel(y) - 4, &ceilingScanY, true)) {
            y = ceilingScanY;
        } else {
            clingTimer = 0;
            surface = kSurfaceFloor;
        }
        return;
    }
    if (airborne && ScanTilesAlongX(map, left + 3, right - 3, Pixel(y) + boxY + boxH, &floorScanY, true)) {
        if (MoveY() > 0.0) MoveY() = speedY = 0.0;
        if (groundedLatch == 1) {
            groundedLatch = 0;
            y = floorScanY - boxY - boxH;
        }
    }
    if (ScanTilesAlongXB(map, left + 3, right - 3, Pixel(y) - 1, &ceilingScanY, true)) {
        if (MoveY() < 0.0) MoveY() = speedY = 0.0;
        groundedLatch = 1;
        y = ceilingScanY;
        airborne = 0;
    } else {
        airborne = 1;
        runCounter = 0;
    }
    CollideSides(true);
}

// A change of surface moves the sprite so that the new surface's box meets the solid it touches.
void PlayerTask::ChangeSurface() {
    if (surface == previousSurface) return;
    switch (surface) {
        case kSurfaceRightWall:
            x -= 14.0;
            break;
        case kSurfaceLeftWall:
            x += 14.0;
            break;
        case kSurfaceCeiling:
            y += 14.0;
            break;
        default:
            if (speedY > 0.0) y -= 14.0;
            if (ScanTilesAlongXB(map, Pixel(x) + boxX, Pixel(x) + boxX + boxW, Pixel(y) + boxY, &ceilingScanY,
                                 false)) {
                y = ceilingScanY - boxY;
            }
            break;
    }
}
