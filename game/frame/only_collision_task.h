// An invisible hit box: the player's attacks, the bomb's screen-wide blast (with its white flash) and the
// boss's body use it to take part in the collision pass.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class OnlyCollisionTask : public Character {
  public:
    // The bomb's blast: a 440 x 340 box around the view with a flash, in the player-attack group; it
    // takes part in two collision passes.
    OnlyCollisionTask();
    // A hit box of the shape exactly at (x, y) in the group; size and box 0 until SetShape.
    OnlyCollisionTask(uint8_t shapeKind, double x, double y, int group);
    void SetShape(uint8_t shapeKind, int width, int height, double x, double y);
    void Update() override;
    void Draw() override;

    uint8_t flash = 0;
    int32_t previousHit = -1;
};
