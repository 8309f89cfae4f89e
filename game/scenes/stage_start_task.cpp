#include "game/scenes/stage_start_task.h"

#include <algorithm>

#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/scenes/area_select.h"
#include "game/scenes/scene_drawing.h"
#include "game/sound_text/sound_effects.h"
#include "game/sound_text/text_drawing.h"

namespace {

constexpr int kPanelFull = 220;
constexpr int kMapPictureWait = 300;
constexpr int kClosedWait = 80;
constexpr int kTitleInFrames = 120;
constexpr int kTitleOutWait = 90;
constexpr int kJingleFrame = 4;
constexpr int kCardFade = 200;

}  // namespace

StageStartTask::StageStartTask(MapData* map_) : Character(-1, 0.0, 0.0) {
    map = map_;
    drawLayer = 1;
    graphic = LoadGraphFile("./data/graphics/logo.png", 0);
    mapGraphic = LoadGraphFile("./data/graphics/map.png", 0);
    RegisterInGroup(kGroupSceneControl);
    areaIntro = 1;
    if (fullGameMode) {
        state = kMapPicture;
    } else {
        areaIntro = 0;
        inputEnabled = 0;
        state = Kind() == kBossMapKind ? kBossWait : kTitleIn;
    }
}

StageStartTask::~StageStartTask() {
    FreeGraphic(graphic, 0);
    FreeGraphic(mapGraphic, 0);
}

int StageStartTask::Kind() const {
    return map != nullptr ? map->kind : 0;
}

void StageStartTask::UpdateTitleIn() {
    lines.SlideIn();
    if (fadeAlpha > kCardFade) fadeAlpha = std::max(kCardFade, fadeAlpha - 5);
    if (fadeAlpha < kCardFade) fadeAlpha = std::min(kCardFade, fadeAlpha + 5);
    if (digitAlpha < 255.0 && lines.firstX < 160.0) {
        digitAlpha += 15.0;
        digitScale -= 0.2;
    }
    if (counter == kJingleFrame) ChangeBgm("./bgm/start.pttune", 0);
    if (counter >= kTitleInFrames) {
        counter = 0;
        state = kTitleOut;
    }
}

void StageStartTask::UpdateTitleOut() {
    fadeAlpha = std::max(0, fadeAlpha - 5);
    lines.SlideOut();
    if (fadeAlpha != 0 || lines.firstX >= -160.0 || counter <= kTitleOutWait) return;
    ChangeBgm(Kind() == kBossMapKind ? "./bgm/boss2.pttune" : map->tunePath, 1);
    dead = 1;
    inputEnabled = 1;
    runTimerStopped = 0;
    if (!fullGameMode) bombHeld = 1;
}

void StageStartTask::Update() {
    switch (state) {
        case kMapPicture:
            if (panelSize < kPanelFull) {
                panelSize = std::min(kPanelFull, panelSize + 5);
                counter = 0;
            } else if (counter > kMapPictureWait || ConfirmPressed()) {
                counter = 0;
                state = kClosing;
            }
            break;
        case kClosing:
            if (panelSize > 0) panelSize = std::max(0, panelSize - 10);
            if (panelSize == 0 && counter > kClosedWait) {
                counter = 0;
                areaIntro = 0;
                inputEnabled = 0;
                state = Kind() == kBossMapKind ? kBossWait : kTitleIn;
            }
            break;
        case kBossWait:
            fadeAlpha = std::max(0, fadeAlpha - 5);
            if (area4IntroShown == 1) {
                counter = 0;
                state = kTitleIn;
            }
            break;
        case kTitleIn:
            UpdateTitleIn();
            break;
        case kTitleOut:
            UpdateTitleOut();
            break;
        default:
            break;
    }
    lines.Move();
    ++counter;
    AppendToDrawLayer();
}

void StageStartTask::Draw() {
    DrawScreenCover(kBlendAlpha, fadeAlpha, PackColor(0, 0, 0));
    if ((state == kMapPicture || state == kClosing) && panelSize > 0) {
        DrawImageStretched(0, 110 - panelSize / 2, 400, 110 + panelSize / 2, mapGraphic, 1);
        if (panelSize == kPanelFull) {
            DrawBitmapText(170, 245, "AREA", 120);
            DrawNumber(Kind(), 1, 220, 245);
            if (counter % 16 < 8) DrawAreaFrame(Kind() - 1);
        }
    }
    lines.Draw(graphic, kLogoStartLineY);
    SetBlend(kBlendAlpha, static_cast<int>(digitAlpha));
    DrawAreaDigit(graphic, Kind(), digitScale, static_cast<int>(std::min(lines.firstX + 140.0, 240.0)), 90);
    SetBlend(kBlendNone, 0);
}

Character* CreateStageStartTask(MapData* map) {
    return CreateTask<StageStartTask>(map);
}
