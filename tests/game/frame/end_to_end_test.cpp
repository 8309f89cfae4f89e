// The main road through the whole game, driven by WinMain over the recording double with scripted keys
// on a small generated map: the opening demo left by F2, the title, the area select, area 1 with its
// start card, the goal, the clear board, back to the area select, F4 saving the run's replay, Esc; then
// the saved replay played back reaches the same area time.
#include <algorithm>
#include <filesystem>

#include "game/frame/main_loop.h"
#include "game/frame/records_file.h"
#include "game/frame/scene_code.h"
#include "game/frame/task_registry.h"
#include "game/scenes/area_select.h"
#include "game/scenes/stage_clear_task.h"
#include "game/scenes/title_screen_task.h"
#include "tests/game/map_fixture.h"

namespace {

constexpr int kKeyEscape = 1, kKeyF2 = 60, kKeyF4 = 62, kKeyRight = 205, kKeySpace = 57;

template <class T>
T* FindTask(int group) {
    for (int i = 0; i < taskCounts[group]; ++i) {
        if (auto* task = dynamic_cast<T*>(taskGroups[group][i]); task != nullptr && !task->dead) return task;
    }
    return nullptr;
}

class EndToEndTest : public MapTest {
  protected:
    void SetUp() override {
        MapTest::SetUp();
        lastAreaSelectCursor = 0;
        WriteRoadArea("tiles");
    }

    // What the keys do on this frame, decided from what the game shows.
    void Drive(int pump) {
        char* keys = recording::Lib().keys;
        std::fill(keys, keys + 256, 0);
        const bool even = pump % 2 == 0;
        if (areaTimeRecorded && areaTime_ < 0) areaTime_ = areaTimes[0];
        TitleScreenTask* title = FindTask<TitleScreenTask>(kGroupNoCollision);
        if (title != nullptr) titleSeen_ = true;
        if (!titleSeen_) {
            keys[kKeyF2] = 1;  // leave the opening demo
            return;
        }
        if (title != nullptr && title->areaSelect != nullptr) {
            TrialScreenTask* select = title->areaSelect;
            if (areaTime_ < 0) {
                keys[kKeySpace] = even;  // AREA 1
            } else if (select->state == 0 && !saveAsked_) {
                keys[kKeyF4] = 1;
                saveAsked_ = true;
            } else if (select->state == 4 && select->save.step == 1) {
                savedName_ = select->save.name;
                saveResult_ = select->save.result;
                keys[kKeyEscape] = 1;
            }
            return;
        }
        if (title != nullptr) {
            if (title->state != TitleScreenTask::kMenu) return;
            if (title->cursor != 1) {
                keys[208] = even;  // down to AREA SELECT
            } else {
                keys[kKeySpace] = even;
            }
            return;
        }
        StageClearTask* clear = FindTask<StageClearTask>(kGroupSceneControl);
        if (clear != nullptr) {
            if (clear->state == StageClearTask::kShowing) keys[kKeySpace] = even;
            return;
        }
        keys[kKeyRight] = 1;
    }

    int areaTime_ = -1;
    bool titleSeen_ = false;
    bool saveAsked_ = false;
    std::string savedName_;
    int saveResult_ = -2;
};

TEST_F(EndToEndTest, AreaSelectRunToTheGoalSavesAReplayThatPlaysBackToTheSameTime) {
    recording::Lib().onPump = [this](int pump) { Drive(pump); };
    char noReplay[] = "";
    ASSERT_EQ(WinMain(nullptr, nullptr, noReplay, 1), 0);
    ASSERT_GT(areaTime_, 0) << "the goal was never reached";
    RecordProperty("areaTime", areaTime_);
    EXPECT_EQ(saveResult_, 0);
    EXPECT_EQ(savedName_, "area1.rep");
    ASSERT_TRUE(std::filesystem::exists("area1.rep"));
    // The new best time of area 1 was written at the end.
    const std::vector<uint8_t> records = ReadBytes("record.dat");
    ASSERT_EQ(records.size(), 20u);
    EXPECT_EQ(records[4] | records[5] << 8 | records[6] << 16, areaTime_);
    const int pumpsRecorded = recording::Lib().pumpCount;

    // Playback: no keys at all; the program ends when the recorded masks run out.
    ResetGame();
    lastAreaSelectCursor = 0;
    int playedTime = -1;
    recording::Lib().onPump = [&](int) {
        if (areaTimeRecorded && playedTime < 0) playedTime = areaTimes[0];
    };
    std::string replay = "area1.rep";
    ASSERT_EQ(WinMain(nullptr, nullptr, replay.data(), 1), 0);
    EXPECT_EQ(playedTime, areaTime_);
    EXPECT_EQ(playbackFlag, 1);
    EXPECT_LT(recording::Lib().pumpCount, pumpsRecorded);
}

}  // namespace
