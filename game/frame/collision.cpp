#include "game/frame/collision.h"

#include <cmath>

#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/task_registry.h"

namespace {

struct Anchor {
    double x, y;
};

Anchor AnchorOf(const Character& task) {
    return {task.x + task.boxX, task.y + task.boxY};
}

double SquaredDistance(double ax, double ay, double bx, double by) {
    const double dx = ax - bx, dy = ay - by;
    return dx * dx + dy * dy;
}

bool Between(double value, double a, double b) {
    return a <= b ? (a <= value && value <= b) : (b <= value && value <= a);
}

bool StrictlyInside(double value, double low, double high) {
    return low < value && value < high;
}

// Writes code into the task the pair rule names for every task of group that overlaps source.
template <class OnHit>
void AgainstGroup(Character& source, int group, OnHit onHit) {
    for (int i = 0; i < taskCounts[group]; ++i) {
        Character& other = *taskGroups[group][i];
        if (ShapesOverlap(source, other)) onHit(other);
    }
}

}  // namespace

bool BoxesOverlap(const Character& a, const Character& b) {
    const Anchor pa = AnchorOf(a), pb = AnchorOf(b);
    return !(pa.x + a.boxW <= pb.x || pa.y + a.boxH <= pb.y || pb.x + b.boxW <= pa.x ||
             pb.y + b.boxH <= pa.y);
}

bool CirclesOverlap(const Character& a, const Character& b) {
    const Anchor pa = AnchorOf(a), pb = AnchorOf(b);
    const double radii = static_cast<double>(a.boxW) + b.boxW;
    return radii * radii > SquaredDistance(pa.x, pa.y, pb.x, pb.y);
}

bool BoxCircleOverlap(const Character& box, const Character& circle) {
    const Anchor b = AnchorOf(box), c = AnchorOf(circle);
    const double left = b.x, top = b.y, right = b.x + box.boxW, bottom = b.y + box.boxH;
    const double r = circle.boxW;
    if (StrictlyInside(c.x, left - r, right + r) && StrictlyInside(c.y, top, bottom)) return true;
    if (StrictlyInside(c.x, left, right) && StrictlyInside(c.y, top - r, bottom + r)) return true;
    const double r2 = r * r;
    return SquaredDistance(c.x, c.y, left, top) < r2 || SquaredDistance(c.x, c.y, right, bottom) < r2 ||
           SquaredDistance(c.x, c.y, right, top) < r2 || SquaredDistance(c.x, c.y, left, bottom) < r2;
}

bool CircleSegmentOverlap(const Character& circle, const Character& segment) {
    const Anchor m = AnchorOf(circle), p = AnchorOf(segment);
    const double dx = segment.boxW, dy = segment.boxH;
    const double mpx = m.x - p.x, mpy = m.y - p.y;
    const double along = mpx * dx + mpy * dy;
    double distance2;
    if (along <= 0.0) {
        distance2 = mpx * mpx + mpy * mpy;
    } else if ((p.x + dx - m.x) * dx + (p.y + dy - m.y) * dy <= 0.0) {
        distance2 = SquaredDistance(m.x, m.y, p.x + dx, p.y + dy);
    } else {
        const double projection = along / std::sqrt(dx * dx + dy * dy);
        distance2 = mpx * mpx + mpy * mpy - projection * projection;
    }
    const double r = circle.boxW;
    return distance2 <= r * r;
}

bool SegmentsIntersect(CrossPoint* point, double x1, double y1, double x2, double y2, double x3, double y3,
                       double x4, double y4) {
    const bool vertical1 = x1 == x2, vertical2 = x3 == x4;
    if (vertical1 && vertical2) return false;
    double px, py;
    if (vertical1 || vertical2) {
        const double lineX = vertical1 ? x1 : x3;
        const double ax = vertical1 ? x3 : x1, ay = vertical1 ? y3 : y1;
        const double bx = vertical1 ? x4 : x2, by = vertical1 ? y4 : y2;
        const double slope = (by - ay) / (bx - ax);
        px = lineX;
        py = slope * lineX + (ay - slope * ax);
    } else {
        const double slope1 = (y2 - y1) / (x2 - x1), slope2 = (y4 - y3) / (x4 - x3);
        if (slope1 == slope2) return false;
        const double intercept1 = y1 - slope1 * x1, intercept2 = y3 - slope2 * x3;
        px = (intercept2 - intercept1) / (slope1 - slope2);
        py = slope1 * px + intercept1;
    }
    const bool onFirst = vertical1 ? Between(py, y1, y2) : Between(px, x1, x2);
    const bool onSecond = vertical2 ? Between(py, y3, y4) : Between(px, x3, x4);
    if (!onFirst || !onSecond) return false;
    if (point != nullptr) *point = {px, py};
    return true;
}

bool RectSegmentOverlap(int left, int top, int right, int bottom, double x1, double y1, double x2,
                        double y2) {
    if (left <= x1 && x1 <= right && top <= y1 && y1 <= bottom) return true;
    CrossPoint point;
    return SegmentsIntersect(&point, left, top, left, bottom, x1, y1, x2, y2) ||
           SegmentsIntersect(&point, right, top, right, bottom, x1, y1, x2, y2) ||
           SegmentsIntersect(&point, left, top, right, top, x1, y1, x2, y2) ||
           SegmentsIntersect(&point, left, bottom, right, bottom, x1, y1, x2, y2);
}

bool BoxSegmentOverlap(const Character& box, const Character& segment) {
    const int left = box.boxX + static_cast<int>(box.x), top = box.boxY + static_cast<int>(box.y);
    const Anchor s = AnchorOf(segment);
    return RectSegmentOverlap(left, top, left + box.boxW, top + box.boxH, s.x, s.y, s.x + segment.boxW,
                              s.y + segment.boxH);
}

bool ShapesOverlap(const Character& a, const Character& b) {
    switch (a.shape) {
        case kShapeSegment:
            if (b.shape == kShapeSegment) {
                const Anchor pa = AnchorOf(a), pb = AnchorOf(b);
                CrossPoint point;
                return SegmentsIntersect(&point, pa.x, pa.y, pa.x + a.boxW, pa.y + a.boxH, pb.x, pb.y,
                                         pb.x + b.boxW, pb.y + b.boxH);
            }
            if (b.shape == kShapeBox) return BoxSegmentOverlap(b, a);
            if (b.shape == kShapeCircle) return CircleSegmentOverlap(b, a);
            return false;
        case kShapeBox:
            if (b.shape == kShapeSegment) return BoxSegmentOverlap(a, b);
            if (b.shape == kShapeBox) return BoxesOverlap(a, b);
            if (b.shape == kShapeCircle) return BoxCircleOverlap(a, b);
            return false;
        case kShapeCircle:
            if (b.shape == kShapeSegment) return CircleSegmentOverlap(a, b);
            if (b.shape == kShapeBox) return BoxCircleOverlap(b, a);
            if (b.shape == kShapeCircle) return CirclesOverlap(a, b);
            return false;
        default:
            return false;
    }
}

void RunCollisionPass() {
    for (int i = 0; i < taskCounts[kGroupPlayer]; ++i) {
        Character& player = *taskGroups[kGroupPlayer][i];
        AgainstGroup(player, kGroupEnemy, [&](Character& enemy) {
            if (std::fabs(playerSpeed) <= kPlayerRamSpeed) {
                player.hitCode = kHitPlayerByEnemy;
            } else {
                enemy.hitCode = kHitTouchedByPlayer;
            }
        });
        AgainstGroup(player, kGroupHarmful, [&](Character&) { player.hitCode = kHitPlayerByHarmful; });
        AgainstGroup(player, kGroupTouchObject, [](Character& t) { t.hitCode = kHitTouchedByPlayer; });
        AgainstGroup(player, kGroupSwitchBlock, [](Character& t) { t.hitCode = kHitTouchedByPlayer; });
    }
    for (int i = 0; i < taskCounts[kGroupPlayerAttack]; ++i) {
        Character& attack = *taskGroups[kGroupPlayerAttack][i];
        AgainstGroup(attack, kGroupEnemy, [](Character& t) { t.hitCode = kHitByPlayerAttack; });
        AgainstGroup(attack, kGroupHarmful, [](Character& t) { t.hitCode = kHitByPlayerAttack; });
        if (attack.w < kWideAttackWidth) {
            AgainstGroup(attack, kGroupSwitchBlock, [](Character& t) { t.hitCode = kHitByPlayerAttack; });
        }
    }
}

void DrawCollisionShape(const Character& task) {
    const uint32_t red = PackColor(255, 0, 0);
    const Anchor a = AnchorOf(task);
    const int x = static_cast<int>(a.x) - cameraX, y = static_cast<int>(a.y) - cameraY;
    switch (task.shape) {
        case kShapeCircle:
            DrawCircleShape(x, y, task.boxW, red, 0);
            break;
        case kShapeBox:
            DrawBoxShape(x, y, x + task.boxW, y + task.boxH, red, 0);
            break;
        case kShapeSegment:
            DrawLineShape(x, y, x + task.boxW, y + task.boxH, red, 1);
            break;
        default:
            break;
    }
}
