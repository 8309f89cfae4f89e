// The enemies that the generated area 1 places, spawned from its records through the game's loader:
// each stands where its rules need ground and faces open air.
#include <gtest/gtest.h>

#include <filesystem>

#include "game/enemies/floggy_task.h"
#include "game/enemies/shulken_task.h"
#include "game/enemies/twigger_task.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/map/world_tiles.h"
#include "tests/game/game_fixture.h"
#include "tests/tools/datapack_fixture.h"

namespace {

class AreaEnemies : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        std::filesystem::current_path(datapack::PackDir());
        map_.Clear();
        ASSERT_TRUE(map_.Load("./data/map/1.dat"));
    }
    void TearDown() override {
        DeleteAllTasks();
        map_.Unload();
        GameTest::TearDown();
    }
    bool Solid(double x, double y) const {
        return WorldTileAt(&map_, 0, static_cast<int>(x), static_cast<int>(y), false) != 0;
    }

    MapData map_;
};

TEST_F(AreaEnemies, WalkersFrogsAndRockTurretsOfArea1StandOnGroundAndFaceTheOpen) {
    EXPECT_NE(map_.FindGraphic("twigger"), 0);
    EXPECT_NE(map_.FindGraphic("floggy"), 0);
    int walkers = 0, frogs = 0, turrets = 0;
    for (int i = 0; i < map_.objectCount; ++i) {
        MapObjectRecord& record = map_.objects[i];
        if (record.type < 30 || record.type > 34) continue;
        Character* task = SpawnMapObject(&map_, &record);
        ASSERT_NE(task, nullptr) << "record " << i << " type " << record.type;
        if (auto* walker = dynamic_cast<TwiggerTask*>(task)) {
            ++walkers;
            EXPECT_TRUE(Solid(walker->x + 20, walker->y + 44)) << "walker " << i << " has floor";
            EXPECT_FALSE(Solid(walker->x + 20, walker->y + 30)) << "walker " << i << " stands free";
        } else if (auto* frog = dynamic_cast<FloggyTask*>(task)) {
            ++frogs;
            EXPECT_TRUE(Solid(frog->x + 20, frog->y + 50)) << "frog " << i << " has its feet on ground";
            EXPECT_FALSE(Solid(frog->x + 20, frog->y + 49)) << "frog " << i;
        } else if (auto* turret = dynamic_cast<ShulkenTask*>(task)) {
            ++turrets;
            const double ahead = turret->ShotSpeed() < 0 ? turret->x - 10 : turret->x + 30;
            EXPECT_FALSE(Solid(ahead, turret->y + 10)) << "turret " << i << " fires into the open";
            EXPECT_TRUE(Solid(turret->x + 10, turret->y + 10)) << "turret " << i << " sits in the rock";
        }
    }
    EXPECT_GT(walkers, 0);
    EXPECT_GT(frogs, 0);
    EXPECT_GT(turrets, 0);
}

}  // namespace
