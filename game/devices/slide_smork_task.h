// The dust puff of the player's slide and of some hazards: four frames of a 10 x 10 cloud.
#pragma once

#include "game/frame/character.h"

class SlideSmorkTask : public Character {
  public:
    SlideSmorkTask(int x, int y);
    void Update() override;
};
