// The area goal: a flower that the player touches once; it grows, opens with the clear tune, walks the
// player out of the view and then hands over to the clear board.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class GoalFlowerTask : public Character {
  public:
    enum GoalState : int32_t { kWaiting = 0, kGrowing = 1, kCleared = 2 };

    GoalFlowerTask(const MapObjectRecord& record, MapData* map);
    void Update() override;
    void Draw() override;

    int32_t signY = 0;
    int32_t stemHeight = -10;

  private:
    void Grow();
    void WalkOut();
};

// A leaf on the goal's stem; it opens after 8 frames and stays until the area ends.
class GoalFlowerLeafTask : public Character {
  public:
    GoalFlowerLeafTask(double x, double y);
    void Update() override;
};
