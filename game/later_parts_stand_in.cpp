// Stand-ins for the parts of the game that are called but built later: the clear board's magma eruption.
// Each does the least that lets the main loop run; replace them piece by piece as the real ones arrive.
#include "game/map_data.h"
#include "game/task_factory.h"
#include "game/task_registry.h"

namespace {

// A task that only holds its place in a group.
class PlaceholderTask : public Character {
  public:
    PlaceholderTask(MapData* map_, int group_) {
        map = map_;
        RegisterInGroup(group_);
    }
};

}  // namespace

Character* CreateFunkaMagmaTask(double, double, MapData* map, double) {
    return CreateTask<PlaceholderTask>(map, kGroupNoCollision);
}
