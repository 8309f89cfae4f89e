// The boss's pilot: it waits by its craft, jumps aboard, and after the crash climbs out of the wreck and
// hands the area over to the clear board. Its state is the integer it shares with the UFO.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class UfoTask;

class AlienTask : public Character {
  public:
    enum AlienState : int32_t {
        kWaiting = 0,
        kJumping = 1,
        kReady = 2,     // read by the UFO
        kAboard = 3,    // set by the UFO
        kEscaping = 4,  // set by the UFO's crash
        kFleeing = 5,
        kLeaving = 6,
    };

    AlienTask(const MapObjectRecord& record, MapData* map);
    void Update() override;

    double& SpeedX() { return param; }
    double& SpeedY() { return real1; }

    UfoTask* ufo = nullptr;  // the craft it brought, which points at its state until the pilot goes

  private:
    void Wait();
    void Jump();
    void Escape();
    void Flee();
    void Leave();
};

// The horizontal speed that carries a jump of vertical speed -8 from (x, y) down onto (300, 120) under a
// gravity of 0.3 per frame.
double AlienJumpSpeedX(double x, double y);
