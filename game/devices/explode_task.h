// An explosion puff: it may wait unseen for a delay while it already travels, then shows eleven frames.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class ExplodeTask : public Character {
  public:
    // The velocity is speed in the direction of angle (radians, 0 straight up, pi/2 straight right).
    ExplodeTask(int x, int y, int delay, int drawLayer, double angle, double speed);
    void Update() override;

    double& SpeedX() { return real1; }
    double& SpeedY() { return real2; }

    int32_t delay;
    double angle;
    double speed;
    int32_t animationStep = 1;
};
