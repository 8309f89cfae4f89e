// The area-select screen: a child of the title that picks one area to play on its own.
#pragma once

#include <cstdint>

#include "game/frame/character.h"
#include "game/scenes/replay_save_prompt.h"
#include "game/scenes/scene_drawing.h"

// The cursor of the last visit to the area select, kept for the whole program.
extern int32_t lastAreaSelectCursor;

constexpr int kAreaSelectExit = 4;

// The blinking frame around area index 0-3 on the 400 x 220 map picture; other indexes draw nothing.
void DrawAreaFrame(int areaIndex);

class TrialScreenTask : public Character {
  public:
    enum TrialState : int32_t { kChoosing = 0, kFadeOut = 1, kSavingReplay = 4 };

    TrialScreenTask();
    ~TrialScreenTask() override;
    void Update() override;
    void Draw() override;

    int32_t mapGraphic = 0;
    uint8_t cursor = 0;  // 0-3 AREA 1-4, 4 EXIT
    FrameTime best = {};
    int32_t fadeAlpha = 0;
    ReplaySavePrompt save;
    uint8_t areaChosen = 0;

  private:
    void UpdateChoosing();
};
