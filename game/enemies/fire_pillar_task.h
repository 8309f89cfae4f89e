// A fire pillar standing on the ground line (y 190 to 240): it rises to 50 pixels, burns for 60 frames
// and sinks back.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class FirePillarTask : public Character {
  public:
    enum FirePillarState : int32_t { kRising = 0, kBurning = 1 };

    FirePillarTask(int x, MapData* map);
    void Update() override;

    int32_t height = 0;
};
