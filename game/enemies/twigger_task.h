// The walker: from the map it patrols a ledge, turning at walls, at ledges and after every 60 frames of
// walking; dropped from the sky it falls to the ground and walks on without looking ahead.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class TwiggerTask : public Character {
  public:
    enum TwiggerState : int32_t { kFalling = -1, kWalking = 0, kPausing = 1 };

    // Placed by a map record: it walks toward the player.
    TwiggerTask(const MapObjectRecord& record, MapData* map);
    // Dropped at (x, y): it falls, drifting by speedX, until it meets the ground.
    TwiggerTask(double x, double y, MapData* map, double speedX);
    // Creates a dropped walker; null when the enemy group is full.
    static TwiggerTask* TwiggerTaskAt(double x, double y, MapData* map, double speedX);
    void Update() override;

    double& SpeedX() { return real1; }
    double& SpeedY() { return real2; }

    uint8_t dropped = 0;

  private:
    void Fall();
    void Walk();
    void Pause();
    bool BlockedAhead() const;
};
