// The area script: what each area's first update writes and makes, the camera bands of areas 2 and 3,
// the lock flags and state machine of area 3, the boss area's lock and tune, and the camera handed to
// the drawing every update.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "game/devices/move_yoko_platform_task.h"
#include "game/devices/shutter_task.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/scenes/event1_task.h"
#include "tests/game/scene_fixture.h"

namespace {

using Cell = std::pair<int, int>;  // column, row
struct Rect {
    int x, y, w, h;
    bool operator==(const Rect&) const = default;
};

constexpr int kScriptTile = 60;

class AreaEventTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        UseTestSoundEffects();
        map_.Clear();
    }
    void TearDown() override {
        DeleteAllTasks();
        map_.Unload();
        SceneTest::TearDown();
    }

    // A map of the kind whose layers all have the given size and scroll with the camera.
    void MakeMap(int kind, int width, int height, int layers = 2) {
        map_.kind = kind;
        map_.width = width;
        map_.height = height;
        map_.layerCount = static_cast<uint8_t>(layers);
        map_.layers = layers > 0 ? new LayerData[layers] : nullptr;
        for (int i = 0; i < layers; ++i) {
            map_.layers[i].width = width;
            map_.layers[i].height = height;
            map_.layers[i].parallax = 6;
        }
    }
    void SetCell(int layer, int column, int row, int id) {
        map_.layers[layer].tiles[row * map_.layers[layer].width + column] = static_cast<uint8_t>(id);
    }
    // The cells of a layer holding the id, row by row.
    std::vector<Cell> CellsHolding(int layer, int id) const {
        std::vector<Cell> cells;
        const LayerData& data = map_.layers[layer];
        for (int i = 0; i < kLayerTileCapacity; ++i) {
            if (data.tiles[i] != id) continue;
            if (data.width > 0) cells.emplace_back(i % data.width, i / data.width);
        }
        std::sort(cells.begin(), cells.end());
        return cells;
    }
    static std::vector<Cell> CellsOf(const std::vector<Cell>& worldPoints) {
        std::vector<Cell> cells;
        for (const auto& [x, y] : worldPoints) cells.emplace_back(x / 20, y / 20);
        std::sort(cells.begin(), cells.end());
        return cells;
    }

    Event1Task* Spawn() {
        record_ = {19, 0, 0, 0, 20, 20, 0};
        return dynamic_cast<Event1Task*>(SpawnMapObject(&map_, &record_));
    }

    template <class T>
    static std::vector<T*> TasksOf() {
        std::vector<T*> found;
        for (int g = 0; g < kGroupCount; ++g) {
            for (int i = 0; i < taskCounts[g]; ++i) {
                if (auto* task = dynamic_cast<T*>(taskGroups[g][i])) found.push_back(task);
            }
        }
        return found;
    }
    static std::vector<Rect> Platforms() {
        std::vector<Rect> rects;
        for (auto* p : TasksOf<MoveYokoPlatformTask>())
            rects.push_back({static_cast<int>(p->x), static_cast<int>(p->y), p->w, p->h});
        return rects;
    }
    // Shutters as (x, y, length) of their construction.
    static std::vector<Rect> Shutters() {
        std::vector<Rect> rects;
        for (auto* s : TasksOf<ShutterTask>())
            rects.push_back({static_cast<int>(s->x) - 10, static_cast<int>(s->y) - 10, s->length, 0});
        return rects;
    }

    // One update of the script after the player's own step left the camera at (x, y).
    void Frame(Event1Task& task, double px, double py, int x, int y) {
        playerX = px;
        playerY = py;
        map_.SetCamera(x, y);
        task.Update();
    }

    MapData map_{};
    MapObjectRecord record_{};
};

TEST_F(AreaEventTest, RecordOfTheScriptTypeMakesAnInvisibleTaskWithoutCollision) {
    MakeMap(1, 500, 15);
    Event1Task* task = Spawn();
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->group, kGroupNoCollision);
    EXPECT_EQ(taskCounts[kGroupNoCollision], 1);
    ClearDrawLayers();
    UpdateAllTasks();
    UpdateAllTasks();
    for (int layer = 0; layer < kDrawLayerCount; ++layer) {
        for (int i = 0; i < drawLayerCounts[layer]; ++i) EXPECT_NE(drawLayers[layer][i], task) << layer;
    }
}

struct SetUpCase {
    int kind;
    std::vector<Cell> writes;  // world positions
    std::vector<Rect> platforms;
    std::vector<Rect> shutters;  // x, y, length
};

const std::vector<SetUpCase>& SetUpCases() {
    static const std::vector<SetUpCase> cases = {
        {1,
         {{2130, 170}, {2150, 170}, {4970, 190}, {4970, 210}, {8770, 230}, {8790, 230}, {9870, 50}},
         {{4680, 120, 40, 20},
          {4920, 120, 40, 20},
          {6040, 180, 40, 20},
          {6300, 180, 40, 20},
          {9680, 200, 40, 20},
          {9840, 140, 40, 20}},
         {}},
        {2,
         {{1070, 210}, {1070, 230}, {2370, 170}, {1070, 570}, {1890, 1170}, {1910, 1170}},
         {{1800, 200, 40, 20}, {2200, 160, 20, 20}},
         {{380, 1120, 5, 0}, {560, 1120, 5, 0}, {740, 1120, 5, 0}, {1220, 1180, 2, 0}, {2360, 1140, 4, 0}}},
        {3,
         {{2690, 610}, {3530, 1050}, {2070, 1150}, {2090, 1150}, {1450, 50}, {1450, 70}},
         {{1260, 140, 40, 20}, {1380, 200, 40, 20}},
         {}},
    };
    return cases;
}

TEST_F(AreaEventTest, FirstUpdateWritesTheAreaTilesAndMakesItsPlatformsAndShuttersOnce) {
    for (const SetUpCase& c : SetUpCases()) {
        SCOPED_TRACE("area " + std::to_string(c.kind));
        ResetGame();
        map_.Unload();
        map_.Clear();
        // Wide and tall enough for every area; the map camera away from the origin and the drawing
        // camera elsewhere still: the writes meet the cells of their world positions.
        if (c.kind == 1) {
            MakeMap(c.kind, 500, 15);
        } else {
            MakeMap(c.kind, 240, 70);
        }
        map_.SetCamera(120, 40);
        cameraX = 700;
        cameraY = 300;
        playerX = 4000.0;  // no band of any area applies here
        playerY = 2000.0;
        Event1Task* task = Spawn();
        ASSERT_NE(task, nullptr);
        task->Update();
        EXPECT_EQ(CellsHolding(1, kScriptTile), CellsOf(c.writes));
        EXPECT_TRUE(CellsHolding(0, kScriptTile).empty());
        EXPECT_EQ(Platforms(), c.platforms);
        EXPECT_EQ(Shutters(), c.shutters);
        EXPECT_EQ(solidBoxCount, static_cast<int>(c.platforms.size()));
        for (auto* platform : TasksOf<MoveYokoPlatformTask>()) EXPECT_EQ(platform->type, 21);

        // Later updates write and make nothing more.
        std::fill(std::begin(map_.layers[1].tiles), std::end(map_.layers[1].tiles), 0);
        const int tasks = taskCounts[kGroupNoCollision];
        task->Update();
        task->Update();
        EXPECT_TRUE(CellsHolding(1, kScriptTile).empty());
        EXPECT_EQ(taskCounts[kGroupNoCollision], tasks);
    }
}

TEST_F(AreaEventTest, WritesOutsideTheLayerAreRefusedAndTheRestOfTheSetUpRuns) {
    // Area 1 on a layer of 200 x 10 tiles (4000 x 200 pixels): only the two writes at y 170, x < 4000
    // land; the others would fall past the right or the bottom.
    MakeMap(1, 200, 10);
    Event1Task* task = Spawn();
    task->Update();
    EXPECT_EQ(CellsHolding(1, kScriptTile), (std::vector<Cell>{{106, 8}, {107, 8}}));
    EXPECT_EQ(Platforms().size(), 6u);

    // With the camera moved the same writes are still judged by their world position.
    ResetGame();
    map_.Unload();
    map_.Clear();
    MakeMap(1, 200, 10);
    map_.SetCamera(3600, 0);
    Spawn()->Update();
    EXPECT_EQ(CellsHolding(1, kScriptTile), (std::vector<Cell>{{106, 8}, {107, 8}}));
}

TEST_F(AreaEventTest, MapsWithoutTheScriptLayersStillRunAndCopyTheCamera) {
    for (int layers : {0, 1}) {
        SCOPED_TRACE(layers);
        ResetGame();
        map_.Unload();
        map_.Clear();
        MakeMap(2, 240, 70, layers);
        map_.width = 240;
        map_.height = 70;
        map_.SetCamera(300, 200);
        playerX = 2400.0;  // zone 6: the probe of layer 0 is read
        playerY = 900.0;
        Event1Task* task = Spawn();
        task->Update();
        task->Update();
        EXPECT_EQ(cameraX, map_.cameraX);
        EXPECT_EQ(cameraY, 200);
        if (layers == 1) {
            EXPECT_TRUE(CellsHolding(0, kScriptTile).empty());
        }
    }
}

TEST_F(AreaEventTest, BossAreaLocksTheLeftMoveAndStartsTheBossTuneOnce) {
    MakeMap(kBossMapKind, 200, 15);
    map_.SetCamera(400, 0);
    Event1Task* task = Spawn();
    task->Update();
    EXPECT_EQ(map_.lockFlags, kLockLeft);
    EXPECT_EQ(recording::Named("pxtone_Tune_Load").at(0).text, "./bgm/boss1.pttune");
    EXPECT_EQ(recording::Named("pxtone_Tune_SetLoop").at(0).args, std::vector<int64_t>{0});
    map_.SetCamera(300, 0);  // refused
    EXPECT_EQ(map_.cameraX, 400);
    map_.lockFlags = 0;
    StopBgm();
    task->Update();
    EXPECT_EQ(map_.lockFlags, 0);
    EXPECT_EQ(recording::Count("pxtone_Tune_Load"), 1);
    EXPECT_TRUE(CellsHolding(1, kScriptTile).empty());
    EXPECT_EQ(taskCounts[kGroupNoCollision], 1);
}

TEST_F(AreaEventTest, EveryUpdateHandsTheMapCameraToTheDrawingAndRemembersIt) {
    for (int kind : {0, 1, 4, 5, 7}) {
        SCOPED_TRACE(kind);
        ResetGame();
        map_.Unload();
        map_.Clear();
        MakeMap(kind, 500, 40);
        Event1Task* task = Spawn();
        for (auto [x, y] : std::vector<Cell>{{0, 0}, {130, 70}, {4600, 500}, {20, 10}}) {
            map_.SetCamera(x, y);
            cameraX = cameraY = -1;
            const int counter = task->counter;
            task->Update();
            EXPECT_EQ(cameraX, map_.cameraX);
            EXPECT_EQ(cameraY, map_.cameraY);
            EXPECT_EQ(task->lastCameraX, map_.cameraX);
            EXPECT_EQ(task->lastCameraY, map_.cameraY);
            EXPECT_EQ(task->counter, counter + 1);
        }
        if (kind != 1 && kind != 4) {
            EXPECT_TRUE(CellsHolding(1, kScriptTile).empty());
            EXPECT_EQ(taskCounts[kGroupNoCollision], 1);
            EXPECT_EQ(map_.lockFlags, 0);
        }
    }
}

struct BandCase {
    const char* label;
    double px, py;
    int lastX, lastY, nowX, nowY;
    bool shutterClosed;
    int wantX, wantY;
};

TEST_F(AreaEventTest, AreaTwoBandsActOnTheFirstZoneThatHolds) {
    const BandCase cases[] = {
        {"zone 1: pushed across 720, set back", 800, 200, 715, 100, 725, 100, false, 720, 100},
        {"zone 1: already beyond 720, pulled 2", 800, 200, 800, 100, 800, 100, false, 798, 100},
        {"zone 1: pushed below 600, set back", 800, 200, 605, 100, 595, 100, false, 600, 100},
        {"zone 1: already below 600, pulled 2", 800, 200, 500, 100, 500, 100, false, 502, 100},
        {"zone 1 needs py above 140: zone 2 instead", 800, 140, 715, 0, 725, 0, false, 725, 0},
        {"zone 2: pushed below y 0 held", 500, 100, 300, 0, 300, 6, false, 300, 0},
        {"zone 2: already beyond, left alone", 500, 100, 300, 10, 300, 12, false, 300, 12},
        {"px 2040: neither zone 2 nor 3, zone 4", 2040, 100, 2010, 600, 2030, 604, false, 2030, 600},
        {"zone 3: pushed across 2020 held", 2100, 300, 2010, 300, 2025, 300, false, 2020, 300},
        {"zone 3: already beyond 2020, not pulled", 2100, 300, 2030, 300, 2032, 300, false, 2032, 300},
        {"zone 3: below 1900 pulled 2", 2100, 300, 1850, 300, 1850, 300, false, 1852, 300},
        {"zone 4: held at y 600", 1500, 700, 1200, 600, 1200, 603, false, 1200, 600},
        {"zone 5: high player lifts the camera", 1500, 1000, 1200, 950, 1200, 950, false, 1200, 948},
        {"zone 5: held at y 880", 1500, 1080, 1200, 880, 1200, 870, false, 1200, 880},
        {"zone 6 open: stops at 2360", 2400, 900, 2350, 800, 2370, 800, false, 2360, 800},
        {"zone 6 open: beyond 2360 not pulled", 2400, 900, 2380, 800, 2382, 800, false, 2382, 800},
        {"zone 6 closed: beyond 2360 pulled 4", 2400, 900, 2380, 800, 2380, 800, true, 2376, 800},
        {"zone 6 closed: below 2340 pulled 4", 2400, 900, 2300, 800, 2300, 800, true, 2304, 800},
        {"zone 6 closed: pushed across 2360 set back", 2400, 900, 2350, 800, 2365, 800, true, 2360, 800},
        {"zone 7: held at x 2340", 2500, 700, 2345, 650, 2335, 650, false, 2340, 650},
        {"zone 7: held at y 600", 2500, 700, 2400, 600, 2400, 595, false, 2400, 600},
        {"zone 7: camera lifted right of 2720", 3000, 700, 2900, 700, 2900, 700, false, 2900, 698},
        {"zone 7: held at x 3260", 3500, 700, 3250, 600, 3270, 600, false, 3260, 600},
        {"zone 8: three holds", 1000, 900, 2890, 800, 2870, 790, false, 2880, 800},
        {"no zone: camera untouched", 100, 1200, 0, 0, 300, 1000, false, 300, 1000},
    };
    for (const BandCase& c : cases) {
        SCOPED_TRACE(c.label);
        ResetGame();
        map_.Unload();
        map_.Clear();
        MakeMap(2, 200, 70);
        if (c.shutterClosed) SetCell(0, 2370 / 20, 1150 / 20, kShutterFirstTile);
        map_.SetCamera(c.lastX, c.lastY);
        Event1Task* task = Spawn();
        Frame(*task, c.px, c.py, c.nowX, c.nowY);
        EXPECT_EQ(map_.cameraX, c.wantX);
        EXPECT_EQ(map_.cameraY, c.wantY);
        EXPECT_EQ(cameraX, c.wantX);
        EXPECT_EQ(cameraY, c.wantY);
    }
}

TEST_F(AreaEventTest, AreaTwoPullBringsTheCameraBackTwoAFrameAfterThePlayersStep) {
    MakeMap(2, 200, 70);
    map_.SetCamera(800, 100);
    Event1Task* task = Spawn();
    std::vector<int> seen;
    for (int frame = 0; frame < 45; ++frame) {
        Frame(*task, 800, 200, map_.cameraX, 100);
        seen.push_back(map_.cameraX);
    }
    EXPECT_EQ(seen[0], 798);
    EXPECT_EQ(seen[1], 796);
    EXPECT_EQ(seen[39], 720);
    EXPECT_EQ(seen[44], 720);
    // From inside the band, a step across is stopped on the bound in the same frame.
    Frame(*task, 800, 200, 726, 100);
    EXPECT_EQ(cameraX, 720);
}

struct StateCase {
    const char* label;
    int from;
    double px, py;
    int surface;
    std::vector<Cell> probes;  // world points of layer 0 holding a tile
    int wantState;
    int wantLocks;
};

TEST_F(AreaEventTest, AreaThreeStateMachineMovesAndSetsTheLockFlags) {
    const StateCase cases[] = {
        {"0 -> 3 at the door", 0, 3300, 600, 0, {{3450, 610}}, 3, 3},
        {"0 stays without the door", 0, 3300, 600, 0, {{4730, 730}}, 0, 3},
        {"0 -> 1 at px 4460 with the probe clear", 0, 4460, 600, 0, {}, 1, 3},
        {"0 stays left of 4460", 0, 4459.9, 600, 0, {}, 0, 3},
        {"0 -> 1, left locked past 4680", 0, 4700, 600, 0, {{4690, 670}}, 1, 11},
        {"1 -> 0 in the middle band", 1, 4400, 600, 0, {}, 0, 0},
        {"1: left locked by the upper probe", 1, 4400, 700, 0, {{4690, 670}}, 0, 8},
        {"1: left locked by the lower probe", 1, 3000, 800, 0, {{4690, 1070}}, 1, 8},
        {"1: up locked low on the left", 1, 3000, 1010, 0, {}, 1, 2},
        {"1 -> 2 left of 2140", 1, 2100, 900, 0, {}, 2, 0},
        {"2 -> 1", 2, 2140, 990, 0, {}, 1, 0},
        {"2 -> 3 with the probe clear", 2, 3300, 800, 0, {}, 3, 0},
        {"2 stays with the probe set", 2, 3300, 800, 0, {{3390, 710}}, 2, 0},
        {"3 -> 1 below 960", 3, 3100, 970, 0, {}, 1, 0},
        {"3 -> 0 in the middle band", 3, 3200, 600, 0, {}, 0, 0},
        {"3: high on the left locks up and down", 3, 2500, 400, 0, {}, 3, 3},
        {"3 -> 4 left of 1440", 3, 1400, 400, 0, {}, 4, 3},
        {"3 -> 4 on the right wall at the gap", 3, 1900, 400, 1, {}, 4, 3},
        {"3 stays on the floor at the gap", 3, 1900, 400, 0, {}, 3, 3},
        {"3 stays on the wall with the probe set", 3, 1900, 400, 1, {{2010, 170}}, 3, 3},
        {"3: right of 2920 only clamps", 3, 3000, 400, 0, {}, 3, 0},
        {"4 -> 3 at px 1440 on the floor", 4, 1440, 250, 0, {}, 3, 0},
        {"4 stays on a wall", 4, 1440, 250, 1, {}, 4, 0},
        {"4: the middle locks down", 4, 3000, 300, 0, {}, 4, 1},
        {"4: far right locks down", 4, 4500, 300, 0, {}, 4, 1},
    };
    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.label);
        ResetGame();
        map_.Unload();
        map_.Clear();
        MakeMap(3, 240, 60);
        for (const auto& [x, y] : c.probes) SetCell(0, x / 20, y / 20, 7);
        map_.SetCamera(2000, 200);
        Event1Task* task = Spawn();
        task->counter = 1;  // past the set-up
        task->state = c.from;
        map_.lockFlags = 0x0F;  // whatever stood before is overwritten
        playerSurface = c.surface;
        Frame(*task, c.px, c.py, 2000, 200);
        EXPECT_EQ(task->state, c.wantState);
        EXPECT_EQ(map_.lockFlags, c.wantLocks);
    }
}

struct CameraCase {
    const char* label;
    int state;
    double px, py;
    std::vector<Cell> probes;
    uint8_t cleared;
    int x, y, wantX, wantY;
};

TEST_F(AreaEventTest, AreaThreeStatesKeepTheCameraInTheirBands) {
    const CameraCase cases[] = {
        {"0 eases down toward 480", 0, 3000, 600, {}, 0, 2000, 400, 2000, 402},
        {"0 eases up toward 480", 0, 3000, 600, {}, 0, 2000, 600, 2000, 598},
        {"0 rests within 1 of 480", 0, 3000, 600, {}, 0, 2000, 481, 2000, 481},
        {"1 keeps x at 1960 or more", 1, 3000, 600, {}, 0, 1900, 400, 1960, 400},
        {"1 moves down under the probe", 1, 3000, 600, {{4730, 1010}}, 0, 2000, 400, 2000, 402},
        {"2 keeps y at 700 and x at 1960 or more", 2, 3000, 800, {{3390, 710}}, 0, 1900, 600, 1960, 700},
        {"3 keeps y at 140 or more right of 3000", 3, 3100, 800, {}, 0, 2000, 100, 2000, 140},
        {"3 keeps y at 260 or less", 3, 3100, 400, {}, 0, 2000, 300, 2000, 260},
        {"3 eases toward 140 left of 2920", 3, 2500, 400, {}, 0, 2000, 300, 2000, 258},
        {"4 keeps y at 140 or less and x at 880 or more", 4, 3000, 300, {}, 0, 800, 200, 880, 140},
        {"4 keeps x at 3700 or less high up", 4, 3800, 100, {}, 0, 3800, 100, 3700, 100},
        {"4 lifts the camera far right", 4, 4500, 300, {}, 0, 4000, 100, 4000, 98},
    };
    for (const CameraCase& c : cases) {
        SCOPED_TRACE(c.label);
        ResetGame();
        map_.Unload();
        map_.Clear();
        MakeMap(3, 240, 60);
        for (const auto& [x, y] : c.probes) SetCell(0, x / 20, y / 20, 7);
        map_.SetCamera(c.x, c.y);
        Event1Task* task = Spawn();
        task->counter = 1;
        task->state = c.state;
        areaCleared = c.cleared;
        map_.lockFlags = 0x0F;
        Frame(*task, c.px, c.py, c.x, c.y);
        EXPECT_EQ(map_.cameraX, c.wantX);
        EXPECT_EQ(map_.cameraY, c.wantY);
    }
}

TEST_F(AreaEventTest, AreaThreeStartsInStateThreeOnlyAbovePy300AndClearedAreaLocksLeft) {
    for (auto [py, want] : std::vector<std::pair<double, int>>{{299.0, 3}, {299.99, 3}, {300.0, 0}}) {
        ResetGame();
        map_.Unload();
        map_.Clear();
        MakeMap(3, 240, 60);
        map_.SetCamera(2000, 480);
        Event1Task* task = Spawn();
        playerX = 3100.0;  // no transition of state 0 or 3 applies here
        playerY = py;
        task->Update();
        EXPECT_EQ(task->state, want) << py;
    }
    ResetGame();
    map_.Unload();
    map_.Clear();
    MakeMap(3, 240, 60);
    map_.SetCamera(4000, 100);
    Event1Task* task = Spawn();
    task->counter = 1;
    task->state = 4;
    Frame(*task, 4500, 300, 4000, 100);
    EXPECT_EQ(map_.lockFlags, kLockDown);
    areaCleared = 1;
    Frame(*task, 4500, 300, 4000, 100);
    EXPECT_EQ(map_.lockFlags, kLockDown | kLockLeft);
}

TEST_F(AreaEventTest, SpawnedInTheFrameLoopItsPlatformsUpdateInTheSameFrameAndARespawnSetsUpAgain) {
    MakeMap(1, 500, 15);
    map_.objectCount = 1;
    map_.objects = new MapObjectRecord[1]{{19, 0, 9000, 9000, 20, 20, 0}};  // far out of view: record 0
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        ClearDrawLayers();
        map_.SpawnObjectsInView();
        UpdateAllTasks();
        EXPECT_EQ(CellsHolding(1, kScriptTile).size(), 7u);
        auto platforms = TasksOf<MoveYokoPlatformTask>();
        ASSERT_EQ(platforms.size(), 6u);
        for (auto* p : platforms) EXPECT_EQ(p->counter, 1);
        // A respawn: every task deleted, the boxes and spawned flags cleared, the tiles written again.
        DeleteAllTasks();
        solidBoxCount = 0;
        map_.objects[0].spawned = 0;
        std::fill(std::begin(map_.layers[1].tiles), std::end(map_.layers[1].tiles), 0);
    }
}

}  // namespace
