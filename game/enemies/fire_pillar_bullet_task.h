// The boss's falling fire shot: it drops under gravity and raises a fire pillar where it lands.
#pragma once

#include "game/frame/character.h"

class FirePillarBulletTask : public Character {
  public:
    FirePillarBulletTask(int x, int y, MapData* map, double speedX);
    void Update() override;

    double& SpeedX() { return real1; }
    double& SpeedY() { return real2; }
};
