// The player figure of the final event: it flies straight up out of the eruption with a flame below it,
// leaving after-images, and keeps the camera globals on the map's camera.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class Stage5PlayerTask : public Character {
  public:
    Stage5PlayerTask(double x, double y, MapData* map);
    void Update() override;
    void Draw() override;

    double& SpeedY() { return real1; }

    int32_t flameSrcX = 40;
};

constexpr double kStage5PlayerStartX = 220.0;
constexpr double kStage5PlayerStartY = 1600.0;
