// The frog: it rests, crouches and hops 60 pixels ahead (on the flat, down a step of 60 or up one), lands
// over its target and turns around; with a wall high ahead and nothing low it only bobs in place.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class FloggyTask : public Character {
  public:
    enum FloggyState : int32_t { kResting = 0, kFlying = 1, kLanded = 2 };

    FloggyTask(const MapObjectRecord& record, MapData* map);
    void Update() override;

    double& SpeedX() { return real1; }
    double& SpeedY() { return real2; }

    int32_t landingHeight = 0;  // the height of its feet (y + 50) where it lands
    double targetX = 0.0;

  private:
    void Rest();
    void PlanHop();
    void Fly();
    void Land();
};
