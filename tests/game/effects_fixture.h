// Frames of the task registry without a player: sweep, draw layers emptied, every group updated, as the
// main loop runs them; and where a task stands in the draw layers.
#pragma once

#include "game/frame/character.h"
#include "game/frame/task_registry.h"
#include "tests/game/game_fixture.h"
#include "tests/game/task_queries.h"

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

    // Whether the task is still registered in its group.
    static bool Registered(const Character* task, int group) {
        for (int i = 0; i < taskCounts[group]; ++i) {
            if (taskGroups[group][i] == task) return true;
        }
        return false;
    }
};
