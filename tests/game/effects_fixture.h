// Frames of the task registry without a player: sweep, draw layers emptied, every group updated, as the
// main loop runs them; and where a task stands in the draw layers.
#pragma once

#include "game/character.h"
#include "game/task_registry.h"
#include "tests/game/game_fixture.h"

class EffectsTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        playerGraphic = 7;
        commonGraphic = 8;
    }

    static void Frame() {
        SweepDeadTasks();
        ClearDrawLayers();
        UpdateAllTasks();
    }

    // The draw layer the task was appended to this frame; -1 when none.
    static int LayerOf(const IDraw* task) {
        for (int layer = 0; layer < kDrawLayerCount; ++layer) {
            for (int i = 0; i < drawLayerCounts[layer]; ++i) {
                if (drawLayers[layer][i] == task) return layer;
            }
        }
        return -1;
    }

    // Whether the task is still registered in its group.
    static bool Registered(const Character* task, int group) {
        for (int i = 0; i < taskCounts[group]; ++i) {
            if (taskGroups[group][i] == task) return true;
        }
        return false;
    }
};
