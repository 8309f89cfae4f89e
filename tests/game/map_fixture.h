// Tests of the map: a loader's working folder with data/map/ in it, and a map to load into.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "game/map/map_data.h"
#include "tests/game/game_fixture.h"
#include "tests/game/map_file.h"

class MapTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        std::filesystem::create_directories("data/map");
        map_.Clear();
    }
    void TearDown() override {
        map_.Unload();
        GameTest::TearDown();
    }

    // A layer of the given size in memory, its tiles numbered 1, 2, 3 ... row by row (wrapping at 255).
    static void MakeCountingLayer(LayerData& layer, int width, int height) {
        layer.width = width;
        layer.height = height;
        for (int i = 0; i < width * height; ++i) layer.tiles[i] = static_cast<uint8_t>(i % 255 + 1);
    }

    MapData map_{};
};
