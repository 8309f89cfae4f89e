#include "game/scenes/area_select.h"

#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/records_file.h"
#include "game/frame/scene_code.h"
#include "game/sound_text/sound_effects.h"
#include "game/sound_text/text_drawing.h"

int32_t lastAreaSelectCursor = 0;

namespace {

constexpr int kTextLimit = 120;

struct AreaFrame {
    int outer[4];
    int inner[4];
};

constexpr AreaFrame kAreaFrames[4] = {
    {{10, 140, 120, 190}, {11, 141, 119, 189}},
    {{150, 130, 250, 200}, {151, 131, 249, 199}},
    {{260, 140, 350, 210}, {261, 141, 349, 209}},
    {{282, 98, 342, 122}, {283, 99, 341, 121}},
};

constexpr const char* kCursorNames[5] = {"AREA 1", "AREA 2", "AREA 3", "AREA 4", "EXIT"};

}  // namespace

void DrawAreaFrame(int areaIndex) {
    if (areaIndex < 0 || areaIndex >= 4) return;
    const AreaFrame& frame = kAreaFrames[areaIndex];
    const uint32_t red = PackColor(255, 0, 0);
    DrawOutline(frame.outer[0], frame.outer[1], frame.outer[2], frame.outer[3], red);
    DrawOutline(frame.inner[0], frame.inner[1], frame.inner[2], frame.inner[3], red);
}

TrialScreenTask::TrialScreenTask() : Character(-1, 0.0, 0.0) {
    mapGraphic = LoadGraphFile("./data/graphics/map.png", 0);
    // A cursor from outside the five places starts on AREA 1.
    cursor = lastAreaSelectCursor >= 0 && lastAreaSelectCursor <= kAreaSelectExit
                 ? static_cast<uint8_t>(lastAreaSelectCursor)
                 : 0;
}

TrialScreenTask::~TrialScreenTask() {
    FreeGraphic(mapGraphic, 0);
}

void TrialScreenTask::UpdateChoosing() {
    if (InputPressed(kInputLeft)) {
        PlaySoundEffect(kSeCursor);
        cursor = cursor == 0 ? kAreaSelectExit : cursor - 1;
    } else if (InputPressed(kInputRight)) {
        PlaySoundEffect(kSeCursor);
        cursor = cursor >= kAreaSelectExit ? 0 : cursor + 1;
    }
    if (cursor < kAreaSelectExit) best = SplitFrameTime(bestTimes[1 + cursor]);
    if (!ConfirmPressed()) {
        if (ReplaySaveRequested()) {
            PlaySoundEffect(kSeBreak);
            counter = 1;
            save.Begin();
            state = kSavingReplay;
        }
        return;
    }
    PlaySoundEffect(kSeBreak);
    if (cursor < kAreaSelectExit) {
        state = kFadeOut;
    } else {
        dead = 1;
        sceneCode = kSceneTitle;
    }
}

void TrialScreenTask::Update() {
    if (state == kChoosing) {
        UpdateChoosing();
    } else if (state == kFadeOut) {
        if (fadeAlpha < 255) fadeAlpha += 5;
        if (fadeAlpha >= 255) {
            fullGameMode = 0;
            areaNumber = static_cast<int8_t>(cursor + 1);
            areaChosen = 1;
            dead = 1;
        }
    } else if (state == kSavingReplay) {
        if (save.Update()) state = kChoosing;
    }
    lastAreaSelectCursor = cursor;
    ++counter;
}

void TrialScreenTask::Draw() {
    DrawScreenCover(kBlendAlpha, 255, PackColor(0, 0, 0));
    DrawImagePart(0, 0, 0, 0, 400, 220, mapGraphic, 1, 0);
    DrawBitmapText(120, 30, "AREA SELECT MODE", kTextLimit);
    const int index = cursor <= kAreaSelectExit ? cursor : kAreaSelectExit;
    DrawBitmapText(index < kAreaSelectExit ? 170 : 180, 230, kCursorNames[index], kTextLimit);
    if (state == kChoosing) {
        const int k = counter / 4 % 4;
        DrawBitmapText(150 - k, 230, "<", kTextLimit);
        DrawBitmapText(240 + k, 230, ">", kTextLimit);
    }
    if (cursor < kAreaSelectExit) {
        DrawBitmapText(105, 250, "BEST TIME    :  .  ", kTextLimit);
        DrawFrameTime(best, 215, 250);
    }
    if (counter % 16 < 8 || state > kChoosing) DrawAreaFrame(cursor);
    DrawReplaySaveHint();
    if (state == kSavingReplay) save.Draw();
    DrawScreenCover(kBlendAlpha, fadeAlpha, PackColor(0, 0, 0));
}
