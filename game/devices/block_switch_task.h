// A switch tile: struck or touched, it follows the rail drawn in the map's third tile layer to its end
// cells and toggles the solid blocks there in the collision layer.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class BlockSwitchTask : public Character {
  public:
    BlockSwitchTask(const MapObjectRecord& record, MapData* map);
    void Update() override;
    // A white flash over the switch for eight frames after each toggle.
    void Draw() override;

    int32_t toggleCount = 0;

  private:
    bool Triggered() const;
    void Toggle();
    // The world position of the rail's end cell; false when the switch has no rail or the rail breaks.
    bool FindRailEnd(int* endX, int* endY) const;
    void ToggleBlocksAround(int endX, int endY);
};
