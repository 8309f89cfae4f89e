// An invisible touch area along a conveyor surface: while the player stands on the belt's side of it, the
// belt pushes the player along the surface by one pixel a frame.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class BeltPlatformTask : public Character {
  public:
    BeltPlatformTask(const MapObjectRecord& record, MapData* map);
    void Update() override;
    // A debug outline of the touch area; the belt never appends itself to a draw layer.
    void Draw() override;

    int32_t direction = 0;  // 1: clockwise along the surface (rightward on a floor), 0: the other way
};
