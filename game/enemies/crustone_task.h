// The crusher stone: it drops when the player passes below it, shakes the screen where it lands, rests,
// rises back home and waits again. Strikes only make it flash.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class CrustoneTask : public Character {
  public:
    enum CrustoneState : int32_t { kWaiting = 0, kFalling = 1, kRising = 2 };

    CrustoneTask(const MapObjectRecord& record, MapData* map);
    void Update() override;
    void Draw() override;

    double& SpeedY() { return real1; }

    double homeY = 0.0;
    int32_t stripY = 0;  // source y of the strip above the stone: 0 to 30 in steps of 5
    int32_t flashCounter = 0;

  private:
    bool PlayerBelow() const;
    void Fall();
    void Rise();
};
