#include "game/player/player_miss_task.h"

#include <algorithm>

#include "engine/graphics/graphics.h"
#include "engine/sound/sound.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/key_config.h"
#include "game/frame/scene_code.h"
#include "game/frame/task_registry.h"
#include "game/sound_text/sound_effects.h"
#include "game/sound_text/text_drawing.h"

namespace {

enum MissState : int32_t {
    kShowing = 0,
    kLeaving = 1,
};

constexpr int kFadeStep = 2;
constexpr int kOpaque = 255;
constexpr int kRespawnWarningFrame = 176;
constexpr int kRespawnFrame = 180;
constexpr int kLetterPeriod = 8;
// Nine letters and seven more steps of waiting before a press counts.
constexpr int kLettersBeforeInput = 16;
constexpr const char* kGameOverText = "GAME OVER";

}  // namespace

PlayerMissTask::PlayerMissTask() : Character(-1, 0.0, 0.0) {
    graphic = commonGraphic;
    drawLayer = 2;
    RegisterInGroup(kGroupNoCollision);
}

void PlayerMissTask::Update() {
    if (state == kShowing) {
        fadeAlpha = std::min(fadeAlpha + kFadeStep, kOpaque);
        if (playerStock >= 1) {
            UpdateRespawn();
        } else {
            UpdateGameOver();
        }
    } else {
        Leave();
    }
    ++counter;
    AppendToDrawLayer();
}

void PlayerMissTask::UpdateRespawn() {
    if (counter == kRespawnWarningFrame) missFlag = 2;
    if (counter == kRespawnFrame) {
        missFlag = 1;
        dead = 1;
    }
}

// The confirm sound had its volume silenced with every other effect at the miss: it gets it back first.
void PlayerMissTask::UpdateGameOver() {
    if (fadeAlpha >= kOpaque && counter % kLetterPeriod == 0) ++lettersShown;
    if (lettersShown < kLettersBeforeInput) return;
    if (!InputPressed(static_cast<uint32_t>(keyConfig.padAttack)) &&
        !InputPressed(static_cast<uint32_t>(keyConfig.padStart))) {
        return;
    }
    SetSoundVolume(kOpaque, soundEffects[kSeBreak]);
    soundEffectVolume[kSeBreak] = kOpaque;
    PlaySoundEffect(kSeBreak);
    state = kLeaving;
}

void PlayerMissTask::Leave() {
    textAlpha -= kFadeStep;
    if (textAlpha > 0) return;
    textAlpha = 0;
    sceneCode = fullGameMode == 1 ? kSceneTitle : kSceneAreaSelect;
    dead = 1;
}

void PlayerMissTask::Draw() {
    if (fadeAlpha > 0) {
        SetBlend(kBlendAlpha, fadeAlpha);
        DrawBoxShape(0, 0, 400, 300, 0, 1);
        SetBlend(kBlendNone, 0);
    }
    SetBlend(kBlendAlpha, textAlpha);
    DrawBitmapText(155, 140, kGameOverText, lettersShown);
    SetBlend(kBlendNone, 0);
}
