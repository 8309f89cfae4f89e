// A spinning 10 x 10 piece that falls under gravity until it has left the view: broken blocks and debris.
#pragma once

#include "game/frame/character.h"

class FallingObjectTask : public Character {
  public:
    FallingObjectTask(int x, int y, int graphic, int srcX, int srcY, int drawLayer, double speedX,
                      double speedY, double angle, double spin);
    void Update() override;
    void Draw() override;

    // The velocity, the angle (radians) and the spin (radians per frame), kept in the Character fields.
    double& SpeedX() { return real1; }
    double& SpeedY() { return real2; }
    double& Angle() { return real3; }
    double& Spin() { return param; }
};

// The four pieces of a broken block at its tile's top-left corner; a piece is made only while the
// no-collision group holds fewer than groupLimit tasks. Answers how many were made.
int CreateBlockDebris(int cornerX, int cornerY, int groupLimit);
