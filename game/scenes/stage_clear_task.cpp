#include "game/scenes/stage_clear_task.h"

#include <algorithm>

#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/records_file.h"
#include "game/frame/scene_code.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/sound_text/sound_effects.h"
#include "game/sound_text/text_drawing.h"

namespace {

constexpr int kRecordFrame = 120;
constexpr int kRollFrames = 90;
constexpr int kDimLimit = 200;
constexpr int kQuakePeriod = 6;
constexpr int kFinaleQuakeStart = 40;
constexpr int kFinaleEruption = 360;
constexpr int kFinaleFlashStart = 161;
constexpr int kFinaleEnd = 600;
constexpr int kFlashLimit = 120;

}  // namespace

StageClearTask::StageClearTask(MapData* map_) : Character(-1, 0.0, 0.0) {
    map = map_;
    drawLayer = 1;
    graphic = LoadGraphFile("./data/graphics/logo.png", 0);
    RegisterInGroup(kGroupSceneControl);
}

StageClearTask::~StageClearTask() {
    FreeGraphic(graphic, 0);
}

int StageClearTask::Kind() const {
    return map != nullptr ? map->kind : 0;
}

// Only the four playable areas have a time and a best time to keep; the flag is raised in any case, as
// the scenes that wait for the board read it.
void StageClearTask::RecordTime() {
    areaTimeRecorded = 1;
    const int kind = Kind();
    if (kind < 1 || kind > kAreaTimeCount) return;
    areaTimes[kind - 1] = runTimer;
    if (runTimer < bestTimes[kind]) {
        bestTimes[kind] = runTimer;
        newRecord = 1;
    }
}

void StageClearTask::UpdateRolling() {
    if (counter < kRollFrames) {
        if (counter % 2 == 0) PlaySoundEffect(kSeCursor);
        shown = {(shown.minutes + 11) % 60, (shown.seconds + 11) % 60, (shown.frames + 11) % 60};
        return;
    }
    shown = SplitFrameTime(runTimer);
    PlaySoundEffect(kSeElement);
    counter = 0;
    state = kShowing;
    inputEnabled = 1;
}

void StageClearTask::UpdateFadeOut() {
    if (fadeAlpha < 255) fadeAlpha += 5;
    if (Kind() == kBossMapKind && counter % kQuakePeriod == 0) PlaySoundEffect(kSeQuake);
    if (fadeAlpha < 255) return;
    if (Kind() >= kFirstScriptedMapKind) {
        sceneCode = kSceneTitle;
    } else {
        sceneCode = fullGameMode ? kSceneNextArea : kSceneAreaSelect;
    }
    dead = 1;
}

void StageClearTask::UpdateFinale() {
    dimAlpha = std::max(0, dimAlpha - 5);
    lines.SlideOut();
    if (counter < kFinaleQuakeStart) return;
    if (counter == kFinaleQuakeStart) CreateQuakeTask(3600, 0);
    if (counter % kQuakePeriod == 0) PlaySoundEffect(kSeQuake);
    if (counter == kFinaleEruption) {
        CreateFunkaMagmaTask(3800.0, 300.0, map, -8.0);
        PlaySoundEffect(kSeFunka);
    }
    if (counter >= kFinaleFlashStart) flashAlpha = std::min(kFlashLimit, flashAlpha + 1);
    if (counter == kFinaleEnd) state = kFadeOut;
}

void StageClearTask::Update() {
    switch (state) {
        case kSlideIn:
            lines.SlideIn();
            dimAlpha = std::min(kDimLimit, dimAlpha + 5);
            if (counter == kRecordFrame) {
                counter = 0;
                timeShown = 1;
                state = kRolling;
                RecordTime();
            }
            break;
        case kRolling:
            UpdateRolling();
            break;
        case kShowing:
            if (ConfirmPressed()) {
                if (Kind() == kBossMapKind) {
                    counter = 0;
                    state = kFinale;
                    timeShown = 0;
                } else {
                    state = kFadeOut;
                }
            }
            break;
        case kFadeOut:
            UpdateFadeOut();
            break;
        case kFinale:
            UpdateFinale();
            break;
        default:
            break;
    }
    lines.Move();
    ++counter;
    AppendToDrawLayer();
}

void StageClearTask::Draw() {
    DrawScreenCover(kBlendAlpha, dimAlpha, PackColor(0, 0, 0));
    lines.Draw(graphic, kLogoClearLineY);
    DrawAreaDigit(graphic, Kind(), 1.0, static_cast<int>(lines.firstX + 140.0), 90);
    if (timeShown) {
        DrawBitmapText(135, 220, "TIME   :  .  ", 120);
        DrawFrameTime(shown, 185, 220);
    }
    if (state == kShowing && (counter / 8) % 2 == 0 && newRecord && !playbackFlag) {
        DrawRedText(145, 240, "NEW RECORD!");
    }
    DrawScreenCover(kBlendAdd, flashAlpha, PackColor(255, 0, 0));
    DrawScreenCover(kBlendAlpha, fadeAlpha, PackColor(0, 0, 0));
}

Character* CreateStageClearTask(MapData* map) {
    return CreateTask<StageClearTask>(map);
}
