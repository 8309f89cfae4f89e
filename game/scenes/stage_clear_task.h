// The area's clear board: stores the area's time and best time, rolls and shows the time, says
// "NEW RECORD!", and moves the main loop on; after the boss area it first plays the eruption finale.
#pragma once

#include <cstdint>

#include "game/frame/character.h"
#include "game/scenes/logo_lines.h"
#include "game/scenes/scene_drawing.h"

class StageClearTask : public Character {
  public:
    enum ClearState : int32_t { kSlideIn = 0, kRolling = 1, kShowing = 2, kFadeOut = 3, kFinale = 4 };

    explicit StageClearTask(MapData* map);
    ~StageClearTask() override;
    void Update() override;
    void Draw() override;

    int32_t dimAlpha = 0, fadeAlpha = 0, flashAlpha = 0;
    LogoLines lines;
    uint8_t timeShown = 0;
    FrameTime shown = {};
    uint8_t newRecord = 0;

  private:
    int Kind() const;
    void RecordTime();
    void UpdateRolling();
    void UpdateFadeOut();
    void UpdateFinale();
};

// Made by the goal and by the boss area's last enemy.
Character* CreateStageClearTask(MapData* map);
