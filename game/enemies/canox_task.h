// The cannon turret on the floor or hanging from the ceiling: its barrel follows the player within 120
// degrees of its rest direction, and while it is on screen it flashes and fires every 170 frames or so.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class CanoxTask : public Character {
  public:
    enum CanoxState : int32_t { kIdle = 0, kAboutToFire = 1 };

    CanoxTask(const MapObjectRecord& record, MapData* map);
    void Update() override;
    void Draw() override;

    uint8_t ceiling = 0;
    double barrelAngle = 0.0;  // radians from the rest direction, within +-2pi/3
    uint8_t flash = 0;
    double muzzleX = 0.0, muzzleY = 0.0;
    uint8_t fire = 0;
    int32_t waitTimer = 60;

  private:
    // The angle from the rest direction to the player's centre; kNoAngle when the centres coincide.
    double AngleToPlayer() const;
    void TurnBarrel();
    bool OnScreen() const;
};
