// The generated maps read through the game's own loader: every map and the files it names load whole,
// and area 1 holds what the area script and the playable area need.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "game/devices/move_yoko_platform_task.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "tests/game/game_fixture.h"
#include "tests/game/map/pack_map_fixture.h"
#include "tests/tools/datapack_fixture.h"

namespace {

namespace fs = std::filesystem;

class PackMap : public PackMapTest {
  protected:
    // Loads a map; every file its loading asked for must exist in the pack.
    void Load(const char* path) {
        ASSERT_TRUE(map_.Load(path)) << path;
        EXPECT_EQ(recording::Count("SetMainWindowText"), 0) << "a loader error was shown";
        for (const recording::Call& call : recording::Named("LoadGraphFile"))
            EXPECT_TRUE(fs::exists(call.text)) << call.text;
        EXPECT_TRUE(fs::exists(fs::path("bgm") / fs::path(map_.tunePath).filename())) << map_.tunePath;
        for (int i = 0; i < map_.layerCount; ++i) {
            const LayerData& layer = *map_.Layer(i);
            const auto lyr = datapack::ReadFile(fs::path("data/map") / (std::string(layer.name) + ".lyr"));
            ASSERT_EQ(lyr.size(), size_t(layer.width) * layer.height) << layer.name;
            EXPECT_TRUE(std::equal(lyr.begin(), lyr.end(), layer.tiles)) << layer.name;
        }
    }
};

TEST_F(PackMap, OpeningDemoIsAScriptedMapWhoseFirstRecordIsTheDirector) {
    Load("./data/map/op.dat");
    EXPECT_GE(map_.kind, kFirstScriptedMapKind);
    ASSERT_GE(map_.objectCount, 1);
    EXPECT_EQ(map_.objects[0].type, 40);
    for (const char* name : {"demo", "ufo", "twigger"}) EXPECT_NE(map_.FindGraphic(name), 0) << name;
    ASSERT_GE(map_.layerCount, 1);
    // Walkers enter at (400, 160), 40 pixels tall: the floor is there to land on.
    const LayerData& ground = *map_.Layer(0);
    EXPECT_NE(ground.TileAt(200, 205, false), 0);
    EXPECT_EQ(ground.TileAt(200, 195, false), 0);
}

TEST_F(PackMap, AreaOneLoadsWithItsScriptFirstAndEveryObjectKind) {
    Load("./data/map/1.dat");
    EXPECT_EQ(map_.kind, 1);
    ASSERT_GE(map_.layerCount, 3);
    EXPECT_EQ(map_.Layer(1)->parallax, 6);
    EXPECT_EQ(map_.Layer(0)->parallax, 6);
    ASSERT_GE(map_.objectCount, 1);
    EXPECT_EQ(map_.objects[0].type, 19);
    std::vector<int> types;
    for (int i = 0; i < map_.objectCount; ++i) types.push_back(map_.objects[i].type);
    for (int wanted : {6, 7, 30, 33, 34})
        EXPECT_NE(std::count(types.begin(), types.end(), wanted), 0) << wanted;
    for (const char* name : {"floggy", "twigger"}) EXPECT_NE(map_.FindGraphic(name), 0) << name;
    // The player starts standing on the floor.
    const LayerData& ground = *map_.Layer(0);
    EXPECT_EQ(ground.TileAt(map_.playerStartX + 20, map_.playerStartY + 20, false), 0);
    EXPECT_NE(ground.TileAt(map_.playerStartX + 20, map_.playerStartY + 45, false), 0);
}

TEST_F(PackMap, AreaOneScriptWritesAndPlatformsLandInOpenAir) {
    Load("./data/map/1.dat");
    const LayerData& ground = *map_.Layer(0);
    const LayerData& items = *map_.Layer(1);
    ASSERT_EQ(map_.cameraX, 0);
    ASSERT_EQ(map_.cameraY, 0);
    const int writes[][2] = {{2130, 170}, {2150, 170}, {4970, 190}, {4970, 210},
                             {8770, 230}, {8790, 230}, {9870, 50}};
    for (const auto& w : writes) {
        EXPECT_LT(w[0] / 20, items.width);
        EXPECT_LT(w[1] / 20, items.height);
        EXPECT_EQ(ground.TileAt(w[0], w[1], false), 0) << w[0] << ", " << w[1];
    }
    // Each platform moves between marks of the item layer on its row, over open air.
    const int platforms[][2] = {{4680, 120}, {4920, 120}, {6040, 180}, {6300, 180}, {9680, 200}, {9840, 140}};
    for (const auto& p : platforms) {
        bool left = false, right = false;
        for (int x = p[0] - 1; x > p[0] - 400 && !left; x -= 20)
            left = items.TileAt(x, p[1] + 10, false) != 0;
        for (int x = p[0] + 41; x < p[0] + 440 && !right; x += 20)
            right = items.TileAt(x, p[1] + 10, false) != 0;
        EXPECT_TRUE(left && right) << p[0] << ", " << p[1];
        EXPECT_EQ(ground.TileAt(p[0], p[1] + 10, false), 0);
        EXPECT_EQ(ground.TileAt(p[0] + 39, p[1] + 10, false), 0);
    }
}

TEST_F(PackMap, AreaOneScriptRunOnThePackWritesEveryTileAndMakesMovingPlatforms) {
    Load("./data/map/1.dat");
    const LayerData& items = *map_.Layer(1);
    const std::vector<uint8_t> before(items.tiles, items.tiles + items.width * items.height);
    Character* script = SpawnMapObject(&map_, &map_.objects[0]);
    ASSERT_NE(script, nullptr);
    script->Update();
    int changed = 0;
    for (int i = 0; i < items.width * items.height; ++i) changed += items.tiles[i] != before[i];
    EXPECT_EQ(changed, 7);
    for (const auto& w : std::vector<std::pair<int, int>>{
             {2130, 170}, {2150, 170}, {4970, 190}, {4970, 210}, {8770, 230}, {8790, 230}, {9870, 50}})
        EXPECT_EQ(items.TileAt(w.first, w.second, false), 60) << w.first << ", " << w.second;
    // Each platform leaves its first pause and moves.
    ASSERT_EQ(taskCounts[kGroupNoCollision], 7);
    for (int frame = 0; frame < 70; ++frame) UpdateAllTasks();
    for (int i = 1; i < taskCounts[kGroupNoCollision]; ++i) {
        auto* platform = dynamic_cast<MoveYokoPlatformTask*>(taskGroups[kGroupNoCollision][i]);
        ASSERT_NE(platform, nullptr);
        EXPECT_EQ(platform->state, MoveYokoPlatformTask::kMoving) << platform->x;
    }
    DeleteAllTasks();
}

TEST_F(PackMap, FinalShaftLoopsWithoutASeamAndLeavesTheFigurePathOpen) {
    Load("./data/map/5.dat");
    EXPECT_GE(map_.kind, kFirstScriptedMapKind);
    ASSERT_GE(map_.objectCount, 1);
    EXPECT_EQ(map_.objects[0].type, 39);
    const LayerData& rock = *map_.Layer(0);
    // The scene climbs from its start camera and jumps 900 down once above 40: both ends lie in the map.
    const int lowest = rock.height * 20 - 300;
    EXPECT_LE(map_.startCameraY, lowest);
    EXPECT_GE(lowest, 40 + 900);
    // Every view above 40 + 300 looks the same 900 pixels further down.
    for (int row = 0; row + 45 < rock.height && row < 17; ++row) {
        for (int c = 0; c < rock.width; ++c)
            EXPECT_EQ(rock.tiles[row * rock.width + c], rock.tiles[(row + 45) * rock.width + c])
                << row << ", " << c;
    }
    // The figure (x 220, 40 wide) and the eruption (x 120) rise through open rock.
    for (int y = 0; y < rock.height * 20; y += 20) {
        for (int x = 100; x < 300; x += 20) EXPECT_EQ(rock.TileAt(x, y, false), 0) << x << ", " << y;
    }
}

TEST_F(PackMap, AreaOneFloorHasGapsAndBreakableBlocksAndItems) {
    Load("./data/map/1.dat");
    const LayerData& ground = *map_.Layer(0);
    const LayerData& items = *map_.Layer(1);
    int gaps = 0, breakable = 0, gems = 0, hazards = 0;
    for (int c = 0; c < ground.width; ++c) {
        gaps += ground.tiles[11 * ground.width + c] == 0;
        for (int r = 0; r < ground.height; ++r) {
            breakable += ground.tiles[r * ground.width + c] == 65;
            gems += items.tiles[r * items.width + c] == 12;
            hazards += items.tiles[r * items.width + c] == 16;
        }
    }
    EXPECT_GT(gaps, 20);
    EXPECT_GT(breakable, 5);
    EXPECT_GT(gems, 50);
    EXPECT_GT(hazards, 0);
}

}  // namespace
