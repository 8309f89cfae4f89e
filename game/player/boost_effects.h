// The effects of a boost: a burst over the player, a caption rising above it, and the fading after-image
// the player leaves while it is fast. None of them collides; the burst and the caption follow the player
// through its published position.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

// A burst of the boost level's row (1-4) over the player, turned with the surface it was made on.
class BoostEffectTask : public Character {
  public:
    BoostEffectTask(int surface, int flip, int followUp, int boostLevel);
    void Update() override;
    void Draw() override;

    int32_t surface;
    int32_t boostLevel;
    // 1 for the second burst a first one spawns.
    uint8_t followUp;
};

// The caption of boost levels 2 to 4: it rises above the player, then blinks.
class BoostTextTask : public Character {
  public:
    explicit BoostTextTask(int boostLevel);
    void Update() override;
    void Draw() override;

    double& RiseSpeed() { return real1; }

    int32_t boostLevel;
    double riseOffset;
};

// An after-image of the player's sprite, tinted red, fading out where it was made.
class BoostShadowTask : public Character {
  public:
    BoostShadowTask(double x, double y, int surface, int flip, int srcX, int srcY, int lowerSrcX,
                    int lowerSrcY, int twoPiece);
    void Update() override;
    void Draw() override;

    int32_t surface;
    int32_t lowerSrcX, lowerSrcY;
    uint8_t twoPiece;
    int32_t alpha = 120;
};
