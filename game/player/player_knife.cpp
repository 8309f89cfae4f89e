// The knife: an eleven-frame swing whose pieces hit on frames 4 to 9.
#include "game/player/player_knife.h"

#include "game/frame/input_mask.h"
#include "game/frame/key_config.h"
#include "game/frame/only_collision_task.h"
#include "game/player/player_task.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kSwingFrames = 11;
constexpr int kFirstHitFrame = 4;
constexpr int kLastHitFrame = 9;
constexpr int kCircleRadius = 15;

// The four arcs: the slash square from (x, y - 20), (x - 20, y - 20), (x - 20, y) and (x, y).
constexpr KnifePiece kArcs[4][kKnifePieceCount] = {
    {{kShapeSegment, 13, -13, 7, -7},
     {kShapeSegment, 24, 0, 20, -20},
     {kShapeSegment, 17, 17, 43, -20},
     {kShapeSegment, 0, 24, 59, -4},
     {kShapeSegment, 14, -14, 46, 32},
     {kShapeCircle, kCircleRadius, 0, 30, -5},
     {kShapeCircle, kCircleRadius, 0, 45, 10}},
    {{kShapeSegment, 13, 13, 20, -19},
     {kShapeSegment, 24, 0, -4, -20},
     {kShapeSegment, 17, -17, -20, -4},
     {kShapeSegment, 0, 24, -20, -4},
     {kShapeSegment, 14, 14, -20, 19},
     {kShapeCircle, kCircleRadius, 0, 10, -5},
     {kShapeCircle, kCircleRadius, 0, -5, 10}},
    {{kShapeSegment, 14, -14, -20, 20},
     {kShapeSegment, 0, 24, -20, 20},
     {kShapeSegment, 17, 17, -20, 43},
     {kShapeSegment, 24, 0, -4, 59},
     {kShapeSegment, 14, -14, 19, 59},
     {kShapeCircle, kCircleRadius, 0, -5, 30},
     {kShapeCircle, kCircleRadius, 0, 10, 45}},
    {{kShapeSegment, 14, 14, 46, 7},
     {kShapeSegment, 0, 24, 59, 20},
     {kShapeSegment, 17, -17, 43, 59},
     {kShapeSegment, 24, 0, 20, 59},
     {kShapeSegment, 14, 14, 7, 46},
     {kShapeCircle, kCircleRadius, 0, 30, 45},
     {kShapeCircle, kCircleRadius, 0, 45, 30}},
};

// The arc by surface (floor, right wall, left wall, ceiling) and flip, where the slash is drawn.
constexpr int kArcBySurface[4][2] = {{0, 1}, {1, 2}, {3, 0}, {2, 3}};

uint32_t AttackButton() {
    return static_cast<uint32_t>(keyConfig.padAttack);
}

}  // namespace

const KnifePiece& KnifePieceFor(int surface, int flip, int piece) {
    const int s = surface >= 0 && surface < 4 ? surface : kSurfaceFloor;
    return kArcs[kArcBySurface[s][flip != 0 ? 1 : 0]][piece];
}

void PlayerTask::SwingKnife() {
    if (attackTimer > 0) ++attackTimer;
    if (attackTimer == 0 && !ducking && !sliding && clingTimer == 0 && InputPressed(AttackButton())) {
        attackTimer = 1;
        PlaySoundEffect(kSeKnife);
    }
    if (attackTimer > kSwingFrames || ducking || sliding) attackTimer = 0;
}

void PlayerTask::PlaceKnifePieces() {
    const bool hitting = attackTimer >= kFirstHitFrame && attackTimer <= kLastHitFrame;
    for (int k = 0; k < kKnifePieceCount; ++k) {
        auto* piece = static_cast<OnlyCollisionTask*>(knifePieces[k]);
        if (piece == nullptr) continue;
        if (!hitting) {
            piece->shape = 0;
            continue;
        }
        const KnifePiece& at = KnifePieceFor(surface, flip, k);
        piece->SetShape(at.shape, at.width, at.height, x + at.offsetX, y + at.offsetY);
    }
}
