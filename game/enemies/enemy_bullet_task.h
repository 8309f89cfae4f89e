// The small round shot of the turrets and the UFO: it flies straight, dies on a strike, in a wall (after
// its first six frames) or outside the view, and in the boss fight after 360 frames.
#pragma once

#include "game/frame/character.h"

class EnemyBulletTask : public Character {
  public:
    // Flying at (speedX, speedY).
    EnemyBulletTask(double x, double y, MapData* map, double speedX, double speedY);
    // Flying at speed toward the aim point turned by angle (radians) about the bullet's centre, plus
    // carrySpeed sideways.
    EnemyBulletTask(double x, double y, MapData* map, double aimX, double aimY, double speed, double angle,
                    double carrySpeed);
    void Update() override;
    void Draw() override;

    double& SpeedX() { return param; }
    double& SpeedY() { return real1; }

  private:
    void Setup();
    void Burst();
};
