// A plain scenery sprite of the scripted scenes; it shakes with the quake.
#pragma once

#include "game/frame/character.h"

class ObjectTask : public Character {
  public:
    ObjectTask(double x, double y, int srcX, int srcY, int width, int height, int layer, int graphic);
    void Update() override;

    double homeX = 0.0, homeY = 0.0;
};
