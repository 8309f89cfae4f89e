// The tasks of the map's object records, by record type.
#include "game/devices/belt_platform_task.h"
#include "game/devices/block_switch_task.h"
#include "game/devices/check_point_task.h"
#include "game/devices/fire_ball_maker_task.h"
#include "game/devices/goal_flower_task.h"
#include "game/devices/move_yoko_platform_task.h"
#include "game/enemies/alien_task.h"
#include "game/enemies/canox_task.h"
#include "game/enemies/crustone_task.h"
#include "game/enemies/floggy_task.h"
#include "game/enemies/shulken_task.h"
#include "game/enemies/twigger_task.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/scenes/ed_demo_task.h"
#include "game/scenes/event1_task.h"
#include "game/scenes/event2_task.h"
#include "game/scenes/op_demo_task.h"

namespace {

enum MapObjectType : int32_t {
    kCheckPoint = 6,
    kGoalFlower = 7,
    kEvent1 = 19,
    kMoveYokoPlatform = 21,
    kTwigger = 30,
    kCrustone = 31,
    kCanox = 32,
    kFloggy = 33,
    kShulken = 34,
    kBeltPlatform = 35,
    kBlockSwitch = 36,
    kFireBallMaker = 37,
    kAlien = 38,
    kEvent2 = 39,
    kOpDemo = 40,
    kEdDemo = 41,
};

}  // namespace

Character* SpawnMapObject(MapData* map, MapObjectRecord* record) {
    if (record == nullptr) return nullptr;
    switch (record->type) {
        case kCheckPoint:
            return CreateTask<CheckPointTask>(*record, map);
        case kGoalFlower:
            return CreateTask<GoalFlowerTask>(*record, map);
        case kEvent1:
            return CreateTask<Event1Task>(*record, map);
        case kMoveYokoPlatform:
            return CreateTask<MoveYokoPlatformTask>(*record, map);
        case kTwigger:
            return CreateTask<TwiggerTask>(*record, map);
        case kCrustone:
            return CreateTask<CrustoneTask>(*record, map);
        case kCanox:
            return CreateTask<CanoxTask>(*record, map);
        case kFloggy:
            return CreateTask<FloggyTask>(*record, map);
        case kShulken:
            return CreateTask<ShulkenTask>(*record, map);
        case kBeltPlatform:
            return CreateTask<BeltPlatformTask>(*record, map);
        case kBlockSwitch:
            return CreateTask<BlockSwitchTask>(*record, map);
        case kFireBallMaker:
            return CreateTask<FireBallMakerTask>(*record, map);
        case kAlien:
            return CreateTask<AlienTask>(*record, map);
        case kEvent2:
            return CreateTask<Event2Task>(*record, map);
        case kOpDemo:
            return CreateTask<OpDemoTask>(*record, map);
        case kEdDemo:
            return CreateTask<EdDemoTask>(*record, map);
        default:
            return nullptr;
    }
}
