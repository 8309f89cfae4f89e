// Division of images into textures: piece sizes per edge and the tile grid, with the square-only cut.
#include "engine/graphics/handles/texture_grid.h"

#include <gtest/gtest.h>

namespace {

TEST(TextureGridTest, EdgePiecesFollowThePowerOfTwoRules) {
    struct Case {
        int size, maximum;
        bool exact;
        std::vector<int> pieces;
    } cases[] = {
        {400, 2048, true, {400}},       {400, 2048, false, {512}},
        {520, 2048, false, {1024}},     {3000, 2048, false, {2048, 1024}},
        {2049, 2048, false, {2048, 1}}, {3000, 1024, false, {1024, 1024, 1024}},
        {1, 2048, false, {1}},          {0, 2048, false, {1}},
        {2048, 2048, false, {2048}},    {3000, 2048, true, {2048, 1024}},
        {256, 256, false, {256}},       {1500, 512, false, {512, 512, 512}},
    };
    for (const Case& c : cases) {
        std::vector<int> pieces = {7};  // pieces are appended
        EXPECT_EQ(ChooseTextureEdgeSize(c.size, c.maximum, c.exact, &pieces), int(c.pieces.size())) << c.size;
        pieces.erase(pieces.begin());
        EXPECT_EQ(pieces, c.pieces) << c.size << " max " << c.maximum;
    }
}

TEST(TextureGridTest, GridRunsRowByRowWithUsedSizes) {
    const std::vector<GraphicTextureTile> tiles = BuildTextureGrid(3000, 50, {2048, 1024}, {64}, false);
    ASSERT_EQ(tiles.size(), 2u);
    EXPECT_EQ(tiles[1].x, 2048);
    EXPECT_EQ(tiles[1].textureWidth, 1024);
    EXPECT_EQ(tiles[1].usedWidth, 3000 - 2048);
    EXPECT_EQ(tiles[0].usedWidth, 2048);
    EXPECT_EQ(tiles[0].usedHeight, 50);

    const std::vector<GraphicTextureTile> grid = BuildTextureGrid(600, 600, {512, 128}, {512, 128}, false);
    ASSERT_EQ(grid.size(), 4u);
    EXPECT_EQ(grid[2].x, 0);
    EXPECT_EQ(grid[2].y, 512);
    EXPECT_EQ(grid[3].usedHeight, 88);
}

TEST(TextureGridTest, SquareOnlyCutAppendsSquaresInsideTheImage) {
    struct Case {
        int width, height;
        std::vector<int> columns, rows;
        std::vector<std::pair<int, int>> positions;  // of every tile, in order
    } cases[] = {
        {128, 32, {128}, {32}, {{0, 0}, {32, 0}, {64, 0}, {96, 0}}},
        {65, 20, {128}, {32}, {{0, 0}, {32, 0}, {64, 0}}},  // no square at x 96 past the edge
        {20, 100, {32}, {128}, {{0, 0}, {0, 32}, {0, 64}, {0, 96}}},
    };
    for (const Case& c : cases) {
        const std::vector<GraphicTextureTile> tiles =
            BuildTextureGrid(c.width, c.height, c.columns, c.rows, true);
        ASSERT_EQ(tiles.size(), c.positions.size()) << c.width;
        for (size_t i = 0; i < tiles.size(); ++i) {
            EXPECT_EQ(tiles[i].x, c.positions[i].first) << i;
            EXPECT_EQ(tiles[i].y, c.positions[i].second) << i;
            EXPECT_EQ(tiles[i].textureWidth, 32);
            EXPECT_EQ(tiles[i].textureHeight, 32);
            EXPECT_GT(tiles[i].usedWidth, 0);
            EXPECT_GT(tiles[i].usedHeight, 0);
        }
    }
}

}  // namespace
