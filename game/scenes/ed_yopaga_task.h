// The hero of the ending: he rises away in a green glow, comes down again before the village and, once
// his glow has faded, tells the director (scene step 11).
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class EdYopagaTask : public Character {
  public:
    enum YopagaState : int32_t { kRising = 0, kComingDown = 1, kLanded = 2 };

    EdYopagaTask(MapData* map, int32_t* sceneStep);
    void Update() override;
    void Draw() override;

    double& SpeedX() { return param; }
    double& SpeedY() { return real1; }

    double scale = 0.0;
    double glowRadius = 0.0;
    int32_t* sceneStep;

  private:
    void Rise();
    void ComeDown();

    int32_t ownStep = 0;
};
