// Tile lookups and writes, the solid boxes, the camera with its locks, the layer scrolls, layer drawing
// with tile animation, and the spawning of map objects.
#include "game/map/tile_probes.h"
#include "tests/game/map_fixture.h"

namespace {

using recording::Named;

// A 4 x 3 layer (80 x 60 pixels) whose tile at (column c, row r) is 10 + 4r + c.
class TileLayerTest : public MapTest {
  protected:
    void SetUp() override {
        MapTest::SetUp();
        layer_.width = 4;
        layer_.height = 3;
        for (int i = 0; i < 12; ++i) layer_.tiles[i] = static_cast<uint8_t>(10 + i);
    }
    LayerData layer_;
};

TEST_F(TileLayerTest, TileAtInsideEdgesCornersAndBeyond) {
    struct Case {
        int x, y, tile;
    } cases[] = {
        {0, 0, 10},   {79, 59, 21},   {25, 45, 19},                     // inside
        {-1, 25, 14}, {-400, 25, 14}, {-401, 25, 0},                    // left edge repeated 400 pixels
        {80, 25, 17}, {480, 25, 17},  {481, 25, 0},                     // right edge
        {25, -1, 11}, {25, -300, 11}, {25, -301, 0},                    // top edge repeated 300 pixels
        {25, 60, 19}, {25, 360, 19},  {25, 361, 0},                     // bottom edge
        {-1, -1, 1},  {80, 60, 1},    {-1, 60, 1},   {-5000, 9000, 1},  // corner regions
    };
    for (const Case& c : cases) EXPECT_EQ(layer_.TileAt(c.x, c.y, false), c.tile) << c.x << "," << c.y;
}

TEST_F(TileLayerTest, TileAtIsInTheScrolledSpace) {
    layer_.scrollX = 20;
    layer_.scrollY = 20;
    EXPECT_EQ(layer_.TileAt(0, 0, false), 15);
    EXPECT_EQ(layer_.TileAt(-21, 0, false), 14);
    EXPECT_EQ(layer_.TileAt(-21, -21, false), 1);
}

TEST_F(TileLayerTest, SolidBoxGivesMinusItsNumberOnlyWithTheCheck) {
    AddSolidBox(0, 0, 5, 5);
    AddSolidBox(20, 0, 40, 20);
    AddSolidBox(30, 10, 50, 30);  // overlaps the second: the last box in the table wins
    EXPECT_EQ(layer_.TileAt(25, 5, true), -2);
    EXPECT_EQ(layer_.TileAt(35, 15, true), -3);
    EXPECT_EQ(layer_.TileAt(35, 15, false), 11);
    EXPECT_EQ(layer_.TileAt(40, 0, true), 12);  // right and bottom edges are outside a box
    EXPECT_EQ(layer_.TileAt(50, 25, true), 16);
    EXPECT_EQ(MapData::FindSolidBoxAt(4, 4), 1);
    EXPECT_EQ(MapData::FindSolidBoxAt(5, 4), -1);
}

TEST_F(TileLayerTest, SolidBoxTableHoldsFiftyOne) {
    for (int i = 1; i <= kSolidBoxCapacity; ++i) EXPECT_EQ(AddSolidBox(i, 0, i + 1, 1), i);
    EXPECT_EQ(AddSolidBox(0, 0, 1, 1), -1);
    EXPECT_EQ(solidBoxCount, kSolidBoxCapacity);
}

TEST_F(TileLayerTest, SetTileWritesInsideOnly) {
    layer_.scrollX = 20;
    layer_.SetTile(5, 5, 99);
    EXPECT_EQ(layer_.tiles[1], 99);
    const std::vector<uint8_t> before(layer_.tiles, layer_.tiles + kLayerTileCapacity);
    for (auto [x, y] : {std::pair{-21, 5}, {-25, 5}, {60, 5}, {5, -1}, {5, 60}, {-1000, -1000}, {5, 10000}}) {
        layer_.SetTile(x, y, 77);
    }
    EXPECT_EQ(std::vector<uint8_t>(layer_.tiles, layer_.tiles + kLayerTileCapacity), before);
    layer_.SetTile(-20, 0, 42);  // lx = 0: the first column
    EXPECT_EQ(layer_.tiles[0], 42);
}

TEST_F(TileLayerTest, ALayerWithoutTilesAnswersZero) {
    LayerData empty;
    for (auto [x, y] : {std::pair{0, 0}, {-1, -1}, {500, 5}}) {
        EXPECT_EQ(empty.TileAt(x, y, true), 0);
        empty.SetTile(x, y, 9);
    }
    EXPECT_EQ(empty.tiles[0], 0);
}

// A 10 x 10 layer 0 (200 x 200 pixels), empty unless a test sets tiles; camera and scroll at 0.
class ProbeTest : public MapTest {
  protected:
    void SetUp() override {
        MapTest::SetUp();
        map_.layerCount = 1;
        map_.layers = new LayerData[1];
        map_.layers[0].width = 10;
        map_.layers[0].height = 10;
        map_.layers[0].parallax = 6;
        map_.width = 10;
        map_.height = 10;
    }
    void SetTile(int column, int row, uint8_t id) { map_.layers[0].tiles[row * 10 + column] = id; }
    int out_ = -999;
};

TEST_F(ProbeTest, EachProbeAnswersItsTileEdge) {
    SetTile(3, 2, 5);  // x 60-79, y 40-59
    EXPECT_TRUE(ScanTilesAlongX(&map_, 0, 100, 50, &out_, false));
    EXPECT_EQ(out_, 40);
    EXPECT_TRUE(ScanTilesAlongXB(&map_, 0, 100, 50, &out_, false));
    EXPECT_EQ(out_, 60);
    EXPECT_TRUE(ScanTilesAlongY(&map_, 0, 100, 70, &out_));
    EXPECT_EQ(out_, 80);
    EXPECT_TRUE(ScanTilesAlongYB(&map_, 0, 100, 70, &out_));
    EXPECT_EQ(out_, 60);
    out_ = -999;
    EXPECT_FALSE(ScanTilesAlongX(&map_, 0, 100, 70, &out_, false));
    EXPECT_EQ(out_, -999);
    EXPECT_EQ(standingOnBox, 0);
}

TEST_F(ProbeTest, StepsOfEightWithTheEndClampedAndAlwaysTested) {
    AddSolidBox(9, 0, 10, 200);                                     // only x = 9 is solid
    EXPECT_FALSE(ScanTilesAlongX(&map_, 0, 30, 50, &out_, false));  // 0, 8, 16, 24, 30
    EXPECT_TRUE(ScanTilesAlongX(&map_, 1, 30, 50, &out_, false));   // 1, 9, ...
    EXPECT_EQ(out_, 0);
    EXPECT_TRUE(ScanTilesAlongX(&map_, 0, 9, 50, &out_, false));  // 0, 8, then the end 9
    EXPECT_TRUE(ScanTilesAlongX(&map_, 9, 9, 50, &out_, false));
    EXPECT_TRUE(ScanTilesAlongX(&map_, 20, 9, 50, &out_, false));  // a start past the end tests the end
}

TEST_F(ProbeTest, TheLastSolidPointMetWins) {
    SetTile(2, 2, 5);            // x 40-59, row y 40-59
    AddSolidBox(0, 50, 10, 60);  // met first
    EXPECT_TRUE(ScanTilesAlongX(&map_, 0, 60, 55, &out_, false));
    EXPECT_EQ(out_, 40);
    AddSolidBox(100, 45, 110, 60);  // met after the tile
    EXPECT_TRUE(ScanTilesAlongX(&map_, 0, 110, 55, &out_, false));
    EXPECT_EQ(out_, 45);
}

TEST_F(ProbeTest, BoxesAnswerTheirEdgesAndMarkStanding) {
    AddSolidBox(100, 100, 140, 120);
    struct Case {
        const char* probe;
        bool (*scan)(MapData*, int*, bool);
        int edge;
        bool marks;
    } cases[] = {
        {"floor", [](MapData* m, int* o, bool p) { return ScanTilesAlongX(m, 90, 150, 110, o, p); }, 100,
         false},
        {"floor on a platform",
         [](MapData* m, int* o, bool) { return ScanTilesAlongX(m, 90, 150, 110, o, true); }, 100, true},
        {"ceiling", [](MapData* m, int* o, bool p) { return ScanTilesAlongXB(m, 90, 150, 110, o, p); }, 120,
         false},
        {"ceiling on a platform",
         [](MapData* m, int* o, bool) { return ScanTilesAlongXB(m, 90, 150, 110, o, true); }, 120, true},
        {"right side", [](MapData* m, int* o, bool) { return ScanTilesAlongY(m, 90, 130, 120, o); }, 140,
         true},
        {"left side", [](MapData* m, int* o, bool) { return ScanTilesAlongYB(m, 90, 130, 120, o); }, 100,
         true},
    };
    for (const Case& c : cases) {
        standingOnBox = 0;
        EXPECT_TRUE(c.scan(&map_, &out_, false)) << c.probe;
        EXPECT_EQ(out_, c.edge) << c.probe;
        EXPECT_EQ(standingOnBox, c.marks ? 1 : 0) << c.probe;
    }
}

TEST_F(ProbeTest, BeyondTheSidesTheEdgeTileAndTheCornersAreSolid) {
    SetTile(0, 4, 3);  // leftmost tile of the row y 80-99
    EXPECT_TRUE(ScanTilesAlongX(&map_, -60, -10, 85, &out_, false));
    EXPECT_EQ(out_, 80);
    EXPECT_FALSE(ScanTilesAlongX(&map_, -60, -10, 105, &out_, false));
    EXPECT_TRUE(ScanTilesAlongX(&map_, -60, -10, -5, &out_, false));  // corner region above the left
    EXPECT_EQ(out_, 0);
    EXPECT_FALSE(ScanTilesAlongX(&map_, -480, -420, 85, &out_, false));  // beyond the 400-pixel margin
}

TEST_F(ProbeTest, ProbesTakeWorldPositionsWhateverTheCamera) {
    SetTile(3, 2, 5);
    map_.SetCamera(0, 0);
    map_.lockFlags = 0;
    map_.width = map_.height = 40;
    map_.SetCamera(43, 17);
    ASSERT_EQ(map_.layers[0].scrollX, 43);
    EXPECT_TRUE(ScanTilesAlongX(&map_, 60, 60, 50, &out_, false));
    EXPECT_FALSE(ScanTilesAlongX(&map_, 80, 80, 50, &out_, false));
}

TEST_F(ProbeTest, WithoutALayerNothingIsSolid) {
    MapData empty{};
    empty.Clear();
    AddSolidBox(0, 0, 100, 100);
    EXPECT_FALSE(ScanTilesAlongX(&empty, 0, 50, 10, &out_, true));
    EXPECT_FALSE(ScanTilesAlongXB(&empty, 0, 50, 10, &out_, true));
    EXPECT_FALSE(ScanTilesAlongY(&empty, 0, 50, 10, &out_));
    EXPECT_FALSE(ScanTilesAlongYB(&empty, 0, 50, 10, &out_));
    EXPECT_FALSE(ScanTilesAlongX(nullptr, 0, 50, 10, &out_, true));
    EXPECT_EQ(out_, -999);
    EXPECT_EQ(empty.Layer(0), nullptr);
}

// A map of 40 x 30 tiles (800 x 600 pixels): the camera stays within 0..400 and 0..300.
TEST_F(MapTest, CameraClampsAndHonoursTheFourLocks) {
    struct Case {
        uint8_t locks;
        int fromX, fromY, toX, toY, x, y;
    } cases[] = {
        {0, 100, 60, -50, -1, 0, 0},     {0, 100, 60, 1000, 301, 400, 300}, {0, 100, 60, 150, 70, 150, 70},
        {8, 100, 60, 50, 60, 100, 60},   {8, 100, 60, 150, 60, 150, 60},     // left lock
        {4, 100, 60, 150, 60, 100, 60},  {4, 100, 60, 50, 60, 50, 60},       // right lock
        {2, 100, 60, 100, 10, 100, 60},  {2, 100, 60, 100, 90, 100, 90},     // up lock
        {1, 100, 60, 100, 90, 100, 60},  {1, 100, 60, 100, 10, 100, 10},     // down lock
        {15, 100, 60, -9, 999, 100, 60}, {12, 100, 60, 100, 999, 100, 300},  // all, and both sideways
        {4, 500, 60, 450, 60, 400, 60},                                      // a taken move is clamped
    };
    map_.width = 40;
    map_.height = 30;
    for (const Case& c : cases) {
        map_.cameraX = c.fromX;
        map_.cameraY = c.fromY;
        map_.lockFlags = c.locks;
        map_.SetCamera(c.toX, c.toY);
        EXPECT_EQ(map_.cameraX, c.x) << int(c.locks) << " to " << c.toX << "," << c.toY;
        EXPECT_EQ(map_.cameraY, c.y) << int(c.locks) << " to " << c.toX << "," << c.toY;
    }
}

TEST_F(MapTest, LayerScrollsFollowTheCameraByParallaxTruncated) {
    map_.layerCount = 4;
    map_.layers = new LayerData[4];
    const int8_t parallax[] = {6, 3, 0, -3};
    for (int i = 0; i < 4; ++i) map_.layers[i].parallax = parallax[i];
    map_.width = map_.height = 100;
    map_.SetCamera(7, 13);
    const int expectedX[] = {7, 3, 0, -3};
    const int expectedY[] = {13, 6, 0, -6};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(map_.layers[i].scrollX, expectedX[i]) << i;
        EXPECT_EQ(map_.layers[i].scrollY, expectedY[i]) << i;
    }
}

TEST_F(MapTest, RegisterLayersAppendsEachToItsDrawLayer) {
    map_.layerCount = 2;
    map_.layers = new LayerData[2];
    map_.layers[0].drawLayer = 20;
    map_.layers[1].drawLayer = 5;
    ClearDrawLayers();
    map_.RegisterLayers();
    ASSERT_EQ(drawLayerCounts[20], 1);
    EXPECT_EQ(drawLayers[20][0], &map_.layers[0]);
    EXPECT_EQ(drawLayers[5][0], &map_.layers[1]);
}

class LayerDrawTest : public TileLayerTest {
  protected:
    std::vector<recording::Call> Draws() { return Named("DrawImagePart"); }
};

TEST_F(LayerDrawTest, DrawsTheCellsOfTheViewWithScrollAndQuake) {
    LayerData& layer = layer_;
    layer.width = 30;
    layer.height = 20;
    for (int i = 0; i < 600; ++i) layer.tiles[i] = 17;
    layer.tiles[0] = 0;  // not drawn
    layer.tilesetGraphic = 77;
    layer.scrollX = 45;
    layer.scrollY = 27;
    layer.blend = 128;
    layer.tintRed = 10;
    quakeX = 3;
    quakeY = -2;
    layer.Draw();
    const auto draws = Draws();
    EXPECT_EQ(draws.size(), 21u * 16u);
    EXPECT_EQ(draws[0].args, (std::vector<int64_t>{0 - 5 + 3, 0 - 7 - 2, 20, 20, 20, 20, 77, 1, 0}));
    EXPECT_EQ(draws.back().args[0], 400 - 5 + 3);
    EXPECT_EQ(draws.back().args[1], 300 - 7 - 2);
    const auto& calls = recording::Lib().calls;
    EXPECT_EQ(calls.front().name, "SetBlend");
    EXPECT_EQ(calls.front().args, (std::vector<int64_t>{1, 128}));
    EXPECT_EQ(calls[1].args, (std::vector<int64_t>{10, 255, 255}));
    EXPECT_EQ(calls[calls.size() - 2].args, (std::vector<int64_t>{0, 0}));
    EXPECT_EQ(calls.back().args, (std::vector<int64_t>{255, 255, 255}));
}

TEST_F(LayerDrawTest, EmptyTilesAreSkippedAndCornersDrawTileOne) {
    layer_.width = layer_.height = 1;
    layer_.tiles[0] = 0;
    layer_.scrollX = -10;  // the view starts left of the layer: cells on the left are corners
    layer_.scrollY = -10;
    layer_.Draw();
    const auto draws = Draws();
    ASSERT_FALSE(draws.empty());
    for (const auto& draw : draws) EXPECT_EQ(draw.args[2], 20) << "tile 1 at source x 20";
}

// Tile 17 animated with 3 frames every 4 frames of frameCounter; tile 33 lies on the next tileset row.
TEST_F(LayerDrawTest, AnimatedTilesCycleByFrameCounter) {
    layer_.width = layer_.height = 1;
    layer_.tiles[0] = 17;
    layer_.animations[0] = {5, 2, 2};
    layer_.animations[1] = {17, 3, 4};
    layer_.animations[2] = {17, 9, 9};  // only the first match counts
    struct Case {
        int frame, tile;
    } cases[] = {{0, 17}, {3, 17}, {4, 18}, {7, 18}, {8, 19}, {11, 19}, {12, 17}, {400, 18}};
    for (const Case& c : cases) {
        recording::Reset();
        frameCounter = c.frame;
        layer_.scrollX = layer_.scrollY = 0;
        layer_.width = 1;
        layer_.Draw();
        const auto draws = Draws();
        ASSERT_FALSE(draws.empty());
        EXPECT_EQ(draws[0].args[2], c.tile % 16 * 20) << c.frame;
        EXPECT_EQ(draws[0].args[3], c.tile / 16 * 20) << c.frame;
    }
}

TEST_F(MapTest, SpawnsRecordsComingIntoViewAndRecordZeroAnywhere) {
    map_.width = map_.height = 100;
    map_.cameraX = 1000;
    map_.cameraY = 1000;
    map_.objectCount = 6;
    map_.objects = new MapObjectRecord[6]{
        {6, 0, 0, 0, 20, 20, 0},         // record 0, far out of view: spawned anyway
        {-1, 0, 1100, 1100, 20, 20, 0},  // negative type: never
        {7, 0, 1390, 1290, 20, 20, 0},   // overlaps the view's bottom-right corner
        {7, 0, 1400, 1100, 20, 20, 0},   // just right of the view
        {7, 0, 980, 1100, 20, 20, 0},    // just left of the view (x + w = camera x)
        {-5, 0, 0, 0, 20, 20, 0},
    };
    map_.SpawnObjectsInView();
    const uint8_t expected[] = {1, 0, 1, 0, 0, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(map_.objects[i].spawned, expected[i]) << i;
    map_.cameraX = 1020;
    map_.SpawnObjectsInView();
    EXPECT_EQ(map_.objects[3].spawned, 1);
    EXPECT_EQ(map_.objects[1].spawned, 0);
}

}  // namespace
