// Shakes the picture for a number of frames through the shared quake offsets (the main loop clears them
// after drawing each frame).
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class QuakeTask : public Character {
  public:
    // vertical 1 shakes up and down, 0 sideways.
    QuakeTask(int duration, uint8_t vertical);
    void Update() override;

    int32_t duration;
    uint8_t vertical;
};
