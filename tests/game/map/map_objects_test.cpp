#include "game/devices/goal_flower_task.h"
#include "game/devices/move_yoko_platform_task.h"
#include "game/devices/shutter_task.h"
#include "game/frame/collision.h"
#include "game/frame/only_collision_task.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/map/map_loop_task.h"
#include "game/scenes/object_task.h"
#include "game/scenes/stage_clear_task.h"
#include "tests/game/scene_fixture.h"

namespace {

class MapObjectTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        UseTestSoundEffects();
        map_.Clear();
        map_.layers = new LayerData[2];
        map_.layerCount = 2;
        for (int i = 0; i < 2; ++i) {
            map_.layers[i].width = 40;
            map_.layers[i].height = 20;
            map_.layers[i].parallax = 6;
        }
    }
    void TearDown() override {
        map_.Unload();
        SceneTest::TearDown();
    }
    void SetCell(int layer, int column, int row, uint8_t id) {
        map_.layers[layer].tiles[row * map_.layers[layer].width + column] = id;
    }
    int Cell(int layer, int column, int row) const {
        return map_.layers[layer].tiles[row * map_.layers[layer].width + column];
    }
    static MapObjectRecord Record(int type, int x, int y, int w, int h) { return {type, 0, x, y, w, h, 0}; }

    MapData map_{};
};

TEST_F(MapObjectTest, RecordsOfGoalAndPlatformTypesSpawnTheirTasks) {
    MapObjectRecord goal = Record(7, 100, 100, 60, 60), platform = Record(21, 40, 40, 40, 20),
                    other = Record(99, 0, 0, 20, 20);
    EXPECT_NE(dynamic_cast<GoalFlowerTask*>(SpawnMapObject(&map_, &goal)), nullptr);
    EXPECT_NE(dynamic_cast<MoveYokoPlatformTask*>(SpawnMapObject(&map_, &platform)), nullptr);
    EXPECT_EQ(SpawnMapObject(&map_, &other), nullptr);
    EXPECT_EQ(taskCounts[kGroupTouchObject], 1);
    EXPECT_EQ(taskCounts[kGroupNoCollision], 1);
}

TEST_F(MapObjectTest, GoalGrowsOpensWalksThePlayerOutAndMakesTheClearBoard) {
    GoalFlowerTask* goal = CreateTask<GoalFlowerTask>(Record(7, 200, 300, 60, 60), &map_);
    ASSERT_NE(goal, nullptr);
    EXPECT_EQ(goal->signY, 290);
    runTimerStopped = 0;
    Steps(*goal, 5);
    EXPECT_EQ(goal->state, GoalFlowerTask::kWaiting);
    goal->hitCode = kHitTouchedByPlayer;
    Step(*goal);
    EXPECT_EQ(goal->hitCode, -1);
    EXPECT_EQ(goal->state, GoalFlowerTask::kGrowing);
    EXPECT_EQ(EffectsPlayed(), std::vector<int>{kSeCheck});
    EXPECT_EQ(map_.lockFlags & kLockLeft, kLockLeft);
    EXPECT_EQ(areaCleared, 1);
    EXPECT_EQ(runTimerStopped, 1);

    // The stem grows 4 a frame from -10 to 80 with leaves at 10, 30, 50 and 70; the bloom rises 90.
    int frames = 0;
    while (goal->state == GoalFlowerTask::kGrowing && frames < 100) {
        goal->hitCode = kHitTouchedByPlayer;  // later touches change nothing
        Step(*goal);
        ++frames;
    }
    EXPECT_EQ(frames, 23);
    EXPECT_EQ(goal->stemHeight, 80);
    EXPECT_EQ(goal->y, 210.0);
    EXPECT_EQ(taskCounts[kGroupNoCollision], 4);
    EXPECT_EQ(taskGroups[kGroupNoCollision][0]->x, 210.0);
    EXPECT_EQ(EffectsPlayed().size(), 1u);

    cameraX = 100;
    playerX = 300.0;
    Steps(*goal, 11);
    EXPECT_EQ(goal->srcX, 60);
    EXPECT_EQ(recording::Count("pxtone_Tune_Load"), 0);
    Step(*goal);  // f = 12
    EXPECT_EQ(goal->srcX, 0);
    EXPECT_EQ(recording::Named("pxtone_Tune_Load").at(0).text, "./bgm/clear.pttune");
    EXPECT_EQ(recording::Named("pxtone_Tune_SetLoop").at(0).args, std::vector<int64_t>{0});
    Steps(*goal, 68);
    EXPECT_EQ(inputEnabled, 1);
    inputNow = 0;
    goal->Update();  // f = 81: the controls are taken
    EXPECT_EQ(inputEnabled, 0);
    EXPECT_EQ(scriptedInput, kInputRight);
    // Once handed back, the goal never takes them again.
    inputEnabled = 1;
    for (int i = 0; i < 18; ++i) {
        scriptedInput = 0;
        goal->Update();
        EXPECT_EQ(scriptedInput, kInputRight);
    }
    EXPECT_EQ(taskCounts[kGroupSceneControl], 0);
    playerX = 500.0;  // out of the view: no more walking
    scriptedInput = 0;
    goal->Update();  // f = 100
    EXPECT_EQ(scriptedInput, 0u);
    ASSERT_EQ(taskCounts[kGroupSceneControl], 1);
    EXPECT_NE(dynamic_cast<StageClearTask*>(taskGroups[kGroupSceneControl][0]), nullptr);
    EXPECT_EQ(inputEnabled, 1);
}

TEST_F(MapObjectTest, GoalSignBobsAndLeavesOpenAfterEightFrames) {
    GoalFlowerTask* goal = CreateTask<GoalFlowerTask>(Record(7, 0, 100, 60, 60), &map_);
    std::vector<int> signs;
    for (int i = 0; i < 16; ++i) {
        Step(*goal);
        signs.push_back(goal->signY);
    }
    EXPECT_EQ(signs, (std::vector<int>{91, 91, 91, 91, 92, 92, 92, 92, 91, 91, 91, 91, 90, 90, 90, 90}));
    GoalFlowerLeafTask* leaf = CreateTask<GoalFlowerLeafTask>(10.0, 20.0);
    Steps(*leaf, 8);
    EXPECT_EQ(leaf->srcY, 140);
    Step(*leaf);
    EXPECT_EQ(leaf->srcY, 120);
}

TEST_F(MapObjectTest, PlatformPausesMovesBetweenMarkersAndKeepsItsBox) {
    SetCell(1, 4, 5, 1);   // left marker: the platform starts toward the right
    SetCell(1, 12, 5, 1);  // right marker
    MoveYokoPlatformTask* platform = CreateTask<MoveYokoPlatformTask>(Record(21, 100, 100, 40, 20), &map_);
    ASSERT_NE(platform, nullptr);
    EXPECT_EQ(platform->boxIndex, 1);
    EXPECT_EQ(platform->speedX, 1.25);
    Steps(*platform, 61);
    EXPECT_EQ(platform->x, 100.0);
    Step(*platform);
    EXPECT_EQ(platform->x, 101.25);
    EXPECT_EQ(solidBoxes[0].x1, 101);
    EXPECT_EQ(solidBoxes[0].x2, 141);
    int frames = 1;
    while (platform->state == MoveYokoPlatformTask::kMoving && frames < 200) {
        Step(*platform);
        ++frames;
    }
    EXPECT_EQ(platform->x, 200.0);  // x + w + 1 reached the marker at 240
    EXPECT_EQ(platform->speedX, -1.25);
    Steps(*platform, 60);
    EXPECT_EQ(platform->x, 200.0);
    Step(*platform);
    EXPECT_EQ(platform->x, 198.75);
}

TEST_F(MapObjectTest, PlatformCarriesThePlayerOnTheSideDownForItsSurface) {
    const struct {
        int surface;
        double px, py;
        bool carried;
    } cases[] = {
        {0, 90.0, 57.0, true},    // feet 97, within 8 of the top 100
        {0, 90.0, 52.0, false},   // feet 92
        {0, 142.0, 60.0, false},  // beside, not over it
        {3, 90.0, 127.0, true},   // head at the bottom 120
        {2, 147.0, 100.0, true},  // left side on the right edge 140
        {1, 55.0, 100.0, true},   // right side (x + 40 = 95) on the left edge 100
        {1, 55.0, 130.0, false},  // below it
    };
    for (const auto& c : cases) {
        DeleteAllTasks();
        solidBoxCount = 0;
        SetCell(1, 4, 5, 1);
        MoveYokoPlatformTask* platform =
            CreateTask<MoveYokoPlatformTask>(Record(21, 100, 100, 40, 20), &map_);
        playerSurface = c.surface;
        playerX = c.px;
        playerY = c.py;
        standingOnBox = 1;
        Steps(*platform, 61);
        playerPushX = 0.0;
        Step(*platform);  // the first moving frame
        EXPECT_EQ(playerPushX, c.carried ? 1.25 : 0.0) << c.surface << " " << c.px << " " << c.py;
    }
    // Not standing on a box: never carried; while the platform pauses it carries nothing.
    DeleteAllTasks();
    solidBoxCount = 0;
    MoveYokoPlatformTask* platform = CreateTask<MoveYokoPlatformTask>(Record(21, 100, 100, 40, 20), &map_);
    playerSurface = 0;
    playerX = 100.0;
    playerY = 60.0;
    standingOnBox = 0;
    playerPushX = 0.0;
    Steps(*platform, 70);
    EXPECT_EQ(playerPushX, 0.0);
    standingOnBox = 1;
    Steps(*platform, 1);
    EXPECT_EQ(playerPushX, 1.25);
}

TEST_F(MapObjectTest, The52ndPlatformHasNoBox) {
    for (int i = 0; i < kSolidBoxCapacity; ++i) {
        EXPECT_EQ(CreateTask<MoveYokoPlatformTask>(Record(21, 20 * i, 0, 20, 20), &map_)->boxIndex, i + 1);
    }
    MoveYokoPlatformTask* last = CreateTask<MoveYokoPlatformTask>(Record(21, 500, 300, 40, 20), &map_);
    EXPECT_EQ(last->boxIndex, -1);
    EXPECT_EQ(solidBoxCount, kSolidBoxCapacity);
    Steps(*last, 80);
    EXPECT_NE(last->x, 500.0);  // it moves and draws all the same
    EXPECT_EQ(MapData::FindSolidBoxAt(static_cast<int>(last->x) + 5, 305), -1);
    ClearCalls();
    last->Draw();
    EXPECT_EQ(recording::Count("DrawImagePart"), 2);
}

TEST_F(MapObjectTest, ShutterClosesTileByTileDownToTheGroundAndOpensAtOnce) {
    SetCell(0, 3, 4, 9);  // ground under a gap of three cells
    ShutterTask* shutter = CreateTask<ShutterTask>(60, 20, &map_, 3);
    ASSERT_NE(shutter, nullptr);
    EXPECT_EQ(shutter->x, 70.0);
    EXPECT_EQ(shutter->closed, 0);
    playerX = 110.0;  // not yet past x + 40
    Step(*shutter);
    EXPECT_EQ(shutter->state, ShutterTask::kWatching);
    playerX = 111.0;
    Step(*shutter);
    ASSERT_EQ(shutter->state, ShutterTask::kClosing);
    std::vector<int> firstCell;
    for (int i = 0; i < 4; ++i) {
        Step(*shutter);
        firstCell.push_back(Cell(0, 3, 1));
    }
    EXPECT_EQ(firstCell, (std::vector<int>{116, 117, 118, 119}));
    EXPECT_EQ(shutter->y, 50.0);
    Steps(*shutter, 8);
    EXPECT_EQ(Cell(0, 3, 3), 119);
    Step(*shutter);  // the ground ends it
    EXPECT_EQ(shutter->state, ShutterTask::kWatching);
    EXPECT_EQ(shutter->closed, 1);
    EXPECT_EQ(shutter->y, 30.0);
    EXPECT_EQ(Cell(0, 3, 4), 9);
    const std::vector<int> effects = EffectsPlayed();
    EXPECT_GE(std::count(effects.begin(), effects.end(), kSeShutter), 6);

    playerX = 29.0;
    Step(*shutter);
    EXPECT_EQ(shutter->state, ShutterTask::kOpening);
    Step(*shutter);
    for (int row = 1; row <= 3; ++row) EXPECT_EQ(Cell(0, 3, row), 0);
    EXPECT_EQ(Cell(0, 3, 4), 9);
    EXPECT_EQ(shutter->closed, 0);
}

TEST_F(MapObjectTest, ShutterOverAShallowGapComesBackToItsOwnPoint) {
    SetCell(0, 3, 3, 9);  // only two cells deep for a shutter of three
    ShutterTask* shutter = CreateTask<ShutterTask>(60, 20, &map_, 3);
    playerX = 200.0;
    Steps(*shutter, 20);
    EXPECT_EQ(shutter->closed, 1);
    EXPECT_EQ(shutter->y, 30.0);
    playerX = 0.0;
    Steps(*shutter, 2);
    // Reopening clears its three cells whatever they hold.
    EXPECT_EQ(Cell(0, 3, 1), 0);
    EXPECT_EQ(Cell(0, 3, 2), 0);
    EXPECT_EQ(Cell(0, 3, 3), 0);
    // Closed again and reopened: it works from the same point.
    SetCell(0, 3, 3, 9);
    playerX = 200.0;
    Steps(*shutter, 20);
    EXPECT_EQ(Cell(0, 3, 1), 119);
    EXPECT_EQ(shutter->y, 30.0);
}

TEST_F(MapObjectTest, ShutterAtTheFootOfTheLayerStopsAtItsEdge) {
    ShutterTask* shutter = CreateTask<ShutterTask>(60, 320, &map_, 3);  // rows 16 to 19, no ground
    playerX = 200.0;
    Steps(*shutter, 40);
    EXPECT_EQ(shutter->state, ShutterTask::kWatching);
    EXPECT_EQ(shutter->closed, 1);
    EXPECT_EQ(shutter->y, 330.0);
    EXPECT_EQ(Cell(0, 3, 19), 119);
}

TEST_F(MapObjectTest, TwoCellShutterAlsoWatchesThePlayersDepth) {
    ShutterTask* shutter = CreateTask<ShutterTask>(60, 20, &map_, 2);
    SetCell(0, 3, 3, 9);
    playerX = 200.0;
    playerY = 900.0;
    Steps(*shutter, 3);
    EXPECT_EQ(shutter->state, ShutterTask::kWatching);
    playerY = 901.0;
    Steps(*shutter, 12);
    EXPECT_EQ(shutter->closed, 1);
    playerY = 899.0;  // back above: it opens though the player is past it
    Steps(*shutter, 2);
    EXPECT_EQ(shutter->closed, 0);
}

TEST_F(MapObjectTest, ShutterStartsClosedOverATile) {
    SetCell(0, 3, 1, 119);
    ShutterTask* shutter = CreateTask<ShutterTask>(60, 20, &map_, 3);
    EXPECT_EQ(shutter->closed, 1);
}

TEST_F(MapObjectTest, MapLoopsEvery3200PixelsDuringTheBossFight) {
    map_.width = 400;
    map_.cameraX = 3300;
    map_.lockFlags = kLockLeft;
    MapLoopTask* loop = CreateTask<MapLoopTask>(&map_);
    ObjectTask* thing = CreateTask<ObjectTask>(3500.0, 50.0, 0, 0, 20, 20, 5, 1);
    Step(*loop);
    EXPECT_EQ(map_.cameraX, 3300);  // not before the intro
    area4IntroShown = 1;
    Step(*loop);
    EXPECT_EQ(map_.cameraX, 100);
    EXPECT_EQ(map_.lockFlags, kLockLeft);
    EXPECT_EQ(thing->x, 300.0);
    EXPECT_EQ(map_.layers[0].scrollX, 100);
    map_.cameraX = 3200;
    Step(*loop);
    EXPECT_EQ(map_.cameraX, 3200);  // only beyond 3200
}

TEST_F(MapObjectTest, BombFlashTakesPartInTwoPassesAndCoversTheScreen) {
    cameraX = 300;
    cameraY = 40;
    OnlyCollisionTask* flash = CreateTask<OnlyCollisionTask>();
    ASSERT_NE(flash, nullptr);
    EXPECT_EQ(flash->group, kGroupPlayerAttack);
    EXPECT_EQ(flash->x, 280.0);
    EXPECT_EQ(flash->y, 20.0);
    EXPECT_EQ(flash->boxW, 440);
    EXPECT_EQ(flash->boxH, 340);
    flash->hitCode = 3;
    Step(*flash);
    EXPECT_EQ(flash->previousHit, 3);
    EXPECT_EQ(flash->dead, 0);
    Step(*flash);
    EXPECT_EQ(flash->dead, 1);
    ClearCalls();
    flash->Draw();
    EXPECT_EQ(recording::Named("DrawBoxShape").at(0).args,
              (std::vector<int64_t>{0, 0, 400, 300, 0xFFFFFF, 1}));

    OnlyCollisionTask* box = CreateTask<OnlyCollisionTask>(kShapeCircle, 12.5, 7.5, kGroupEnemy);
    EXPECT_EQ(box->group, kGroupEnemy);
    EXPECT_EQ(box->x, 12.5);
    EXPECT_EQ(box->boxW, 0);
    box->SetShape(kShapeBox, 30, 40, 1.0, 2.0);
    EXPECT_EQ(box->shape, kShapeBox);
    EXPECT_EQ(box->w, 30);
    EXPECT_EQ(box->boxH, 40);
    Steps(*box, 5);
    EXPECT_EQ(box->dead, 0);
    ClearCalls();
    box->Draw();
    EXPECT_EQ(recording::Lib().calls.size(), 0u);
}

TEST_F(MapObjectTest, SceneryFollowsTheQuake) {
    ObjectTask* thing = CreateTask<ObjectTask>(10.0, 20.0, 40, 60, 20, 30, 12, 5);
    quakeX = 3;
    quakeY = -2;
    Step(*thing);
    EXPECT_EQ(thing->x, 13.0);
    EXPECT_EQ(thing->y, 18.0);
    EXPECT_EQ(drawLayerCounts[12], 1);
    quakeX = quakeY = 0;
    Step(*thing);
    EXPECT_EQ(thing->x, 10.0);
}

}  // namespace
