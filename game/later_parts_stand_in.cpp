// Stand-ins for the parts of the game that the frame calls but that are built later: the task classes
// the main loop creates (title screen, player, stage start, the map's object types).
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

// The title screen stand-in: START (or 600 idle frames, which go to the opening demo) ends it.
class TitleScreenStandIn : public Character {
  public:
    TitleScreenStandIn() { RegisterInGroup(kGroupNoCollision); }
    void Update() override {
        if (InputPressed(static_cast<uint32_t>(keyConfig.padStart))) {
            fullGameMode = sceneCode == kSceneAreaSelect ? 0 : 1;
            areaNumber = 1;
            dead = 1;
        } else if (++counter >= 600) {
            sceneCode = kSceneOpeningDemo;
            dead = 1;
        }
    }
    void Draw() override { DrawBitmapText(155, 140, "KORVALUND", 9); }
};

// A task that only holds its place in a group.
class PlaceholderTask : public Character {
  public:
    PlaceholderTask(MapData* map_, int group_) {
        map = map_;
        RegisterInGroup(group_);
    }
};

}  // namespace

Character* CreateTitleScreenTask() {
    return CreateTask<TitleScreenStandIn>();
}
Character* CreatePlayerTask(MapData* map) {
    return CreateTask<PlaceholderTask>(map, kGroupPlayer);
}
Character* CreateStageStartTask(MapData* map) {
    return CreateTask<PlaceholderTask>(map, kGroupSceneControl);
}
Character* SpawnMapObject(MapData*, MapObjectRecord*) {
    return nullptr;
}
