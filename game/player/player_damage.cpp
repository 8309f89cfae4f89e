// Damage, knockback and the dying sequence of the player.
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/task_registry.h"
#include "game/player/player_miss_task.h"
#include "game/player/player_task.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kHitByEnemy = 2;
constexpr int kHitByHarmful = 4;
constexpr int kInvincibleFrames = 180;
constexpr int kKnockbackEndsBelow = 160;
constexpr double kKnockbackRise = -4.5;
constexpr double kKnockbackSpeed = 1.2;
constexpr double kFatalKnockbackSpeed = 3.0;
constexpr int kDyingFrames = 200;

}  // namespace

// Hits while invincible or under scripted input are dropped, not kept for later.
void PlayerTask::CheckDamage() {
    if (health <= 0 || InvincibleTimer() > 0 || inputEnabled != 1) return;
    if (hitCode != kHitByEnemy && hitCode != kHitByHarmful) return;
    --health;
    InvincibleTimer() = kInvincibleFrames;
    knockedBack = 1;
    clingTimer = 0;
    ducking = sliding = 0;
    slideTimer = runCounter = attackTimer = 0;
    surface = kSurfaceFloor;
    PlaySoundEffect(kSeDamage);
    speedY = kKnockbackRise;
    knockbackSpeed = kKnockbackSpeed;
    if (health < 1) {
        knockbackSpeed = kFatalKnockbackSpeed;
        StopBgm();
    }
}

void PlayerTask::HandleMiss() {
    if (knockedBack && InvincibleTimer() < kKnockbackEndsBelow && health > 0) knockedBack = 0;
    if (health >= 1) return;
    // Thrown back until the knockback time is over and the player has landed.
    if (InvincibleTimer() >= kKnockbackEndsBelow || airborne) return;
    Die();
}

void PlayerTask::Die() {
    if (deathTimer == 0) ChangeBgm("./bgm/miss.pttune", 0);
    ++deathTimer;
    speedX = speedY = 0.0;
    InvincibleTimer() = 0;
    shape = 0;
    if (deathTimer != kDyingFrames) return;
    SetAllSoundEffectVolumes(0);
    if (playerStock <= 0) ChangeBgm("./bgm/gameover.pttune", 0);
    CreateTask<PlayerMissTask>();
}
