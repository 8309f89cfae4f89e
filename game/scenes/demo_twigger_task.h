// A walker of the opening's attack: it enters from the right edge and walks left until it passes its
// stop line.
#pragma once

#include "game/frame/character.h"

class DemoTwiggerTask : public Character {
  public:
    DemoTwiggerTask(double x, double y, MapData* map, int drawLayer, double stopX);
    void Update() override;

    double& SpeedX() { return param; }

    double stopX;
};

// Where the opening's walkers enter.
constexpr double kDemoTwiggerStartX = 400.0;
constexpr double kDemoTwiggerStartY = 160.0;
