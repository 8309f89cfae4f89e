// Shared set-up of the game's tests: every global of the game back to its start value, the recording
// double fresh, and a working directory of the test's own.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/records_file.h"
#include "game/frame/replay_file.h"
#include "game/frame/settings_file.h"
#include "game/frame/task_registry.h"
#include "tests/game/byte_files.h"
#include "tests/game/recording_library.h"

inline void ResetGame() {
    DeleteAllTasks();
    ClearDrawLayers();
    InitSharedGameState();
    ResetSettingsToDefaults();
    ResetBestTimes();
    for (int32_t& time : areaTimes) time = 0;
    replayBuffer.hasData = 0;
    replayBuffer.lastIndex = 0;
    inputNow = inputPrev = scriptedInput = 0;
    inputEnabled = 1;
    playerGraphic = commonGraphic = 0;
    recording::Reset();
}

class GameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGame();
        previous_ = std::filesystem::current_path();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // Parameterised tests carry '/' in their names; the folder must stay one level deep to be removed.
        std::string name = std::string("korvalund_game_") + std::to_string(::getpid()) + "_" +
                           info->test_suite_name() + "_" + info->name();
        std::replace(name.begin(), name.end(), '/', '_');
        dir_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(dir_);
        ResetGame();
    }

    std::filesystem::path dir_;
    std::filesystem::path previous_;
};
