#include "game/scenes/title_screen_task.h"

#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/records_file.h"
#include "game/frame/scene_code.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/sound_text/sound_effects.h"
#include "game/sound_text/text_drawing.h"

namespace {

constexpr const char* kTitleGraphicPath = "./data/graphics/title.png";
constexpr int kTextLimit = 120;

}  // namespace

TitleScreenTask::TitleScreenTask() : Character(-1, 0.0, 0.0) {
    drawLayer = 2;
    RegisterInGroup(kGroupNoCollision);
    titleGraphic = LoadGraphFile(kTitleGraphicPath, 0);
    itemCount = bestTimes[0] < kAreaSelectUnlockTime ? 3 : 2;
    best = SplitFrameTime(bestTimes[0]);
    state = kFadeIn;
}

TitleScreenTask::~TitleScreenTask() {
    FreeGraphic(titleGraphic, 0);
    delete optionScreen;
    delete areaSelect;
}

void TitleScreenTask::OpenAreaSelect() {
    if (areaSelect == nullptr) areaSelect = new TrialScreenTask();
}

void TitleScreenTask::Choose() {
    PlaySoundEffect(kSeBreak);
    counter = 0;
    idleCounter = 0;
    if (cursor == 0) {
        state = kFadeOut;
    } else if (cursor == 1 && itemCount == 3) {
        lastAreaSelectCursor = 0;
        OpenAreaSelect();
        state = kAreaSelect;
    } else {
        if (optionScreen == nullptr) optionScreen = new OptionScreenTask();
        StopBgm();
        state = kOptionScreen;
    }
}

void TitleScreenTask::UpdateMenu() {
    if (InputPressed(kInputDown)) {
        PlaySoundEffect(kSeCursor);
        cursor = (cursor + 1) % itemCount;
        idleCounter = 0;
    } else if (InputPressed(kInputUp)) {
        PlaySoundEffect(kSeCursor);
        cursor = (cursor + itemCount - 1) % itemCount;
        idleCounter = 0;
    }
    if (ConfirmPressed()) {
        Choose();
    } else if (ReplaySaveRequested()) {
        PlaySoundEffect(kSeBreak);
        idleCounter = 1;
        counter = 0;
        save.Begin();
        state = kSavingReplay;
        return;
    } else if (idleCounter > kTitleIdleFrames) {
        counter = 0;
        state = kFadeOut;
    }
    ++idleCounter;
}

void TitleScreenTask::UpdateOptionScreen() {
    optionScreen->Update();
    if (optionScreen->dead != 1) {
        if (optionScreen->screenModeChanged == 1) {
            // The mode change lost the graphics.
            FreeGraphic(titleGraphic, 0);
            titleGraphic = LoadGraphFile(kTitleGraphicPath, 0);
            optionScreen->screenModeChanged = 0;
        }
        return;
    }
    delete optionScreen;
    optionScreen = nullptr;
    state = kMenu;
}

void TitleScreenTask::UpdateAreaSelect() {
    areaSelect->Update();
    if (areaSelect->dead != 1) return;
    if (areaSelect->areaChosen == 1) {
        fadeAlpha = 255;
        dead = 1;
    }
    delete areaSelect;
    areaSelect = nullptr;
    state = kMenu;
}

void TitleScreenTask::Update() {
    if (sceneCode == kSceneAreaSelect) {
        OpenAreaSelect();
        cursor = 1;
        fadeAlpha = 0;
        state = kAreaSelect;
    }
    switch (state) {
        case kFadeIn:
            if (fadeAlpha >= 1) fadeAlpha -= 5;
            if (fadeAlpha <= 0) {
                counter = -1;
                state = kMenu;
            }
            break;
        case kMenu:
            UpdateMenu();
            break;
        case kFadeOut:
            if (fadeAlpha < 255) fadeAlpha += 3;
            if (fadeAlpha >= 255) {
                if (idleCounter < kTitleIdleFrames + 1) {
                    areaNumber = 1;
                } else {
                    sceneCode = kSceneOpeningDemo;
                }
                dead = 1;
            }
            break;
        case kOptionScreen:
            UpdateOptionScreen();
            break;
        case kAreaSelect:
            UpdateAreaSelect();
            break;
        case kSavingReplay:
            if (save.Update()) state = kMenu;
            break;
        default:
            break;
    }
    if (state != kSavingReplay) cursorFrame = counter / 4 % 4 * 20 + 20;
    ++counter;
}

void TitleScreenTask::Draw() {
    DrawImagePart(60, 60, 0, 0, 280, 90, titleGraphic, 1, 0);
    DrawBitmapText(150, 200, "GAME START", kTextLimit);
    if (itemCount == 3) {
        DrawBitmapText(145, 220, "AREA SELECT", kTextLimit);
        DrawBitmapText(165, 240, "OPTIONS", kTextLimit);
    } else {
        DrawBitmapText(165, 220, "OPTIONS", kTextLimit);
    }
    DrawImagePart(120, 193 + 20 * cursor, cursorFrame, 0, 20, 20, commonGraphic, 1, 0);
    DrawImagePart(260, 193 + 20 * cursor, cursorFrame, 0, 20, 20, commonGraphic, 1, 0);
    if (itemCount == 3) {
        DrawBitmapText(105, 10, "BEST TIME    :  .  ", kTextLimit);
        DrawFrameTime(best, 215, 10);
    }
    if (!DrawReplaySaveHint()) {
        DrawBitmapText(0, 290, "KORVALUND TEAM 2024", kTextLimit);
        DrawBitmapText(280, 290, "VERSION 1.01", kTextLimit);
    }
    if (state == kOptionScreen && optionScreen != nullptr) optionScreen->Draw();
    if (state == kAreaSelect && areaSelect != nullptr) areaSelect->Draw();
    if (state == kSavingReplay) save.Draw();
    DrawScreenCover(kBlendAlpha, fadeAlpha, PackColor(0, 0, 0));
}

Character* CreateTitleScreenTask() {
    return CreateTask<TitleScreenTask>();
}
