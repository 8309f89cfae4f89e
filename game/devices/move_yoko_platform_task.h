// A platform moving left and right between marker tiles of tile layer 1; it keeps a solid box in the
// tile lookup so the player can stand on it, and carries the player along.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class MoveYokoPlatformTask : public Character {
  public:
    enum PlatformState : int32_t { kMoving = 0, kPausing = 1 };

    MoveYokoPlatformTask(const MapObjectRecord& record, MapData* map);
    void Update() override;
    void Draw() override;

    int32_t boxIndex = -1;  // its 1-based place in the solid-box list; -1 without a box
    double speedX = 0.0;

  private:
    bool MarkerAt(double wx, double wy) const;
    bool CarriesPlayer() const;
};
