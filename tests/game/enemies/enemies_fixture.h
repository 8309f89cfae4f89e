// An area for the enemy tests: one collision layer of 60 x 20 tiles (1200 x 400 pixels, no scroll), the
// map graphics the enemies look up, effects audible, and frames run as the main loop runs them.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "tests/game/scene_fixture.h"
#include "tests/game/task_queries.h"

constexpr int kTwiggerGraphic = 301, kFloggyGraphic = 302, kCanoxGraphic = 303, kCrustoneGraphic = 304;

class EnemyTest : public SceneTest {
  protected:
    static constexpr int kColumns = 60, kRows = 20;

    void SetUp() override {
        SceneTest::SetUp();
        UseTestSoundEffects();
        map_.Clear();
        map_.layers = new LayerData[1];
        map_.layerCount = 1;
        map_.layers[0].width = kColumns;
        map_.layers[0].height = kRows;
        map_.layers[0].parallax = 6;
        const char* names[] = {"twigger", "floggy", "canox", "crustone"};
        const int handles[] = {kTwiggerGraphic, kFloggyGraphic, kCanoxGraphic, kCrustoneGraphic};
        map_.graphics = new MapGraphicEntry[4]();
        map_.graphicCount = 4;
        for (int i = 0; i < 4; ++i) {
            std::snprintf(map_.graphics[i].name, kMapNameLength, "%s", names[i]);
            map_.graphics[i].graphic = handles[i];
        }
        solidBoxCount = 0;
    }
    void TearDown() override {
        DeleteAllTasks();
        map_.Unload();
        SceneTest::TearDown();
    }

  public:
    void Fill(int column0, int row0, int column1, int row1, uint8_t id = 1) {
        for (int row = row0; row <= row1; ++row) {
            for (int column = column0; column <= column1; ++column)
                map_.layers[0].tiles[row * kColumns + column] = id;
        }
    }
    // Solid ground from the row down, across the whole layer.
    void Ground(int row) { Fill(0, row, kColumns - 1, kRows - 1); }

  protected:
    static MapObjectRecord Record(int type, int x, int y, int w, int h, int param = 0) {
        return {type, param, x, y, w, h, 0};
    }

    // One frame as the main loop runs it (without the collision pass): sweep, layers emptied, updates.
    static void Frame() {
        SweepDeadTasks();
        ClearDrawLayers();
        UpdateAllTasks();
    }
    // One frame; the tasks of class T in the group that it created.
    template <class T>
    static std::vector<T*> FrameAndNewTasks(int group) {
        const std::vector<T*> before = TasksOf<T>(group);
        Frame();
        std::vector<T*> created;
        for (T* task : TasksOf<T>(group)) {
            if (std::find(before.begin(), before.end(), task) == before.end()) created.push_back(task);
        }
        return created;
    }

    MapData map_{};
};
