// The title screen: GAME START, AREA SELECT (once a total time under 600 minutes is recorded) and
// OPTIONS, the best total time, the replay save on F4, and the opening demo after ten idle seconds.
// The main loop drives it directly during the title phase.
#pragma once

#include <cstdint>

#include "game/frame/character.h"
#include "game/scenes/area_select.h"
#include "game/scenes/option_screen_task.h"
#include "game/scenes/replay_save_prompt.h"
#include "game/scenes/scene_drawing.h"

// The menu offers AREA SELECT once the best total time is below this (600 minutes).
constexpr int32_t kAreaSelectUnlockTime = 2160000;
// Menu frames without input before the title falls back to the opening demo.
constexpr int32_t kTitleIdleFrames = 600;

class TitleScreenTask : public Character {
  public:
    enum TitleState : int32_t {
        kFadeIn = -1,
        kMenu = 0,
        kFadeOut = 1,
        kOptionScreen = 2,
        kAreaSelect = 3,
        kSavingReplay = 4,
    };

    TitleScreenTask();
    ~TitleScreenTask() override;
    void Update() override;
    void Draw() override;

    int32_t titleGraphic = 0;
    int32_t itemCount = 2;
    int32_t idleCounter = 0;
    int32_t fadeAlpha = 255;
    int32_t cursor = 0;
    int32_t cursorFrame = 20;
    FrameTime best = {};
    ReplaySavePrompt save;
    OptionScreenTask* optionScreen = nullptr;
    TrialScreenTask* areaSelect = nullptr;

  private:
    void UpdateMenu();
    void Choose();
    void UpdateOptionScreen();
    void UpdateAreaSelect();
    void OpenAreaSelect();
};
