// The boss of the last area: a flying saucer that keeps ahead of the scrolling view, attacks in a fixed
// rotation (aimed bullets, fire pillars, a sweeping laser, dropped walkers), takes three hits and is
// knocked forward by each, then flies off, crashes and lies as a wreck. It shares one integer with its
// pilot: the pilot's state, which both read and write.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class OnlyCollisionTask;

class UfoTask : public Character {
  public:
    enum UfoState : int32_t {
        kWaiting = 0,
        kEntrance = 1,
        kApproach = -2,
        kCruise = 2,
        kBullets = 3,
        kFirePillars = 4,
        kLaser = 5,
        kWalkers = 6,
        kKnocked = -3,
        kDestroyed = -4,
        kWreck = -5,
    };
    enum BoxIndex : int { kHullBox = 0, kLeftPod = 1, kRightPod = 2, kLaserBox = 3, kBoxCount = 4 };

    // pilotState is the pilot's state field; the UFO starts its entrance when it reads 2.
    UfoTask(int32_t* pilotState, MapData* map);
    void Update() override;
    void Draw() override;

    double& SpeedX() { return param; }
    double& SpeedY() { return real1; }

    int32_t* pilotState;
    int32_t hatchOpening = 0;  // 0 to 200 in steps of 40: also the source y of the hatch picture
    int32_t extension = 0;     // 0 to 30: the height of the cockpit slid out of the hull
    int32_t patternIndex = 0;  // the next entry of the attack rotation
    uint8_t bulletLight = 0, chargeLight = 0, laserOn = 0, pillarLight = 0;
    int32_t sweepCount = 0;
    double effectiveSpeed = 0.0;  // the horizontal step of the last station-keeping frame
    double speedCap = 7.5;
    int32_t invulnerable = 0;  // frames left
    double spinAngle = 0.0;    // radians, of the falling wreck
    OnlyCollisionTask* boxes[kBoxCount] = {};

  private:
    void TakeHit();
    bool StruckThisFrame() const;
    void StepState();
    void Entrance();
    void Cruise();
    void Bullets();
    void FirePillars();
    void Laser();
    void Walkers();
    void Knocked();
    void Destroyed();
    void Crash();
    void Wreck();
    void Explode();
    void Move();
    void PlaceBoxes();
    void SetPilotState(int value);
};

// The attack after the cruise, for a rotation index (taken modulo the rotation's length): with a speed cap
// of 12 or more the walker attack becomes the bullet attack.
int UfoAttackAt(int patternIndex, double speedCap);
