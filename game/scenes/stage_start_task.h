// The area's start card: in the full game the map picture first, then the title card slides in with
// the start jingle while the player's input is held; at its end the area's music and timer start.
#pragma once

#include <cstdint>

#include "game/frame/character.h"
#include "game/scenes/logo_lines.h"

class StageStartTask : public Character {
  public:
    enum StartState : int32_t { kMapPicture = -1, kClosing = -2, kTitleIn = 0, kTitleOut = 1, kBossWait = 2 };

    explicit StageStartTask(MapData* map);
    ~StageStartTask() override;
    void Update() override;
    void Draw() override;

    int32_t mapGraphic = 0;
    int32_t panelSize = 0;
    double digitAlpha = 0.0;
    int32_t fadeAlpha = 255;
    double digitScale = 4.4;
    LogoLines lines;

  private:
    int Kind() const;
    void UpdateTitleIn();
    void UpdateTitleOut();
};
