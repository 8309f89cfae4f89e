// The player's status over the game view: lives, health, elements, the held bomb, the boost energy and
// the speed bar. It reads only the player's published values.
#pragma once

#include "game/frame/character.h"

class PlayerGaugeTask : public Character {
  public:
    PlayerGaugeTask();
    void Update() override;
    void Draw() override;
};
