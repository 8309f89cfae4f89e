// Tests of the generated data pack's maps: the working folder is the pack, and a map to load into.
#pragma once

#include <filesystem>

#include "game/map/map_data.h"
#include "tests/game/game_fixture.h"
#include "tests/tools/datapack_fixture.h"

class PackMapTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        std::filesystem::current_path(datapack::PackDir());
        map_.Clear();
    }
    void TearDown() override {
        map_.Unload();
        GameTest::TearDown();
    }

    MapData map_;
};
