// The eruption's magma column: a surface row over body rows down to the bottom of the view, seven tiles
// wide, rising until its top passes 300 pixels above the map.
#pragma once

#include "game/frame/character.h"

class FunkaMagmaTask : public Character {
  public:
    FunkaMagmaTask(int x, int y, MapData* map, double speedY);
    void Update() override;
    void Draw() override;

    double& SpeedY() { return real2; }
};
