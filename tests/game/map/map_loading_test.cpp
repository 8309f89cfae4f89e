// Loading a map file and the tilesets, animations and tile layers it names.
#include <cstring>

#include "tests/game/map_fixture.h"

namespace {

using recording::Count;
using recording::Named;

std::vector<std::string> LoadedGraphics() {
    std::vector<std::string> paths;
    for (const auto& call : Named("LoadGraphFile")) paths.push_back(call.text);
    return paths;
}

std::vector<std::string> WindowTitles() {
    std::vector<std::string> titles;
    for (const auto& call : Named("SetMainWindowText")) titles.push_back(call.text);
    return titles;
}

TEST_F(MapTest, LoadsAWholeMap) {
    MapSpec spec;
    spec.lockFlags = 8 | 1;
    spec.objects = {{10, 20, 40, 40, 6, 7}, {-5, 300, 20, 20, -1, 0}};
    spec.layers[0].tiles = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    WriteMap("data/map/1.dat", spec);

    ASSERT_TRUE(map_.Load("data/map/1.dat"));
    EXPECT_STREQ(map_.path, "data/map/1.dat");
    EXPECT_EQ(map_.kind, 1);
    EXPECT_EQ(map_.width, 40);
    EXPECT_EQ(map_.height, 30);
    EXPECT_EQ(map_.cameraX, 100);
    EXPECT_EQ(map_.cameraY, 60);
    EXPECT_EQ(map_.playerStartX, 180);
    EXPECT_EQ(map_.playerStartY, 180);
    EXPECT_EQ(map_.lockFlags, 9);
    EXPECT_STREQ(map_.tunePath, "./bgm/stage1.pttune");
    ASSERT_EQ(map_.graphicCount, 2);
    EXPECT_STREQ(map_.graphics[1].name, "canox");
    EXPECT_EQ(map_.FindGraphic("canox"), map_.graphics[1].graphic);
    EXPECT_GT(map_.FindGraphic("ufo"), 0);
    EXPECT_EQ(map_.FindGraphic("canoxx"), 0);
    EXPECT_EQ(map_.FindGraphic("cano"), 0);
    ASSERT_EQ(map_.objectCount, 2);
    const MapObjectRecord& record = map_.objects[0];
    EXPECT_EQ(record.type, 6);
    EXPECT_EQ(record.param, 7);
    EXPECT_EQ(record.x, 10);
    EXPECT_EQ(record.y, 20);
    EXPECT_EQ(record.w, 40);
    EXPECT_EQ(record.h, 40);
    EXPECT_EQ(record.spawned, 0);
    EXPECT_EQ(map_.objects[1].x, -5);
    EXPECT_EQ(map_.objects[1].type, -1);
    ASSERT_EQ(map_.layerCount, 1);
    const LayerData& layer = map_.layers[0];
    EXPECT_STREQ(layer.name, "ground");
    EXPECT_STREQ(layer.tilesetName, "tiles");
    EXPECT_EQ(layer.drawLayer, 20);
    EXPECT_EQ(layer.parallax, 6);
    EXPECT_EQ(layer.tiles[0], 1);
    EXPECT_EQ(layer.tiles[11], 12);
    EXPECT_EQ(layer.tiles[12], 0);
    EXPECT_EQ(layer.blend, 255);
    EXPECT_EQ(LoadedGraphics(),
              (std::vector<std::string>{"./data/graphics/ufo.png", "./data/graphics/canox.png",
                                        "./data/map/tiles.png"}));
    EXPECT_GT(layer.tilesetGraphic, 0);
    EXPECT_EQ(recording::Lib().openFiles, 0);
}

TEST_F(MapTest, MissingMapSaysSoAndStaysEmpty) {
    EXPECT_FALSE(map_.Load("data/map/9.dat"));
    EXPECT_EQ(WindowTitles(), (std::vector<std::string>{"Error : MapData::Load() : File not found"}));
    EXPECT_EQ(map_.layerCount, 0);
    EXPECT_EQ(map_.objectCount, 0);
    EXPECT_EQ(map_.kind, 0);
    EXPECT_EQ(map_.width, 320);
    EXPECT_EQ(Count("LoadGraphFile"), 0);
}

// Every cut of a map file short of its last byte is refused with the same title, and nothing it names
// is loaded.
TEST_F(MapTest, EveryTruncationIsRefused) {
    MapSpec spec;
    spec.layers.push_back(LayerSpec{"rock", "front", 22, 2, 2, 3, {}});
    const std::vector<uint8_t> whole = MapBytes(spec);
    for (size_t length = 0; length < whole.size(); ++length) {
        recording::Reset();
        WriteBytes("data/map/1.dat", std::vector<uint8_t>(whole.begin(), whole.begin() + length));
        MapData map{};
        map.Clear();
        EXPECT_FALSE(map.Load("data/map/1.dat")) << length;
        EXPECT_EQ(WindowTitles(), (std::vector<std::string>{"Error : MapData::Load()"})) << length;
        EXPECT_EQ(Count("LoadGraphFile"), 0) << length;
        EXPECT_EQ(map.layerCount + map.objectCount + map.graphicCount, 0) << length;
        EXPECT_EQ(recording::Lib().openFiles, 0) << length;
        map.Unload();
    }
    recording::Reset();
    WriteBytes("data/map/1.dat", whole);
    EXPECT_TRUE(map_.Load("data/map/1.dat"));
}

// Fields beyond what the map's arrays and draw layers hold are refused like a cut file.
TEST_F(MapTest, FieldsBeyondTheLimitsAreRefused) {
    struct Case {
        const char* what;
        void (*change)(MapSpec&);
        bool loads;
    } cases[] = {
        {"11-character names", [](MapSpec& s) { s.tune = s.graphics[0] = s.layers[0].name = "abcdefghijk"; },
         true},
        {"12-character tune name", [](MapSpec& s) { s.tune = "abcdefghijkl"; }, false},
        {"12-character graphic name", [](MapSpec& s) { s.graphics[1] = "abcdefghijkl"; }, false},
        {"12-character tileset name", [](MapSpec& s) { s.layers[0].tileset = "abcdefghijkl"; }, false},
        {"12-character layer name", [](MapSpec& s) { s.layers[0].name = "abcdefghijkl"; }, false},
        {"layer of 18003 tiles", [](MapSpec& s) { s.layers[0].width = 3, s.layers[0].height = 6001; }, true},
        {"layer of 18004 tiles", [](MapSpec& s) { s.layers[0].width = 2, s.layers[0].height = 9002; }, false},
        {"layer whose size overflows", [](MapSpec& s) { s.layers[0].width = s.layers[0].height = 65536; },
         false},
        {"negative layer size", [](MapSpec& s) { s.layers[0].width = -3, s.layers[0].height = -3; }, false},
        {"draw layer 0", [](MapSpec& s) { s.layers[0].drawLayer = 0; }, true},
        {"draw layer 29", [](MapSpec& s) { s.layers[0].drawLayer = 29; }, true},
        {"draw layer 30", [](MapSpec& s) { s.layers[0].drawLayer = 30; }, false},
        {"draw layer -1", [](MapSpec& s) { s.layers[0].drawLayer = -1; }, false},
    };
    for (const Case& c : cases) {
        recording::Reset();
        MapSpec spec;
        c.change(spec);
        WriteMap("data/map/1.dat", spec);
        MapData map{};
        map.Clear();
        EXPECT_EQ(map.Load("data/map/1.dat"), c.loads) << c.what;
        if (!c.loads) {
            EXPECT_EQ(WindowTitles(), (std::vector<std::string>{"Error : MapData::Load()"})) << c.what;
            EXPECT_EQ(map.layerCount, 0) << c.what;
        }
        map.Unload();
    }
}

// Layers from the third on share an earlier layer's tileset (not the first layer's); the first two
// load theirs each.
TEST_F(MapTest, TilesetsAreSharedFromTheSecondLayerOn) {
    MapSpec spec;
    spec.graphics = {};
    spec.layers = {{"tiles", "a", 20, 1, 1, 6, {}},
                   {"tiles", "b", 19, 1, 1, 6, {}},
                   {"tiles", "c", 18, 1, 1, 6, {}},
                   {"rock", "d", 17, 1, 1, 6, {}},
                   {"rock", "e", 16, 1, 1, 6, {}}};
    WriteBytes("data/map/tiles.anm", {5, 3, 4});
    WriteBytes("data/map/rock.anm", {9, 2, 8});
    WriteMap("data/map/1.dat", spec);
    ASSERT_TRUE(map_.Load("data/map/1.dat"));
    EXPECT_EQ(LoadedGraphics(), (std::vector<std::string>{"./data/map/tiles.png", "./data/map/tiles.png",
                                                          "./data/map/rock.png"}));
    EXPECT_NE(map_.layers[0].tilesetGraphic, map_.layers[1].tilesetGraphic);
    EXPECT_EQ(map_.layers[2].tilesetGraphic, map_.layers[1].tilesetGraphic);
    EXPECT_EQ(map_.layers[4].tilesetGraphic, map_.layers[3].tilesetGraphic);
    EXPECT_EQ(map_.layers[2].animations[0].tile, 5);
    EXPECT_EQ(map_.layers[4].animations[0].tile, 9);
    EXPECT_EQ(map_.layers[4].animations[0].period, 8);
}

TEST_F(MapTest, MissingTilesetSaysSoAndKeepsMinusOne) {
    recording::Lib().missingGraphics = {"./data/map/tiles.png", "./data/graphics/ufo.png"};
    WriteMap("data/map/1.dat", MapSpec{});
    ASSERT_TRUE(map_.Load("data/map/1.dat"));
    EXPECT_EQ(map_.layers[0].tilesetGraphic, -1);
    EXPECT_EQ(map_.FindGraphic("ufo"), -1);
    EXPECT_EQ(WindowTitles(),
              (std::vector<std::string>{"Error : MapData::Load() : Layer graphic file not found"}));
}

// Entries without frames or without a period are left out; no more than 30 entries are read.
TEST_F(MapTest, AnimationTableSkipsEmptyEntriesAndReadsThirtyAtMost) {
    std::vector<uint8_t> anm = {7, 0, 4, 8, 3, 0, 9, 3, 4};
    for (int i = 0; i < 40; ++i) anm.insert(anm.end(), {static_cast<uint8_t>(100 + i), 2, 2});
    anm.push_back(1);  // a cut entry at the end
    WriteBytes("data/map/tiles.anm", anm);
    WriteMap("data/map/1.dat", MapSpec{});
    ASSERT_TRUE(map_.Load("data/map/1.dat"));
    const TileAnimation* table = map_.layers[0].animations;
    EXPECT_EQ(table[0].tile, 9);
    EXPECT_EQ(table[0].frameCount, 3);
    EXPECT_EQ(table[0].period, 4);
    // 30 entries read: the 3 above and 27 of the rest.
    EXPECT_EQ(table[27].tile, 126);
    EXPECT_EQ(table[28].tile, 0);
    EXPECT_EQ(table[28].period, 0);
}

TEST_F(MapTest, ShortLayerFileLeavesTheRestEmpty) {
    MapSpec spec;
    spec.layers[0].tiles = {4, 4, 4};
    WriteMap("data/map/1.dat", spec);
    ASSERT_TRUE(map_.Load("data/map/1.dat"));
    EXPECT_EQ(map_.layers[0].tiles[2], 4);
    EXPECT_EQ(map_.layers[0].tiles[3], 0);
}

TEST_F(MapTest, UnloadFreesGraphicsAndEmptiesTheMap) {
    WriteMap("data/map/1.dat", MapSpec{});
    ASSERT_TRUE(map_.Load("data/map/1.dat"));
    const int ufo = map_.FindGraphic("ufo");
    const int tiles = map_.layers[0].tilesetGraphic;
    AddSolidBox(0, 0, 10, 10);
    map_.Unload();
    std::vector<int64_t> freed;
    for (const auto& call : Named("FreeGraphic")) freed.push_back(call.args[0]);
    EXPECT_NE(std::find(freed.begin(), freed.end(), ufo), freed.end());
    EXPECT_NE(std::find(freed.begin(), freed.end(), tiles), freed.end());
    EXPECT_EQ(map_.layerCount + map_.objectCount + map_.graphicCount, 0);
    EXPECT_EQ(map_.cameraX, 0);
    EXPECT_EQ(solidBoxCount, 0);
}

}  // namespace
