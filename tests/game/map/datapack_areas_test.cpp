// The later areas of the generated pack read through the game's own loader and run under the game's own
// area script, block switch and shutters: what the script places lands in open air inside the layers,
// the gates close exactly their length, the platforms ride between their marks, and every enemy or
// device stands where its task expects ground, ceiling or air.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <vector>

#include "game/devices/block_switch_task.h"
#include "game/devices/move_yoko_platform_task.h"
#include "game/devices/shutter_task.h"
#include "game/frame/game_state.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "tests/game/game_fixture.h"
#include "tests/game/map/pack_map_fixture.h"
#include "tests/tools/datapack_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr int kScriptTile = 60;
constexpr int kStopMark = 10;
constexpr int kSwitchBlock = 124;

struct Area {
    const char* path;
    int kind;
    int scriptWrites;  // tile writes the area script makes into the item layer
};

const Area kAreas[] = {
    {"./data/map/2.dat", 2, 6},
    {"./data/map/3.dat", 3, 6},
    {"./data/map/4.dat", 4, 0},
};

class PackArea : public PackMapTest, public ::testing::WithParamInterface<Area> {
  protected:
    void SetUp() override {
        PackMapTest::SetUp();
        ASSERT_TRUE(map_.Load(GetParam().path)) << GetParam().path;
        ASSERT_GE(map_.layerCount, 2);
        map_.UpdateLayerScrolls();  // as the main loop does after loading
        playerX = map_.playerStartX;
        playerY = map_.playerStartY;
    }

    const LayerData& Ground() const { return *map_.Layer(0); }
    const LayerData& Items() const { return *map_.Layer(1); }
    // Tiles by world position (the camera stays at the map's start, so the layers' scroll follows it).
    int GroundAt(int x, int y) const { return Ground().TileAt(x - map_.cameraX, y - map_.cameraY, false); }
    int ItemAt(int x, int y) const { return Items().TileAt(x - map_.cameraX, y - map_.cameraY, false); }
    bool Inside(const LayerData& layer, int x, int y) const {
        return x >= 0 && y >= 0 && x < layer.width * 20 && y < layer.height * 20;
    }

    std::vector<const MapObjectRecord*> Records(int type) const {
        std::vector<const MapObjectRecord*> found;
        for (int i = 0; i < map_.objectCount; ++i) {
            if (map_.objects[i].type == type) found.push_back(&map_.objects[i]);
        }
        return found;
    }

    template <class T>
    std::vector<T*> Tasks() const {
        std::vector<T*> found;
        for (int g = 0; g < kGroupCount; ++g) {
            for (int i = 0; i < taskCounts[g]; ++i) {
                if (auto* task = dynamic_cast<T*>(taskGroups[g][i])) found.push_back(task);
            }
        }
        return found;
    }

    // Creates the area script from record 0 and runs its first update.
    void RunScriptOnce() {
        ASSERT_GE(map_.objectCount, 1);
        ASSERT_EQ(map_.objects[0].type, 19);
        Character* script = SpawnMapObject(&map_, &map_.objects[0]);
        ASSERT_NE(script, nullptr);
        script->Update();
    }
};

TEST_P(PackArea, LoadsWholeWithItsKindScriptFirstAndPlayerOnTheFloor) {
    EXPECT_EQ(map_.kind, GetParam().kind);
    EXPECT_EQ(recording::Count("SetMainWindowText"), 0) << "a loader error was shown";
    for (const recording::Call& call : recording::Named("LoadGraphFile"))
        EXPECT_TRUE(fs::exists(call.text)) << call.text;
    EXPECT_TRUE(fs::exists(fs::path("bgm") / fs::path(map_.tunePath).filename())) << map_.tunePath;
    EXPECT_EQ(Ground().parallax, 6);
    EXPECT_EQ(Items().parallax, 6);
    EXPECT_EQ(Items().width, Ground().width);
    EXPECT_EQ(Items().height, Ground().height);
    EXPECT_EQ(map_.objects[0].type, 19);
    EXPECT_EQ(GroundAt(map_.playerStartX + 20, map_.playerStartY + 20), 0);
    EXPECT_NE(GroundAt(map_.playerStartX + 20, map_.playerStartY + 45), 0);
}

TEST_P(PackArea, ScriptWritesEveryFruitIntoOpenAirOfTheItemLayer) {
    const std::vector<uint8_t> before(Items().tiles, Items().tiles + Items().width * Items().height);
    RunScriptOnce();
    int written = 0;
    for (int r = 0; r < Items().height; ++r) {
        for (int c = 0; c < Items().width; ++c) {
            const int i = r * Items().width + c;
            if (Items().tiles[i] == before[i]) continue;
            ++written;
            EXPECT_EQ(Items().tiles[i], kScriptTile) << c << ", " << r;
            EXPECT_EQ(Ground().tiles[i], 0) << "fruit in rock at " << c << ", " << r;
        }
    }
    EXPECT_EQ(written, GetParam().scriptWrites);
    DeleteAllTasks();
}

TEST_P(PackArea, ScriptPlatformsRideBetweenTheirMarksOverOpenAir) {
    RunScriptOnce();
    for (MoveYokoPlatformTask* platform : Tasks<MoveYokoPlatformTask>()) {
        const int x0 = static_cast<int>(platform->x), y0 = static_cast<int>(platform->y);
        for (int x = x0; x < x0 + platform->w; x += 10)
            EXPECT_EQ(GroundAt(x, y0 + 10), 0) << x0 << ", " << y0;
        int left = x0 - 1, right = x0 + platform->w + 1;
        while (left > x0 - 600 && ItemAt(left, y0 + 10) != kStopMark) left -= 20;
        while (right < x0 + 600 && ItemAt(right, y0 + 10) != kStopMark) right += 20;
        ASSERT_GT(left, x0 - 600) << "no mark left of " << x0 << ", " << y0;
        ASSERT_LT(right, x0 + 600) << "no mark right of " << x0 << ", " << y0;
        // Its whole track is open air, and it turns at the marks.
        for (int x = left + 20; x < right; x += 10) EXPECT_EQ(GroundAt(x, y0 + 10), 0) << x << ", " << y0;
        double lowest = platform->x, highest = platform->x;
        for (int frame = 0; frame < 1200; ++frame) {
            platform->Update();
            lowest = std::min(lowest, platform->x);
            highest = std::max(highest, platform->x);
        }
        EXPECT_LT(lowest, x0 - 20) << x0;
        EXPECT_GT(highest, x0 + 20) << x0;
        EXPECT_GE(lowest, left - 20) << x0;
        EXPECT_LE(highest + platform->w, right + 20) << x0;
    }
    DeleteAllTasks();
}

TEST_P(PackArea, ScriptGatesHangUnderRockAndCloseDownToTheFloor) {
    RunScriptOnce();
    const std::vector<ShutterTask*> gates = Tasks<ShutterTask>();
    for (ShutterTask* gate : gates) {
        const int x = static_cast<int>(gate->x), y = static_cast<int>(gate->y);  // its point
        EXPECT_EQ(gate->closed, 0) << x << ", " << y;
        EXPECT_NE(GroundAt(x, y - 20), 0) << "no rock over the gate at " << x << ", " << y;
        for (int k = 0; k < gate->length; ++k)
            EXPECT_EQ(GroundAt(x, y + 20 * k), 0) << x << ", " << y + 20 * k;
        EXPECT_NE(GroundAt(x, y + 20 * gate->length), 0) << "no floor under the gate at " << x << ", " << y;
    }
    // The player far right and low: every gate closes behind it, exactly its length.
    playerX = Ground().width * 20.0;
    playerY = Ground().height * 20.0 - 60;
    for (int frame = 0; frame < 40; ++frame) {
        for (ShutterTask* gate : gates) gate->Update();
    }
    for (ShutterTask* gate : gates) {
        const int x = static_cast<int>(gate->x), y = static_cast<int>(gate->y);  // its point
        EXPECT_EQ(gate->closed, 1) << x << ", " << y;
        for (int k = 0; k < gate->length; ++k)
            EXPECT_EQ(GroundAt(x, y + 20 * k), kShutterLastTile) << x << ", " << y + 20 * k;
    }
    DeleteAllTasks();
}

TEST_P(PackArea, SwitchesFollowTheirRailsAndOpenTheirWall) {
    for (const MapObjectRecord* record : Records(36)) {
        ASSERT_GE(map_.layerCount, 3) << "no rail layer";
        EXPECT_EQ(map_.Layer(2)->parallax, 6);
        EXPECT_EQ(GroundAt(record->x + 10, record->y + 10), 0) << "switch in rock";
        std::vector<uint8_t> before(Ground().tiles, Ground().tiles + Ground().width * Ground().height);
        MapObjectRecord copy = *record;
        Character* task = SpawnMapObject(&map_, &copy);
        ASSERT_NE(task, nullptr);
        task->hitCode = 1;
        task->Update();
        int opened = 0, other = 0;
        for (size_t i = 0; i < before.size(); ++i) {
            if (Ground().tiles[i] == before[i]) continue;
            (before[i] == kSwitchBlock && Ground().tiles[i] == 0 ? opened : other) += 1;
        }
        EXPECT_GE(opened, 2) << record->x << ", " << record->y;
        EXPECT_EQ(other, 0);
        DeleteAllTasks();
    }
}

// Walkers and frogs stand on floors, cannons on a floor or under a ceiling, crusher stones hang over a
// floor they can fall to, belts lie on their belt tiles, check points and the goal stand on floors.
TEST_P(PackArea, ObjectsStandWhereTheirTasksExpectGround) {
    for (int i = 1; i < map_.objectCount; ++i) {
        const MapObjectRecord& r = map_.objects[i];
        const std::string where =
            std::to_string(r.type) + " at " + std::to_string(r.x) + ", " + std::to_string(r.y);
        EXPECT_TRUE(Inside(Ground(), r.x, r.y) && Inside(Ground(), r.x + r.w - 1, r.y + r.h - 1)) << where;
        const int cx = r.x + r.w / 2;
        switch (r.type) {
            case 6:   // check point
            case 7:   // goal
            case 30:  // walker
            case 33:  // frog
                EXPECT_EQ(GroundAt(cx, r.y + r.h - 10), 0) << where;
                EXPECT_NE(GroundAt(cx, r.y + r.h + 5), 0) << where;
                break;
            case 32:  // cannon
                EXPECT_EQ(GroundAt(cx, r.y + 20), 0) << where;
                EXPECT_TRUE(GroundAt(cx, r.y + 45) != 0 || GroundAt(cx, r.y - 10) != 0) << where;
                break;
            case 31: {  // crusher stone
                int floor = r.y + r.h;
                while (floor < r.y + 600 && GroundAt(cx, floor) == 0) floor += 10;
                EXPECT_LT(floor, r.y + 600) << where;
                EXPECT_GT(floor, r.y + r.h + 40) << where << ": no room to fall";
                break;
            }
            case 35:  // belt
                for (int x = r.x + 10; x < r.x + r.w; x += 20) {
                    EXPECT_EQ(GroundAt(x, r.y + 10), r.param != 0 ? 20 : 36) << where;
                    EXPECT_EQ(GroundAt(x, r.y - 10), 0) << where;
                }
                break;
            default:
                break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Areas, PackArea, ::testing::ValuesIn(kAreas),
                         [](const ::testing::TestParamInfo<Area>& info) {
                             return "Area" + std::to_string(info.param.kind);
                         });

class PackMaps : public PackMapTest {};

// Together the later areas place every kind of enemy and device the game spawns from a map.
TEST_F(PackMaps, LaterAreasTogetherPlaceEveryObjectKind) {
    std::set<int> types;
    for (const Area& area : kAreas) {
        map_.Clear();
        ASSERT_TRUE(map_.Load(area.path)) << area.path;
        for (int i = 0; i < map_.objectCount; ++i) types.insert(map_.objects[i].type);
        map_.Unload();
    }
    for (int wanted : {6, 7, 19, 30, 31, 32, 33, 34, 35, 36, 37, 38})
        EXPECT_EQ(types.count(wanted), 1u) << wanted;
}

// While the boss fight runs the view jumps back 3200 pixels whenever it passes 3200: every layer must
// show the same picture on both sides of the jump.
TEST_F(PackMaps, BossAreaLoopsWithoutASeamInAnyLayer) {
    ASSERT_TRUE(map_.Load("./data/map/4.dat"));
    ASSERT_EQ(map_.kind, kBossMapKind);
    for (int cx = 3201; cx <= 3212; ++cx) {
        std::vector<int> before, after;
        for (int pass = 0; pass < 2; ++pass) {
            map_.lockFlags = 0;
            map_.SetCamera(pass == 0 ? cx : cx - 3200, 0);
            ASSERT_EQ(map_.cameraX, pass == 0 ? cx : cx - 3200);
            for (int i = 0; i < map_.layerCount; ++i) {
                const LayerData& layer = *map_.Layer(i);
                for (int y = 0; y < 320; y += 20) {
                    for (int x = 0; x <= 400; x += 20) {
                        const int sx = x - layer.scrollX % 20, sy = y - layer.scrollY % 20;
                        (pass == 0 ? before : after).push_back(layer.TileAt(sx, sy, false));
                    }
                }
            }
        }
        EXPECT_EQ(before, after) << "camera " << cx;
    }
}

// The player runs the whole arena and, after the boss, is run right under scripted input: flat ground
// all the way with nothing to stop it; the pilot waits on that ground in the first view.
TEST_F(PackMaps, BossAreaIsOpenGroundWithThePilotInTheFirstView) {
    ASSERT_TRUE(map_.Load("./data/map/4.dat"));
    const LayerData& ground = *map_.Layer(0);
    for (int x = 10; x < ground.width * 20; x += 20) {
        EXPECT_NE(ground.TileAt(x, 245, false), 0) << x;
        for (int y = 10; y < 240; y += 20) EXPECT_EQ(ground.TileAt(x, y, false), 0) << x << ", " << y;
    }
    int pilots = 0;
    for (int i = 0; i < map_.objectCount; ++i) {
        const MapObjectRecord& r = map_.objects[i];
        if (r.type != 38) continue;
        ++pilots;
        EXPECT_LT(r.x, map_.cameraX + 400);
        EXPECT_EQ(r.y + r.h, 240);
    }
    EXPECT_EQ(pilots, 1);
    EXPECT_NE(map_.FindGraphic("ufo"), 0);
    EXPECT_NE(map_.FindGraphic("twigger"), 0);
    // Where the wreck and the pilot sink, a layer in front of them covers the ground.
    bool covered = false;
    for (int i = 1; i < map_.layerCount; ++i) {
        const LayerData& layer = *map_.Layer(i);
        if (layer.drawLayer < 11 && layer.parallax == 6) covered |= layer.TileAt(3920, 270, false) != 0;
    }
    EXPECT_TRUE(covered);
}

TEST_F(PackMaps, EndingIsAScriptedMapWithTheDirectorAndAGlowingFifthLayer) {
    ASSERT_TRUE(map_.Load("./data/map/6.dat"));
    EXPECT_EQ(recording::Count("SetMainWindowText"), 0);
    EXPECT_EQ(map_.kind, 6);
    ASSERT_GE(map_.objectCount, 1);
    EXPECT_EQ(map_.objects[0].type, 41);
    EXPECT_NE(map_.FindGraphic("demo"), 0);
    ASSERT_GE(map_.layerCount, 5);
    const LayerData& glow = *map_.Layer(4);
    EXPECT_NE(
        std::count_if(glow.tiles, glow.tiles + glow.width * glow.height, [](uint8_t t) { return t != 0; }),
        0);
    // The returning hero comes down to stand at y 170 (60 tall): the ground is under it.
    EXPECT_NE(map_.Layer(0)->TileAt(300, 235, false), 0);
    EXPECT_EQ(map_.Layer(0)->TileAt(300, 190, false), 0);
}

}  // namespace
