// A fireball: it simmers for 20 frames rising 10 pixels, jumps, and falls back until it passes its start
// height. A player attack or a solid tile puts it out.
#pragma once

#include "game/frame/character.h"

class FireBallTask : public Character {
  public:
    enum FireBallState : int32_t { kSimmering = 0, kJumping = 1 };

    FireBallTask(int x, int y, MapData* map);
    void Update() override;

    double& SpeedX() { return real1; }
    double& SpeedY() { return real2; }

    double startHeight = 0.0;

  private:
    void Simmer();
    void Jump();
};
