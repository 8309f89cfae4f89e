// The game on its generated data pack, in the real program: the opening scene plays to its end and hands
// over to the title, the idle title goes back to the opening, and a new game plays area 1.
#include <string>

#include "game/frame/game_state.h"
#include "game/player/player_task.h"
#include "game/scenes/op_demo_task.h"
#include "game/scenes/stage_start_task.h"
#include "game/scenes/talk_demo_task.h"
#include "game/scenes/title_screen_task.h"
#include "tests/game/live/live_program.h"

namespace {

// What the game shows on this frame: the opening's state and script step, the title's state, the start
// card, or area play with the player's progress in steps of 1000 pixels and whether enemies are about.
std::string DescribeGame() {
    if (auto* opening = FindLiveTask<OpDemoTask>()) {
        std::string text =
            "opening " + std::to_string(opening->state) + " step " + std::to_string(opening->scriptStep);
        if (FindLiveTask<TalkDemoTask>() != nullptr) text += " talking";
        return text;
    }
    if (auto* title = FindLiveTask<TitleScreenTask>()) return "title " + std::to_string(title->state);
    if (auto* start = FindLiveTask<StageStartTask>()) return "start " + std::to_string(start->state);
    if (FindLiveTask<PlayerTask>() != nullptr) {
        std::string text = "area " + std::to_string(areaMap.kind) + " x " +
                           std::to_string(static_cast<int>(playerX) / 1000 * 1000);
        if (taskCounts[kGroupEnemy] > 0) text += " enemies";
        return text;
    }
    return "map kind " + std::to_string(areaMap.kind);
}

class DataPackRunTest : public LiveProgramTest {
  protected:
    void SetUp() override {
        LiveProgramTest::SetUp();
        LinkDataPack();
    }
};

TEST_F(DataPackRunTest, OpeningPlaysToTheTitleAndTheIdleTitleReturnsToIt) {
    ASSERT_EQ(Run("9000 close\n", "", DescribeGame), 0);
    ASSERT_TRUE(HasInOrder(trace_, {"opening 0 step 0", "opening 1 step 0", "opening 1 step 1 talking",
                                    "opening 2", "opening 3", "opening 4", "opening 5", "opening 6",
                                    "opening 7", "title -1", "title 0", "title 1", "opening 0 step 0"}))
        << TraceText();
    // The opening takes its own time (about two minutes) when nothing skips it.
    RecordProperty("openingFrames", FrameOf(trace_, "title -1"));
}

// START at the title (Space) starts a new game; START again skips the map picture; the player then runs
// right, jumping every 40 frames.
std::string NewGameScript() {
    std::string script =
        "5 down 57\n9 up 57\n"    // START skips the opening
        "90 down 57\n94 up 57\n"  // GAME START
        "250 down 57\n254 up 57\n"
        "400 down 205\n";
    for (int f = 420; f < 1800; f += 40)
        script += std::to_string(f) + " down 45\n" + std::to_string(f + 14) + " up 45\n";
    return script + "1800 close\n";
}

TEST_F(DataPackRunTest, NewGamePlaysAreaOneWithItsEnemies) {
    ASSERT_EQ(Run(NewGameScript(), "", DescribeGame), 0);
    EXPECT_TRUE(HasInOrder(trace_, {"opening 0", "title 0", "start -1", "start -2", "start 0", "start 1",
                                    "area 1 x 0", "area 1 x 1000 enemies", "area 1 x 2000", "area 1 x 3000"}))
        << TraceText();
    // START skipped the map picture long before its 300 frames ran out.
    EXPECT_LT(FrameOf(trace_, "start -2") - FrameOf(trace_, "start -1"), 100) << TraceText();
}

}  // namespace
