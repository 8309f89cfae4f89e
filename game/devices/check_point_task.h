// A check point stone: touched, it becomes the area's restart point (the map's player start) and lights
// up; while dark a sign floats above it.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class CheckPointTask : public Character {
  public:
    CheckPointTask(const MapObjectRecord& record, MapData* map);
    void Update() override;
    void Draw() override;

    bool IsCurrent() const;

    int32_t checkPointId = 0;
    int32_t signY = 0;

  private:
    void WriteStoneTiles();
};
