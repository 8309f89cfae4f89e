#include "game/enemies/enemy_damage.h"

#include <algorithm>

#include "engine/core/helpers/random.h"
#include "game/devices/explode_task.h"
#include "game/frame/collision.h"
#include "game/frame/game_state.h"
#include "game/frame/task_registry.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kStrikeBoost = 5;
constexpr int kMaxBoostEnergy = 150;
constexpr int kBlastLayer = 11;
constexpr int kBlastSpread = 40;
constexpr int kBlastLeft = 20;
constexpr int kBlastDelays[] = {4, 8, 12};

}  // namespace

void ApplyEnemyDamage(Character& enemy, int blastTop) {
    const int hit = enemy.hitCode;
    if ((hit == kHitByPlayerAttack || hit == kHitTouchedByPlayer) && hit != enemy.code2) {
        --enemy.health;
        if (hit == kHitByPlayerAttack) boostEnergy = std::min(boostEnergy + kStrikeBoost, kMaxBoostEnergy);
    }
    enemy.code2 = hit;
    enemy.hitCode = -1;
    if (enemy.health <= 0 && !enemy.dead) ExplodeEnemy(enemy, blastTop);
}

void ExplodeEnemy(Character& enemy, int blastTop) {
    PlaySoundEffect(kSeExplode);
    CreateTask<ExplodeTask>(static_cast<int>(enemy.x), static_cast<int>(enemy.y), 0, kBlastLayer, 0.0, 0.0);
    for (const int delay : kBlastDelays) {
        const int dy = GetRandomRange(kBlastSpread);
        const int dx = GetRandomRange(kBlastSpread);
        CreateTask<ExplodeTask>(static_cast<int>(enemy.x + dx - kBlastLeft),
                                static_cast<int>(enemy.y + dy - blastTop), delay, kBlastLayer, 0.0, 0.0);
    }
    enemy.dead = 1;
}
