// Loops the boss arena: once the map camera passes x 3200 during the boss fight, the camera and every
// task move back by 3200 pixels.
#pragma once

#include "game/frame/character.h"

constexpr int kMapLoopWidth = 3200;

class MapLoopTask : public Character {
  public:
    explicit MapLoopTask(MapData* map);
    void Update() override;
};
