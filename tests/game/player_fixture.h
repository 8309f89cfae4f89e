// A small in-memory area for the player's tests: layer 0 drawn as text rows ('#' solid tile 1, 'B'
// breakable tile 65, '.' empty), the camera at the top-left, and frames run as the main loop runs them
// (sweep, draw layers emptied, every group updated) under a scripted input mask.
#pragma once

#include <string>
#include <vector>

#include "game/frame/key_config.h"
#include "game/frame/task_factory.h"
#include "game/map/map_data.h"
#include "game/player/player_task.h"
#include "game/sound_text/sound_effects.h"
#include "tests/game/game_fixture.h"

class PlayerTest : public GameTest {
  protected:
    static constexpr int kSoundBase = 1000;

    void SetUp() override {
        GameTest::SetUp();
        map_.Clear();
        for (int id = 0; id < kSoundEffectCount; ++id) {
            soundEffects[id] = kSoundBase + id;
            soundEffectVolume[id] = 255;
        }
        playerGraphic = 7;
        commonGraphic = 8;
    }
    void TearDown() override {
        DeleteAllTasks();
        map_.Unload();
        GameTest::TearDown();
    }

    // Rows of equal length; the map is exactly as big as the rows.
    void BuildMap(const std::vector<std::string>& rows) {
        map_.width = static_cast<int32_t>(rows[0].size());
        map_.height = static_cast<int32_t>(rows.size());
        map_.layerCount = 2;
        map_.layers = new LayerData[2];
        for (int i = 0; i < 2; ++i) {
            map_.layers[i].width = map_.width;
            map_.layers[i].height = map_.height;
            map_.layers[i].parallax = 6;
        }
        for (int r = 0; r < map_.height; ++r) {
            for (int c = 0; c < map_.width; ++c) {
                const char cell = rows[r][c];
                map_.layers[0].tiles[r * map_.width + c] = cell == '#' ? 1 : cell == 'B' ? kBreakableTile : 0;
            }
        }
    }
    // An open area of the given size in tiles with a floor along row 10 (top at y 200).
    void BuildFloorMap(int width = 40, int height = 15) {
        std::vector<std::string> rows(height, std::string(width, '.'));
        rows[10] = std::string(width, '#');
        BuildMap(rows);
    }
    void SetTile(int column, int row, int id) { map_.layers[0].tiles[row * map_.width + column] = id; }
    int Tile(int column, int row) const { return map_.layers[0].tiles[row * map_.width + column]; }

    PlayerTask* MakePlayer(int x, int y) {
        map_.playerStartX = x;
        map_.playerStartY = y;
        player_ = static_cast<PlayerTask*>(CreatePlayerTask(&map_));
        return player_;
    }

    // One frame with the given mask.
    void Step(uint32_t mask) {
        inputPrev = inputNow;
        inputNow = mask;
        SweepDeadTasks();
        ClearDrawLayers();
        UpdateAllTasks();
    }
    void Steps(uint32_t mask, int frames) {
        for (int i = 0; i < frames; ++i) Step(mask);
    }

    static uint32_t Jump() { return static_cast<uint32_t>(keyConfig.padJump); }

    // How often an effect was started (stopped and played from the top through its handle).
    static int Played(int effect) {
        int count = 0;
        for (const auto& call : recording::Named("PlaySoundHandle"))
            count += call.args[0] == kSoundBase + effect;
        return count;
    }

    // The tasks of the no-collision group (the player's effects).
    static std::vector<Character*> Effects() {
        return {taskGroups[kGroupNoCollision], taskGroups[kGroupNoCollision] + taskCounts[kGroupNoCollision]};
    }

    static bool Drawn(const PlayerTask* player) {
        for (int i = 0; i < drawLayerCounts[kPlayerDrawLayer]; ++i) {
            if (drawLayers[kPlayerDrawLayer][i] == player) return true;
        }
        return false;
    }

    MapData map_{};
    PlayerTask* player_ = nullptr;
};
