// The collision pass: the player and the player's attack boxes against the groups they can touch, with
// box, circle and segment shapes built from a task's position and box fields.
#pragma once

#include "game/frame/character.h"

// Hit codes written by the collision pass.
enum HitCode : int {
    kHitTouchedByPlayer = 1,
    kHitPlayerByEnemy = 2,
    kHitByPlayerAttack = 3,
    kHitPlayerByHarmful = 4,
};

// Above this absolute speed the player touching an enemy hits the enemy instead of being hit.
constexpr double kPlayerRamSpeed = 6.5;
// Attack boxes this wide or wider do not hit switch blocks.
constexpr int kWideAttackWidth = 400;

struct CrossPoint {
    double x, y;
};

void RunCollisionPass();
bool ShapesOverlap(const Character& a, const Character& b);

bool BoxesOverlap(const Character& a, const Character& b);
bool CirclesOverlap(const Character& a, const Character& b);
bool BoxCircleOverlap(const Character& box, const Character& circle);
bool CircleSegmentOverlap(const Character& circle, const Character& segment);
bool BoxSegmentOverlap(const Character& box, const Character& segment);
bool SegmentsIntersect(CrossPoint* point, double x1, double y1, double x2, double y2, double x3, double y3,
                       double x4, double y4);
bool RectSegmentOverlap(int left, int top, int right, int bottom, double x1, double y1, double x2, double y2);

// Red debug outline of a task's shape, relative to the camera.
void DrawCollisionShape(const Character& task);
