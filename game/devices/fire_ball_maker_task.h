// An invisible fireball emitter placed in the map: while it is in view it throws a fireball 20 frames
// after it came into view and then every 120 frames.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class FireBallMakerTask : public Character {
  public:
    FireBallMakerTask(const MapObjectRecord& record, MapData* map);
    void Update() override;

    int32_t timer = 20;

  private:
    bool InView() const;
};
