// The main road of the game in the real program, with scripted keys on a small generated area 1: the
// opening left by F2, the title, the area select, area 1 with its start card, the goal, the clear board,
// back to the area select, F4 saving the run's replay, Esc. Then the saved replay, played back, reaches
// the same area time.
#include <string>

#include "game/devices/goal_flower_task.h"
#include "game/frame/game_state.h"
#include "game/frame/records_file.h"
#include "game/player/player_task.h"
#include "game/scenes/area_select.h"
#include "game/scenes/stage_clear_task.h"
#include "game/scenes/stage_start_task.h"
#include "game/scenes/title_screen_task.h"
#include "tests/game/live/live_program.h"
#include "tests/game/map_file.h"

namespace {

// What the road shows on this frame.
std::string DescribeRoad() {
    if (auto* title = FindLiveTask<TitleScreenTask>()) {
        if (TrialScreenTask* select = title->areaSelect) {
            if (select->state == TrialScreenTask::kSavingReplay)
                return "select saving step " + std::to_string(select->save.step) + " result " +
                       std::to_string(select->save.result) + " name " + select->save.name;
            return "select " + std::to_string(select->state) + " cursor " + std::to_string(select->cursor);
        }
        return "title " + std::to_string(title->state) + " cursor " + std::to_string(title->cursor);
    }
    if (auto* clear = FindLiveTask<StageClearTask>()) {
        std::string text = "clear " + std::to_string(clear->state);
        if (areaTimeRecorded) text += " time " + std::to_string(areaTimes[0]);
        return text;
    }
    if (auto* goal = FindLiveTask<GoalFlowerTask>();
        goal != nullptr && goal->state != GoalFlowerTask::kWaiting)
        return "goal " + std::to_string(goal->state);
    if (auto* start = FindLiveTask<StageStartTask>()) return "start " + std::to_string(start->state);
    if (FindLiveTask<PlayerTask>() != nullptr) return "area " + std::to_string(areaMap.kind) + " play";
    return "map kind " + std::to_string(areaMap.kind);
}

class MainRoadTest : public LiveProgramTest {
  protected:
    void SetUp() override {
        LiveProgramTest::SetUp();
        LinkDataPack();
        std::filesystem::current_path(Path(""));
        std::filesystem::remove("data/map/1.dat");  // the data pack's own area 1
        WriteRoadArea("tiles1");
    }
    void TearDown() override {
        std::filesystem::current_path(std::filesystem::temp_directory_path());
        LiveProgramTest::TearDown();
    }
};

// The area time of the first "clear ... time T" line of the trace; -1 when none.
int AreaTimeOf(const std::vector<std::string>& trace) {
    for (const std::string& line : trace) {
        const size_t at = line.find(" time ");
        if (line.find(" clear ") != std::string::npos && at != std::string::npos)
            return std::stoi(line.substr(at + 6));
    }
    return -1;
}

// Keys by frame (DirectInput codes: F2 60, Down 208, Space 57, Right 205, F4 62, Esc 1). The frames sit
// well inside the phases they act in: the title menu is up from frame 58, the area select from 91, the
// player has control from 404 and the clear board takes keys from 821.
constexpr const char* kRoadScript =
    "5 down 60\n10 up 60\n"       // leave the opening
    "70 down 208\n74 up 208\n"    // down to AREA SELECT
    "90 down 57\n94 up 57\n"      // open it
    "140 down 57\n144 up 57\n"    // AREA 1
    "300 down 205\n600 up 205\n"  // run right to the goal
    "840 down 57\n844 up 57\n"    // leave the clear board
    "920 down 62\n924 up 62\n"    // save the replay
    "960 down 1\n";               // quit

TEST_F(MainRoadTest, AreaSelectRunToTheGoalSavesAReplayThatPlaysBackToTheSameTime) {
    ASSERT_EQ(Run(kRoadScript, "", DescribeRoad), 0);
    ASSERT_TRUE(HasInOrder(
        trace_, {"title 0 cursor 0", "title 0 cursor 1", "select 0 cursor 0", "start 0", "area 1 play",
                 "goal 1", "clear 2 time", "select 0", "select saving step 1 result 0 name area1.rep"}))
        << TraceText();
    const int areaTime = AreaTimeOf(trace_);
    ASSERT_GT(areaTime, 0) << TraceText();
    RecordProperty("areaTime", areaTime);

    // The run's best time was saved at the end, and the replay names its area and mode.
    const std::vector<uint8_t> records = ReadBytes("record.dat");
    ASSERT_EQ(records.size(), 20u);
    EXPECT_EQ(records[4] | records[5] << 8 | records[6] << 16 | records[7] << 24, areaTime);
    const std::vector<uint8_t> replay = ReadBytes("area1.rep");
    ASSERT_GT(replay.size(), 69u);
    EXPECT_EQ(std::string(replay.begin(), replay.begin() + 3), "KVR");
    EXPECT_EQ(replay[11], 0) << "area-select mode";
    EXPECT_EQ(replay[12], 1) << "area 1";
    const std::vector<std::string> recordedTrace = trace_;

    // Playback takes no keys; the close far behind the replay's end only bounds a run that ignored it
    // (which would then write the settings again).
    std::filesystem::remove("setting.dat");
    ASSERT_EQ(Run("20000 close\n", "area1.rep", DescribeRoad), 0);
    EXPECT_EQ(AreaTimeOf(trace_), areaTime) << TraceText();
    EXPECT_TRUE(HasInOrder(trace_, {"start 0", "area 1 play", "goal 1", "clear 2"})) << TraceText();
    EXPECT_FALSE(HasInOrder(trace_, {"title"})) << "playback skips the title";
    EXPECT_FALSE(std::filesystem::exists("setting.dat"));
    // Played back frame for frame, the goal is reached on the same frame of the area.
    EXPECT_EQ(FrameOf(trace_, "goal 1") - FrameOf(trace_, "start 0"),
              FrameOf(recordedTrace, "goal 1") - FrameOf(recordedTrace, "start 0"));
}

}  // namespace
