// The player's knife and bomb, and the tasks it keeps beside it: the gauge and the knife's hit pieces.
#include "game/frame/only_collision_task.h"
#include "game/frame/task_registry.h"
#include "game/player/player_gauge_task.h"
#include "game/player/player_task.h"

void PlayerTask::UseKnifeAndBomb() {
    SwingKnife();
    UseBomb();
}

// A task the registry refused is tried again on the next update.
void PlayerTask::KeepGaugeAndKnifePieces() {
    if (gauge == nullptr) gauge = CreateTask<PlayerGaugeTask>();
    for (int k = 0; k < kKnifePieceCount; ++k) {
        if (knifePieces[k] != nullptr) continue;
        const uint8_t shapeKind = k < 5 ? kShapeSegment : kShapeCircle;
        knifePieces[k] = CreateTask<OnlyCollisionTask>(shapeKind, 0.0, 0.0, kGroupPlayerAttack);
    }
    PlaceKnifePieces();
}
