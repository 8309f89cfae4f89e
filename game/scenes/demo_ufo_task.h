// The craft of the opening: it comes out of the distance, swings into the sky, descends, lands when the
// dialogue asks (script step 1), opens its hatch and lets walkers out, then hands the scene on (step 2).
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class DemoUfoTask : public Character {
  public:
    enum UfoState : int32_t { kApproaching = 0, kDescending = 1, kLanded = 2, kDone = 3 };

    DemoUfoTask(MapData* map, int32_t* scriptStep);
    void Update() override;
    void Draw() override;

    double& SpeedX() { return param; }
    double& SpeedY() { return real1; }

    int32_t* scriptStep;
    double scale = 0.0;  // also the brightness and the hum's volume
    int32_t hatch = 0;   // 0 to 200 in steps of 40

  private:
    void Approach();
    void Descend();
    void Land();
    // Restarts the hum when it has stopped, at the volume of the craft's size.
    void KeepHumming() const;

    int32_t ownStep = 0;
};
