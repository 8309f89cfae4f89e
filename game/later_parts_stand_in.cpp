// Stand-ins for the parts of the game that the frame calls but that are built later: the task classes
// the main loop creates (the player) and the effects the clear board makes (quake, eruption).
// Each does the least that lets the main loop run; replace them piece by piece as the real ones arrive.
#include "game/game_state.h"
#include "game/input_mask.h"
#include "game/key_config.h"
#include "game/map_data.h"
#include "game/scene_code.h"
#include "game/task_factory.h"
#include "game/task_registry.h"
#include "game/text_drawing.h"

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

Character* CreatePlayerTask(MapData* map) {
    return CreateTask<PlaceholderTask>(map, kGroupPlayer);
}
Character* CreateQuakeTask(int, int) {
    return CreateTask<PlaceholderTask>(nullptr, kGroupNoCollision);
}
Character* CreateFunkaMagmaTask(double, double, MapData* map, double) {
    return CreateTask<PlaceholderTask>(map, kGroupNoCollision);
}
