// After a lost life: fades the screen to black, then asks the main loop for a respawn, or shows
// "GAME OVER" and goes back to the title once it is confirmed.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class PlayerMissTask : public Character {
  public:
    PlayerMissTask();
    void Update() override;
    void Draw() override;

    int32_t fadeAlpha = 0;
    int32_t textAlpha = 255;
    int32_t lettersShown = 0;

  private:
    void UpdateRespawn();
    void UpdateGameOver();
    void Leave();
};
