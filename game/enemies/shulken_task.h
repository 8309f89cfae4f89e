// The turret built into the rock: it faces away from the wall beside it, and while it is in view it blinks
// and fires a bullet every 140 frames or so. Its body is part of the map's tiles; it cannot be hit.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class ShulkenTask : public Character {
  public:
    enum ShulkenState : int32_t { kWaiting = 0, kWarning = 1 };

    ShulkenTask(const MapObjectRecord& record, MapData* map);
    void Update() override;
    void Draw() override;

    double& ShotSpeed() { return real1; }

    uint8_t blink = 0;
    int32_t muzzleX = 0;
    uint8_t fireRequest = 0;
    int32_t timer = 55;

  private:
    void SettleFacing();
    bool InView() const;
};
