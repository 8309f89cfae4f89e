// Conveyor belts, block switches and check points: spawned from their map records, run frame by frame
// over a small in-memory map of three tile layers (collision, items, rails).
#include <deque>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "engine/graphics/graphics.h"
#include "game/devices/belt_platform_task.h"
#include "game/devices/block_switch_task.h"
#include "game/devices/check_point_task.h"
#include "game/frame/collision.h"
#include "game/frame/main_loop.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/player/player_task.h"
#include "tests/game/map_fixture.h"
#include "tests/game/scene_fixture.h"
#include "tests/game/task_queries.h"

namespace {

constexpr int kCheckPointType = 6, kBeltType = 35, kSwitchType = 36;

class StageDeviceTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        UseTestSoundEffects();
        map_.Clear();
        map_.width = 40;
        map_.height = 20;
        map_.layers = new LayerData[3];
        map_.layerCount = 3;
        for (int i = 0; i < 3; ++i) {
            map_.layers[i].width = 40;
            map_.layers[i].height = 20;
            map_.layers[i].parallax = 6;
        }
    }
    void TearDown() override {
        DeleteAllTasks();
        map_.Unload();
        SceneTest::TearDown();
    }

    void SetCell(int layer, int column, int row, int id) {
        map_.layers[layer].tiles[row * map_.layers[layer].width + column] = static_cast<uint8_t>(id);
    }
    int Cell(int layer, int column, int row) const {
        return map_.layers[layer].tiles[row * map_.layers[layer].width + column];
    }
    Character* Spawn(int type, int param, int x, int y, int w, int h) {
        records_.push_back({type, param, x, y, w, h, 0});
        return SpawnMapObject(&map_, &records_.back());
    }
    static bool InAnyLayer(const IDraw* task) { return LayerOf(task) != -1; }
    // A frame as the main loop runs it: sweep, draw layers emptied, collision pass, every group updated.
    static void Frame() {
        SweepDeadTasks();
        ClearDrawLayers();
        RunCollisionPass();
        UpdateAllTasks();
    }

    MapData map_{};
    std::deque<MapObjectRecord> records_;
};

// ---- Spawning ----

TEST_F(StageDeviceTest, RecordsOfTheDeviceTypesSpawnTheirTasksWithTheirShapes) {
    struct Case {
        int type, param;
        const std::type_info& cls;
        int group;
        double x, y;
        int boxX, boxY, boxW, boxH, drawLayer;
    };
    const Case cases[] = {
        {kCheckPointType, 2, typeid(CheckPointTask), kGroupTouchObject, 100, 160, 10, 10, 20, 30, 10},
        // The belt's area grows by 5 on every side.
        {kBeltType, 1, typeid(BeltPlatformTask), kGroupTouchObject, 95, 155, 0, 0, 50, 50, 5},
        {kSwitchType, 0, typeid(BlockSwitchTask), kGroupSwitchBlock, 100, 160, 4, 4, 12, 12, 14},
    };
    for (const Case& c : cases) {
        DeleteAllTasks();
        Character* task = Spawn(c.type, c.param, 100, 160, 40, 40);
        ASSERT_NE(task, nullptr) << c.type;
        EXPECT_EQ(typeid(*task), c.cls) << c.type;
        EXPECT_EQ(taskCounts[c.group], 1) << c.type;
        EXPECT_EQ(taskGroups[c.group][0], task) << c.type;
        EXPECT_EQ(task->map, &map_) << c.type;
        EXPECT_EQ(task->shape, kShapeBox) << c.type;
        EXPECT_EQ(task->x, c.x) << c.type;
        EXPECT_EQ(task->y, c.y) << c.type;
        EXPECT_EQ((std::vector<int>{task->boxX, task->boxY, task->boxW, task->boxH}),
                  (std::vector<int>{c.boxX, c.boxY, c.boxW, c.boxH}))
            << c.type;
        EXPECT_EQ(task->drawLayer, c.drawLayer) << c.type;
    }
    auto* belt = dynamic_cast<BeltPlatformTask*>(Spawn(kBeltType, 0, 0, 0, 20, 20));
    ASSERT_NE(belt, nullptr);
    EXPECT_EQ(belt->direction, 0);
    auto* beltBack = dynamic_cast<BeltPlatformTask*>(Spawn(kBeltType, -3, 0, 0, 20, 20));
    ASSERT_NE(beltBack, nullptr);
    EXPECT_EQ(beltBack->direction, 1);
    auto* point = dynamic_cast<CheckPointTask*>(Spawn(kCheckPointType, 5, 0, 47, 40, 40));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(point->checkPointId, 5);
    EXPECT_EQ(point->signY, 27);
    EXPECT_EQ(point->graphic, kTestCommonGraphic);
    auto* sw = dynamic_cast<BlockSwitchTask*>(Spawn(kSwitchType, 1, 0, 0, 20, 20));
    ASSERT_NE(sw, nullptr);
    EXPECT_EQ(sw->counter, 30);
    EXPECT_EQ(sw->toggleCount, 0);
    EXPECT_EQ(sw->param, 1.0);
}

// ---- Belts ----

TEST_F(StageDeviceTest, BeltPushesAlongTheSurfaceOnlyFromItsSide) {
    // The belt's area after the margin: x 95, y 195 (record at 100, 200, 80 x 20).
    struct Case {
        int surface, airborne, hit, direction;
        double px, py;
        double pushX, pushY;
        const char* what;
    };
    const Case cases[] = {
        {0, 0, 1, 1, 100, 155, 1, 0, "on top, clockwise: right"},
        {0, 0, 1, 0, 100, 155, -1, 0, "on top, the other way: left"},
        {0, 0, 1, 1, 100, 195, 0, 0, "floor but level with the belt's top"},
        {0, 0, 1, 1, 100, 230, 0, 0, "floor below the belt"},
        {0, 1, 1, 1, 100, 155, 0, 0, "airborne"},
        {0, 0, -1, 1, 100, 155, 0, 0, "not touched"},
        {0, 0, 3, 1, 100, 155, 0, 0, "struck, not touched"},
        {3, 0, 1, 1, 100, 220, -1, 0, "hanging below, clockwise: left"},
        {3, 0, 1, 0, 100, 220, 1, 0, "hanging below, the other way: right"},
        {3, 0, 1, 1, 100, 150, 0, 0, "ceiling above the belt"},
        {1, 0, 1, 1, 60, 190, 0, -1, "on its left side: up"},
        {1, 0, 1, 0, 60, 190, 0, 1, "on its left side, the other way: down"},
        {1, 0, 1, 1, 120, 190, 0, 0, "right wall but right of the belt"},
        {2, 0, 1, 1, 170, 190, 0, 1, "on its right side: down"},
        {2, 0, 1, 0, 170, 190, 0, -1, "on its right side, the other way: up"},
        {2, 0, 1, 1, 90, 190, 0, 0, "left wall but left of the belt"},
        {4, 0, 1, 1, 100, 155, 0, 0, "no such surface"},
    };
    for (const Case& c : cases) {
        DeleteAllTasks();
        Character* belt = Spawn(kBeltType, c.direction, 100, 200, 80, 20);
        ASSERT_NE(belt, nullptr);
        playerSurface = c.surface;
        playerAirborne = static_cast<uint8_t>(c.airborne);
        playerX = c.px;
        playerY = c.py;
        playerPushX = playerPushY = 0.25;  // what other carriers added this frame stays
        belt->hitCode = c.hit;
        ClearDrawLayers();
        belt->Update();
        EXPECT_EQ(playerPushX, 0.25 + c.pushX) << c.what;
        EXPECT_EQ(playerPushY, 0.25 + c.pushY) << c.what;
        EXPECT_EQ(belt->hitCode, -1) << c.what;
        EXPECT_FALSE(InAnyLayer(belt)) << c.what;
    }
}

TEST_F(StageDeviceTest, BeltDrawsOnlyItsDebugOutline) {
    cameraX = 20;
    cameraY = 10;
    Character* belt = Spawn(kBeltType, 1, 100, 200, 80, 20);
    ClearCalls();
    belt->Draw();
    const auto boxes = recording::Named("DrawBoxShape");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].args, (std::vector<int64_t>{75, 185, 165, 215, PackColor(255, 0, 0), 0}));
}

class BeltPlayerTest : public StageDeviceTest {
  protected:
    void SetUp() override {
        StageDeviceTest::SetUp();
        playerGraphic = kTestPlayerGraphic;
        for (int c = 0; c < 40; ++c) SetCell(0, c, 10, 1);  // the floor: top at y 200
        map_.playerStartX = 200;
        map_.playerStartY = 160;
    }
    // The player's x after the frames, standing on the floor without input.
    double XAfter(int frames) {
        for (int i = 0; i < frames; ++i) Frame();
        return playerX;
    }
};

TEST_F(BeltPlayerTest, BeltCarriesTheStandingPlayerAPixelAFrameEitherWay) {
    ASSERT_NE(CreatePlayerTask(&map_), nullptr);
    const double still = XAfter(5);
    EXPECT_EQ(XAfter(30), still);  // no belt: the player stands
    DeleteAllTasks();

    for (int direction : {1, 0}) {
        DeleteAllTasks();
        ASSERT_NE(CreatePlayerTask(&map_), nullptr);
        Spawn(kBeltType, direction, 0, 200, 800, 20);  // the floor's surface row
        const double start = XAfter(5);
        const double end = XAfter(30);
        EXPECT_EQ(end - start, direction == 1 ? 30.0 : -30.0) << direction;
    }
}

TEST_F(BeltPlayerTest, BeltLetsAJumpingPlayerGo) {
    PlayerTask* player = static_cast<PlayerTask*>(CreatePlayerTask(&map_));
    ASSERT_NE(player, nullptr);
    Spawn(kBeltType, 1, 0, 200, 800, 20);
    XAfter(5);
    inputNow = 0;
    inputPrev = 0;
    // Jump: while the player is in the air the belt carries nothing.
    inputNow = static_cast<uint32_t>(keyConfig.padJump);
    Frame();
    inputPrev = inputNow;
    int airborneFrames = 0;
    for (int i = 0; i < 60 && player->airborne; ++i) {
        const double before = playerX;
        Frame();
        if (player->airborne) {
            EXPECT_EQ(playerX, before) << i;
            ++airborneFrames;
        }
    }
    EXPECT_GT(airborneFrames, 5);
    EXPECT_EQ(player->airborne, 0);
    // Back on the belt (its push reaches the player a frame after it is read): carried again.
    const double landed = XAfter(2);
    EXPECT_EQ(XAfter(10), landed + 10.0);
}

// ---- Block switches ----

class BlockSwitchTest : public StageDeviceTest {
  protected:
    // The switch at cell (5, 5), one rail piece to its right and the end cell (7, 5).
    void BuildShortRail() {
        SetCell(2, 5, 5, 108);
        SetCell(2, 6, 5, 143);
        SetCell(2, 7, 5, 125);
    }
    BlockSwitchTask* MakeSwitch(int param = 0) {
        return static_cast<BlockSwitchTask*>(Spawn(kSwitchType, param, 100, 100, 20, 20));
    }
    static void Hit(BlockSwitchTask& sw, int code) {
        sw.hitCode = code;
        sw.Update();
    }
};

TEST_F(BlockSwitchTest, StrikeFollowsTheRailAndTogglesTheCrossOfEndCells) {
    // Rail: (6,5) 143, (7,5) 143, (8,5) 127 up, (8,4) 110 right, (9,4) end. Its runs: right (10,4),
    // (11,4) [(12,4) blank]; up (9,3); down (9,5); left stops at the corner (8,4).
    SetCell(2, 5, 5, 108);
    SetCell(2, 6, 5, 143);
    SetCell(2, 7, 5, 143);
    SetCell(2, 8, 5, 127);
    SetCell(2, 8, 4, 110);
    for (auto [c, r] :
         std::vector<std::pair<int, int>>{{9, 4}, {10, 4}, {11, 4}, {13, 4}, {9, 3}, {9, 5}, {10, 5}})
        SetCell(2, c, r, 125);
    SetCell(0, 10, 4, 124);  // a block already standing there is taken away
    SetCell(0, 13, 4, 0);
    BlockSwitchTask* sw = MakeSwitch();
    ASSERT_NE(sw, nullptr);
    Hit(*sw, kHitByPlayerAttack);
    EXPECT_EQ(Cell(2, 5, 5), 109);
    EXPECT_EQ(Cell(0, 9, 4), 124);
    EXPECT_EQ(Cell(0, 10, 4), 0);
    EXPECT_EQ(Cell(0, 11, 4), 124);
    EXPECT_EQ(Cell(0, 9, 3), 124);
    EXPECT_EQ(Cell(0, 9, 5), 124);
    EXPECT_EQ(Cell(0, 13, 4), 0);  // beyond the gap
    EXPECT_EQ(Cell(0, 10, 5), 0);  // diagonal: not a flood fill
    EXPECT_EQ(Cell(0, 8, 4), 0);   // the rail's own cells stay
    EXPECT_EQ(EffectsPlayed(), std::vector<int>{kSeSwitch});
    EXPECT_EQ(sw->toggleCount, 1);
    EXPECT_EQ(sw->counter, 1);
    EXPECT_EQ(sw->code2, kHitByPlayerAttack);
    EXPECT_EQ(sw->hitCode, -1);

    // The next toggle puts everything back.
    sw->counter = 13;
    Hit(*sw, -1);
    Hit(*sw, kHitTouchedByPlayer);
    EXPECT_EQ(Cell(2, 5, 5), 108);
    EXPECT_EQ(Cell(0, 9, 4), 0);
    EXPECT_EQ(Cell(0, 10, 4), 124);
    EXPECT_EQ(Cell(0, 11, 4), 0);
    EXPECT_EQ(Cell(0, 9, 3), 0);
    EXPECT_EQ(Cell(0, 9, 5), 0);
    EXPECT_EQ(sw->toggleCount, 2);
    EXPECT_EQ(CountPlayed(kSeSwitch), 2);
}

TEST_F(BlockSwitchTest, RailIsFoundBesideTheSwitchInEveryDirectionAndTurnsAtItsCorners) {
    struct Placed {
        int column, row, tile;
    };
    struct Case {
        const char* what;
        std::vector<Placed> rails;
        int endColumn, endRow;
    };
    // The switch sits at cell (10, 10).
    const Case cases[] = {
        {"up, then right", {{10, 9, 141}, {10, 8, 110}, {11, 8, 143}, {12, 8, 125}}, 12, 8},
        {"up, then left", {{10, 9, 111}, {9, 9, 143}, {8, 9, 142}, {7, 9, 125}}, 7, 9},
        {"down, then right", {{10, 11, 141}, {10, 12, 126}, {11, 12, 125}}, 11, 12},
        {"down, then left", {{10, 11, 127}, {9, 11, 125}}, 9, 11},
        {"left, then down over a crossing", {{9, 10, 143}, {8, 10, 110}, {8, 11, 142}, {8, 12, 125}}, 8, 12},
        {"left, then up", {{9, 10, 126}, {9, 9, 141}, {9, 8, 125}}, 9, 8},
        {"right, then up", {{11, 10, 127}, {11, 9, 141}, {11, 8, 125}}, 11, 8},
        {"right, then down", {{11, 10, 111}, {11, 11, 125}}, 11, 11},
        {"up wins over right", {{10, 9, 141}, {10, 8, 125}, {11, 10, 143}, {12, 10, 125}}, 10, 8},
        {"a crossing does not start a rail",
         {{10, 9, 142}, {10, 8, 125}, {11, 10, 143}, {12, 10, 125}},
         12,
         10},
    };
    for (const Case& c : cases) {
        DeleteAllTasks();
        for (int layer = 0; layer < 3; ++layer) std::fill_n(map_.layers[layer].tiles, 800, 0);
        SetCell(2, 10, 10, 108);
        for (const Placed& p : c.rails) SetCell(2, p.column, p.row, p.tile);
        auto* sw = static_cast<BlockSwitchTask*>(Spawn(kSwitchType, 0, 200, 200, 20, 20));
        Hit(*sw, kHitTouchedByPlayer);
        int solid = 0;
        for (int i = 0; i < 800; ++i) solid += map_.layers[0].tiles[i] == 124;
        EXPECT_EQ(solid, 1) << c.what;
        EXPECT_EQ(Cell(0, c.endColumn, c.endRow), 124) << c.what;
    }
}

TEST_F(BlockSwitchTest, SwitchFollowsTheMapCamera) {
    // With the camera moved, the switch still reads and writes the cells at its world position.
    map_.SetCamera(60, 40);
    SetCell(2, 5, 5, 108);
    SetCell(2, 6, 5, 143);
    SetCell(2, 7, 5, 125);
    BlockSwitchTask* sw = MakeSwitch();
    Hit(*sw, kHitByPlayerAttack);
    EXPECT_EQ(Cell(2, 5, 5), 109);
    EXPECT_EQ(Cell(0, 7, 5), 124);
}

TEST_F(BlockSwitchTest, HeldContactAndQuickHitsDoNotRetrigger) {
    BuildShortRail();
    BlockSwitchTask* sw = MakeSwitch();
    // Touched for 40 frames on end: one toggle.
    for (int i = 0; i < 40; ++i) Hit(*sw, kHitTouchedByPlayer);
    EXPECT_EQ(sw->toggleCount, 1);
    // Let go for a frame: the next touch toggles.
    Hit(*sw, -1);
    Hit(*sw, kHitTouchedByPlayer);
    EXPECT_EQ(sw->toggleCount, 2);
    // A new hit is refused until the counter has passed 12 frames since the toggle.
    for (int i = 0; i < 11; ++i) Hit(*sw, -1);
    Hit(*sw, kHitByPlayerAttack);  // read at counter 12
    EXPECT_EQ(sw->toggleCount, 2);
    for (int i = 0; i < 14; ++i) Hit(*sw, -1);
    Hit(*sw, kHitByPlayerAttack);
    EXPECT_EQ(sw->toggleCount, 3);
    for (int i = 0; i < 12; ++i) Hit(*sw, -1);
    Hit(*sw, kHitByPlayerAttack);  // read at counter 13
    EXPECT_EQ(sw->toggleCount, 4);
    // Other codes never trigger.
    for (int code : {2, 4, 0}) {
        for (int i = 0; i < 14; ++i) Hit(*sw, -1);
        Hit(*sw, code);
        EXPECT_EQ(sw->toggleCount, 4) << code;
    }
    EXPECT_EQ(Cell(0, 7, 5), 0);
    EXPECT_EQ(CountPlayed(kSeSwitch), 4);
}

TEST_F(BlockSwitchTest, FlashesForEightFramesAfterEachToggleAndNotAtTheStart) {
    BuildShortRail();
    BlockSwitchTask* sw = MakeSwitch();
    std::string shown;
    for (int frame = 0; frame < 14; ++frame) {
        ClearDrawLayers();
        Hit(*sw, frame == 3 ? kHitTouchedByPlayer : -1);
        shown += InLayer(sw, 14) ? '#' : '.';
    }
    EXPECT_EQ(shown, "...########...");
    cameraX = 30;
    cameraY = 50;
    ClearCalls();
    sw->Draw();
    std::vector<std::string> names;
    for (const auto& call : recording::Lib().calls) names.push_back(call.name);
    EXPECT_EQ(names, (std::vector<std::string>{"SetBlend", "DrawBoxShape", "SetBlend"}));
    const auto& calls = recording::Lib().calls;
    EXPECT_EQ(calls[0].args, (std::vector<int64_t>{kBlendAdd, 128}));
    EXPECT_EQ(calls[1].args, (std::vector<int64_t>{70, 50, 90, 70, PackColor(255, 255, 255), 1}));
    EXPECT_EQ(calls[2].args, (std::vector<int64_t>{kBlendNone, 0}));
}

TEST_F(BlockSwitchTest, OneShotSwitchTogglesBackAfterAMissAndThenOnEveryHit) {
    BuildShortRail();
    BlockSwitchTask* sw = MakeSwitch(1);
    Hit(*sw, kHitByPlayerAttack);
    EXPECT_EQ(Cell(0, 7, 5), 124);
    for (int i = 0; i < 20; ++i) Hit(*sw, -1);
    Hit(*sw, kHitByPlayerAttack);
    EXPECT_EQ(sw->toggleCount, 1);  // a one-shot switch ignores later hits
    EXPECT_EQ(Cell(0, 7, 5), 124);

    // The player missed: the switch puts its blocks back by itself, silently, once.
    missFlag = 2;
    for (int i = 0; i < 20; ++i) Hit(*sw, -1);
    EXPECT_EQ(sw->toggleCount, 2);
    EXPECT_EQ(Cell(0, 7, 5), 0);
    EXPECT_EQ(Cell(2, 5, 5), 108);
    EXPECT_EQ(sw->param, 0.0);
    EXPECT_EQ(CountPlayed(kSeSwitch), 1);

    // From then on it toggles on every hit.
    missFlag = 0;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 13; ++i) Hit(*sw, -1);
        Hit(*sw, kHitTouchedByPlayer);
    }
    EXPECT_EQ(sw->toggleCount, 5);
    EXPECT_EQ(Cell(0, 7, 5), 124);
    EXPECT_EQ(CountPlayed(kSeSwitch), 4);
}

TEST_F(BlockSwitchTest, MissRestoreWaitsForTheRetriggerTimeAndLeavesAnUntouchedSwitchAlone) {
    BuildShortRail();
    BlockSwitchTask* sw = MakeSwitch();
    Hit(*sw, kHitTouchedByPlayer);
    missFlag = 2;
    int frames = 0;
    while (sw->toggleCount == 1 && frames < 30) {
        Hit(*sw, -1);
        ++frames;
    }
    EXPECT_EQ(frames, 13);  // the counter must pass 12 first
    EXPECT_EQ(Cell(0, 7, 5), 0);
    // An even count (the layout as the map has it) is left as it is.
    for (int i = 0; i < 30; ++i) Hit(*sw, -1);
    EXPECT_EQ(sw->toggleCount, 2);
    BlockSwitchTask* untouched = static_cast<BlockSwitchTask*>(Spawn(kSwitchType, 0, 300, 300, 20, 20));
    for (int i = 0; i < 30; ++i) Hit(*untouched, -1);
    EXPECT_EQ(untouched->toggleCount, 0);
}

TEST_F(BlockSwitchTest, BrokenOrMissingRailsEndTheSearchAndToggleNothing) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::pair<int, int>, int>> rails;
    };
    const Case cases[] = {
        {"no rail beside the switch", {}},
        {"the rail is cut", {{{11, 10}, 143}, {{12, 10}, 143}, {{14, 10}, 125}}},
        {"a vertical rail met moving right", {{{11, 10}, 143}, {{12, 10}, 141}, {{13, 10}, 125}}},
        {"a corner met from its blind side", {{{11, 10}, 143}, {{12, 10}, 110}, {{12, 11}, 125}}},
        {"the rail runs off the layer",
         {{{11, 10}, 143},
          {{12, 10}, 126},
          {{12, 9}, 141},
          {{12, 8}, 141},
          {{12, 7}, 141},
          {{12, 6}, 141},
          {{12, 5}, 141},
          {{12, 4}, 141},
          {{12, 3}, 141},
          {{12, 2}, 141},
          {{12, 1}, 141},
          {{12, 0}, 141}}},
        // A switch placed on a closed ring of rail (its own cell a rail piece) would go round forever.
        {"a ring through the switch's cell",
         {{{10, 10}, 143},
          {{9, 10}, 110},
          {{9, 11}, 141},
          {{9, 12}, 126},
          {{10, 12}, 143},
          {{11, 12}, 127},
          {{11, 11}, 141},
          {{11, 10}, 111}}},
    };
    for (const Case& c : cases) {
        DeleteAllTasks();
        recording::Lib().calls.clear();
        for (int layer = 0; layer < 3; ++layer) std::fill_n(map_.layers[layer].tiles, 800, 0);
        SetCell(2, 10, 10, 108);
        for (const auto& [cell, tile] : c.rails) SetCell(2, cell.first, cell.second, tile);
        const std::vector<uint8_t> rails(map_.layers[2].tiles, map_.layers[2].tiles + 800);
        auto* sw = static_cast<BlockSwitchTask*>(Spawn(kSwitchType, 0, 200, 200, 20, 20));
        Hit(*sw, kHitTouchedByPlayer);
        int solid = 0;
        for (int i = 0; i < 800; ++i) solid += map_.layers[0].tiles[i] != 0;
        EXPECT_EQ(solid, 0) << c.what;
        EXPECT_EQ(sw->toggleCount, 1) << c.what;
        EXPECT_EQ(CountPlayed(kSeSwitch), 1) << c.what;
    }
}

TEST_F(BlockSwitchTest, MapWithoutARailLayerTogglesOnlyTheCount) {
    map_.Unload();
    map_.Clear();
    map_.layers = new LayerData[1];
    map_.layerCount = 1;
    map_.layers[0].width = 40;
    map_.layers[0].height = 20;
    BlockSwitchTask* sw = MakeSwitch();
    Hit(*sw, kHitTouchedByPlayer);
    EXPECT_EQ(sw->toggleCount, 1);
    for (int i = 0; i < 800; ++i) ASSERT_EQ(map_.layers[0].tiles[i], 0);
    BlockSwitchTask* lost = CreateTask<BlockSwitchTask>(MapObjectRecord{36, 0, 0, 0, 20, 20, 0}, nullptr);
    Hit(*lost, kHitTouchedByPlayer);
    EXPECT_EQ(lost->toggleCount, 1);
}

TEST_F(BlockSwitchTest, PlayerTouchAndAttackReachTheSwitchThroughTheCollisionPass) {
    BuildShortRail();
    BlockSwitchTask* sw = MakeSwitch();
    Character* player = new Character(-1, 90.0, 90.0);
    player->boxW = player->boxH = 20;
    ASSERT_TRUE(player->RegisterInGroup(kGroupPlayer));
    Frame();
    EXPECT_EQ(sw->toggleCount, 1);
    EXPECT_EQ(Cell(0, 7, 5), 124);
}

// ---- Check points ----

class CheckPointTest : public StageDeviceTest {
  protected:
    CheckPointTask* MakePoint(int id, int x, int y) {
        return static_cast<CheckPointTask*>(Spawn(kCheckPointType, id, x, y, 40, 40));
    }
    std::vector<int> Stone(int column, int row) const {
        return {Cell(1, column, row), Cell(1, column + 1, row), Cell(1, column, row + 1),
                Cell(1, column + 1, row + 1)};
    }
    static const std::vector<int>& Dark() {
        static const std::vector<int> tiles = {76, 77, 92, 93};
        return tiles;
    }
    static const std::vector<int>& Lit() {
        static const std::vector<int> tiles = {78, 79, 94, 95};
        return tiles;
    }
    static std::vector<std::vector<int64_t>> SignDraws() {
        std::vector<std::vector<int64_t>> draws;
        for (const auto& call : recording::Named("DrawImagePart")) draws.push_back(call.args);
        return draws;
    }
};

TEST_F(CheckPointTest, TouchMakesItTheRestartPointLightsItAndHidesItsSign) {
    map_.playerStartX = 40;
    map_.playerStartY = 60;
    CheckPointTask* point = MakePoint(2, 100, 160);
    ASSERT_NE(point, nullptr);
    Step(*point);
    EXPECT_EQ(Stone(5, 8), Dark());
    EXPECT_TRUE(InLayer(point, 10));
    cameraX = 20;
    cameraY = 30;
    ClearCalls();
    point->Draw();
    EXPECT_EQ(SignDraws(), (std::vector<std::vector<int64_t>>{
                               {90, point->signY - 30, 180, 0, 20, 20, kTestCommonGraphic, 1, 0}}));

    point->hitCode = kHitTouchedByPlayer;
    Step(*point);
    EXPECT_EQ(currentCheckPoint, 2);
    EXPECT_EQ(map_.playerStartX, 100);
    EXPECT_EQ(map_.playerStartY, 160);
    EXPECT_EQ(EffectsPlayed(), std::vector<int>{kSeCheck});
    EXPECT_EQ(point->hitCode, -1);
    EXPECT_EQ(Stone(5, 8), Lit());
    ClearCalls();
    point->Draw();
    EXPECT_TRUE(SignDraws().empty());

    // Touching it again changes nothing and plays nothing.
    map_.playerStartX = 1;
    point->hitCode = kHitTouchedByPlayer;
    Step(*point);
    EXPECT_EQ(map_.playerStartX, 1);
    EXPECT_TRUE(EffectsPlayed().empty());
}

TEST_F(CheckPointTest, TouchingAnotherPointDimsTheFormerOne) {
    CheckPointTask* first = MakePoint(1, 100, 160);
    CheckPointTask* second = MakePoint(2, 300, 160);
    first->hitCode = kHitTouchedByPlayer;
    Frame();
    EXPECT_EQ(Stone(5, 8), Lit());
    EXPECT_EQ(Stone(15, 8), Dark());
    second->hitCode = kHitTouchedByPlayer;
    Frame();
    Frame();  // the first one, updated before the second, dims on the next frame
    EXPECT_EQ(currentCheckPoint, 2);
    EXPECT_EQ(map_.playerStartX, 300);
    EXPECT_EQ(Stone(5, 8), Dark());
    EXPECT_EQ(Stone(15, 8), Lit());
    // Back to the first: it becomes current again.
    first->hitCode = kHitTouchedByPlayer;
    Frame();
    EXPECT_EQ(currentCheckPoint, 1);
    EXPECT_EQ(Stone(5, 8), Lit());
    EXPECT_EQ(map_.playerStartX, 100);
    EXPECT_EQ(CountPlayed(kSeCheck), 3);
}

TEST_F(CheckPointTest, StoneTilesFollowTheMapCameraAndAStrikeIsNoTouch) {
    map_.SetCamera(70, 30);
    CheckPointTask* point = MakePoint(4, 100, 160);
    point->hitCode = kHitByPlayerAttack;
    Step(*point);
    EXPECT_EQ(currentCheckPoint, 0);
    EXPECT_EQ(Stone(5, 8), Dark());
    point->hitCode = kHitTouchedByPlayer;
    Step(*point);
    EXPECT_EQ(Stone(5, 8), Lit());
    for (int c = 0; c < 40; ++c) {
        for (int r = 0; r < 20; ++r) {
            if ((c == 5 || c == 6) && (r == 8 || r == 9)) continue;
            ASSERT_EQ(Cell(1, c, r), 0) << c << " " << r;
        }
    }
}

TEST_F(CheckPointTest, SignBobsOnePixelEveryFourFrames) {
    CheckPointTask* point = MakePoint(1, 0, 100);
    std::vector<int> signs;
    for (int i = 0; i < 16; ++i) {
        Step(*point);
        signs.push_back(point->signY);
    }
    EXPECT_EQ(signs, (std::vector<int>{81, 81, 81, 81, 82, 82, 82, 82, 81, 81, 81, 81, 80, 80, 80, 80}));
}

TEST_F(CheckPointTest, ThePlayerTouchingItThroughTheCollisionPassMakesItCurrent) {
    CheckPointTask* point = MakePoint(3, 100, 160);
    Character* player = new Character(-1, 60.0, 160.0);
    player->boxW = player->boxH = 40;
    ASSERT_TRUE(player->RegisterInGroup(kGroupPlayer));
    Frame();
    EXPECT_EQ(currentCheckPoint, 0);  // the box starts at x 110: not reached
    player->x = 75.0;
    Frame();
    EXPECT_EQ(currentCheckPoint, 3);
    EXPECT_EQ(point->hitCode, -1);
}

// ---- The restart after a miss, through the main loop ----

class CheckPointRespawnTest : public MapTest {
  protected:
    void SetUp() override {
        MapTest::SetUp();
        // Area 1: 40 x 15 tiles, ground on rows 12 to 14 (top at y 240), the player starting at (60, 200)
        // and check point 3 at (140, 200).
        MapSpec spec;
        spec.width = 40;
        spec.height = 15;
        spec.cameraX = spec.cameraY = 0;
        spec.offsetX = 60;
        spec.offsetY = 200;
        spec.objects = {{140, 200, 40, 40, kCheckPointType, 3}};
        LayerSpec ground;
        ground.name = "area1";
        ground.width = 40;
        ground.height = 15;
        ground.tiles.assign(40 * 15, 0);
        for (int i = 40 * 12; i < 40 * 15; ++i) ground.tiles[i] = 1;
        LayerSpec items = ground;
        items.name = "items1";
        items.tiles.assign(40 * 15, 0);
        spec.layers = {ground, items};
        WriteMap("data/map/1.dat", spec);
        // A replay of area 1: right for 40 frames, then nothing.
        std::vector<uint8_t> replay = {'K', 'V', 'R'};
        AppendI32(replay, kFrames);
        AppendI32(replay, 1);
        replay.push_back(1);
        replay.push_back(1);
        for (int32_t key : {16, 32, 128, 512, 64, 208, 203, 205, 200, 44, 45, 57, 46, 30})
            AppendI32(replay, key);
        for (int i = 0; i < kFrames; ++i) AppendI32(replay, i < 40 ? static_cast<int32_t>(kInputRight) : 0);
        WriteBytes("run.rep", replay);
    }

    static CheckPointTask* FindPoint() {
        for (int i = 0; i < taskCounts[kGroupTouchObject]; ++i) {
            if (auto* point = dynamic_cast<CheckPointTask*>(taskGroups[kGroupTouchObject][i])) return point;
        }
        return nullptr;
    }

    static constexpr int kFrames = 70;
};

TEST_F(CheckPointRespawnTest, PlayerMissingAfterTouchingACheckPointRestartsThere) {
    struct Seen {
        int checkPoint = -1, startX = -1, startY = -1;
        double x = -1.0, y = -1.0;
        int stock = -1;
        std::vector<int> stone;
        bool pointFound = false;
    } beforeMiss, afterRespawn;
    auto look = [](Seen& seen) {
        seen.checkPoint = currentCheckPoint;
        seen.x = playerX;
        seen.y = playerY;
        seen.stock = playerStock;
        CheckPointTask* point = FindPoint();
        seen.pointFound = point != nullptr;
        if (point == nullptr) return;
        seen.startX = point->map->playerStartX;
        seen.startY = point->map->playerStartY;
        const LayerData* items = point->map->Layer(1);
        seen.stone = {items->tiles[10 * 40 + 7], items->tiles[10 * 40 + 8], items->tiles[11 * 40 + 7],
                      items->tiles[11 * 40 + 8]};
    };
    recording::Lib().onPump = [&](int pump) {
        if (pump == 0) areaIntro = 0;  // the start card is taken as over
        if (pump == 50) {
            look(beforeMiss);
            missFlag = 1;  // the miss sequence ends: the next frame restarts the area
        }
        if (pump == 53) look(afterRespawn);
    };
    std::string replay = "run.rep";
    ASSERT_EQ(WinMain(nullptr, nullptr, replay.data(), 1), 0);

    ASSERT_TRUE(beforeMiss.pointFound);
    EXPECT_EQ(beforeMiss.checkPoint, 3);
    EXPECT_EQ(beforeMiss.startX, 140);
    EXPECT_EQ(beforeMiss.startY, 200);
    EXPECT_GT(beforeMiss.x, 150.0);  // the player ran on past it
    EXPECT_EQ(beforeMiss.stone, (std::vector<int>{78, 79, 94, 95}));

    // The restart keeps the check point: the player stands at it, and the stone made anew is lit.
    ASSERT_TRUE(afterRespawn.pointFound);
    EXPECT_EQ(afterRespawn.stock, beforeMiss.stock - 1);
    EXPECT_EQ(afterRespawn.checkPoint, 3);
    EXPECT_EQ(afterRespawn.x, 140.0);
    EXPECT_EQ(afterRespawn.y, 200.0);
    EXPECT_EQ(afterRespawn.stone, (std::vector<int>{78, 79, 94, 95}));
}

}  // namespace
