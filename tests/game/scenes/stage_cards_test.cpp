#include <cstring>
#include <functional>

#include "game/frame/records_file.h"
#include "game/frame/scene_code.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/scenes/stage_clear_task.h"
#include "game/scenes/stage_start_task.h"
#include "tests/game/scene_fixture.h"

namespace {

class StageCardTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        UseTestSoundEffects();
        map_.Clear();
        map_.kind = 1;
        std::strcpy(map_.tunePath, "./bgm/stage1.pttune");
    }
    // Frames until done() holds after a frame (at most limit); -1 when it never does.
    static int FramesUntil(Character& task, const std::function<bool()>& done, int limit = 2000,
                           uint32_t mask = 0) {
        for (int n = 1; n <= limit; ++n) {
            Step(task, mask);
            if (done()) return n;
        }
        return -1;
    }
    static std::vector<std::pair<std::string, int64_t>> TunesStarted() {
        std::vector<std::pair<std::string, int64_t>> tunes;
        int64_t loop = -1;
        for (const auto& call : recording::Lib().calls) {
            if (call.name == "pxtone_Tune_SetLoop") loop = call.args[0];
            if (call.name == "pxtone_Tune_Load") tunes.emplace_back(call.text, loop);
        }
        return tunes;
    }

    MapData map_{};
};

TEST_F(StageCardTest, FullGameStartShowsTheMapThenTheCardAndStartsMusicAndTimer) {
    fullGameMode = 1;
    StageStartTask* start = CreateTask<StageStartTask>(&map_);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->group, kGroupSceneControl);
    EXPECT_EQ(areaIntro, 1);
    EXPECT_EQ(start->state, StageStartTask::kMapPicture);
    EXPECT_EQ(FramesUntil(*start, [&] { return start->panelSize == 220; }), 44);
    ClearCalls();
    start->Draw();
    EXPECT_EQ(RowText(245), "AREA 1");
    EXPECT_EQ(recording::Named("DrawImageStretched").at(0).args,
              (std::vector<int64_t>{0, 0, 400, 220, start->mapGraphic, 1}));
    // Without START or ATTACK the map picture waits 300 frames more.
    EXPECT_EQ(FramesUntil(*start, [&] { return start->state == StageStartTask::kClosing; }), 301);
    EXPECT_EQ(areaIntro, 1);
    EXPECT_EQ(FramesUntil(*start, [&] { return start->state == StageStartTask::kTitleIn; }), 81);
    EXPECT_EQ(start->panelSize, 0);
    EXPECT_EQ(areaIntro, 0);
    EXPECT_EQ(inputEnabled, 0);
    EXPECT_EQ(runTimerStopped, 1);

    ClearCalls();
    Steps(*start, 3);
    EXPECT_TRUE(TunesStarted().empty());
    Step(*start);  // frame 4 of the card: the jingle, once
    EXPECT_EQ(TunesStarted(), (std::vector<std::pair<std::string, int64_t>>{{"./bgm/start.pttune", 0}}));
    EXPECT_EQ(FramesUntil(*start, [&] { return start->state == StageStartTask::kTitleOut; }), 116);
    // The card settled: lines at 100 and 140, the digit at full alpha and natural size.
    EXPECT_EQ(start->lines.firstX, 100.0);
    EXPECT_EQ(start->lines.secondX, 140.0);
    EXPECT_EQ(start->digitAlpha, 255.0);
    EXPECT_NEAR(start->digitScale, 1.0, 1e-9);
    EXPECT_EQ(start->fadeAlpha, 200);

    ClearCalls();
    EXPECT_EQ(FramesUntil(*start, [&] { return start->dead == 1; }), 91);
    EXPECT_EQ(TunesStarted(), (std::vector<std::pair<std::string, int64_t>>{{"./bgm/stage1.pttune", 1}}));
    EXPECT_EQ(inputEnabled, 1);
    EXPECT_EQ(runTimerStopped, 0);
    EXPECT_EQ(bombHeld, 0);
}

TEST_F(StageCardTest, StartOrAttackClosesTheMapPictureEarly) {
    fullGameMode = 1;
    StageStartTask* start = CreateTask<StageStartTask>(&map_);
    Steps(*start, 44);
    Step(*start);
    Step(*start, kStart);
    EXPECT_EQ(start->state, StageStartTask::kClosing);
}

TEST_F(StageCardTest, AreaSelectStartSkipsTheMapAndGivesABomb) {
    fullGameMode = 0;
    StageStartTask* start = CreateTask<StageStartTask>(&map_);
    EXPECT_EQ(start->state, StageStartTask::kTitleIn);
    EXPECT_EQ(areaIntro, 0);
    EXPECT_EQ(inputEnabled, 0);
    EXPECT_NE(FramesUntil(*start, [&] { return start->dead == 1; }), -1);
    EXPECT_EQ(bombHeld, 1);
    EXPECT_EQ(inputEnabled, 1);
}

TEST_F(StageCardTest, BossAreaWaitsForItsIntroAndPlaysTheBossTune) {
    fullGameMode = 0;
    map_.kind = 4;
    StageStartTask* start = CreateTask<StageStartTask>(&map_);
    EXPECT_EQ(start->state, StageStartTask::kBossWait);
    Steps(*start, 500);
    EXPECT_EQ(start->state, StageStartTask::kBossWait);
    EXPECT_EQ(start->fadeAlpha, 0);
    area4IntroShown = 1;
    Step(*start);
    EXPECT_EQ(start->state, StageStartTask::kTitleIn);
    ClearCalls();
    EXPECT_NE(FramesUntil(*start, [&] { return start->dead == 1; }), -1);
    EXPECT_EQ(TunesStarted().back(), (std::pair<std::string, int64_t>{"./bgm/boss2.pttune", 1}));
}

TEST_F(StageCardTest, ClearBoardStoresTheTimeOnFrame120AndShowsANewRecord) {
    const struct {
        int32_t best;
        uint8_t playback;
        bool record;
        bool shown;
    } cases[] = {
        {223508, 0, true, true},    // one frame faster
        {223507, 0, false, false},  // equal is no record
        {223508, 1, true, false},   // a played replay updates the record but does not say so
    };
    for (const auto& c : cases) {
        ResetGame();
        UseTestSoundEffects();
        fontGraphic = kTestFontGraphic;
        fullGameMode = 1;
        map_.kind = 2;
        bestTimes[2] = c.best;
        runTimer = 62 * 3600 + 5 * 60 + 7;
        playbackFlag = c.playback;
        inputEnabled = 0;
        StageClearTask* clear = CreateTask<StageClearTask>(&map_);
        Steps(*clear, 120);
        EXPECT_EQ(areaTimes[1], 0);
        EXPECT_EQ(areaTimeRecorded, 0);
        Step(*clear);
        EXPECT_EQ(areaTimes[1], 223507);
        EXPECT_EQ(areaTimeRecorded, 1);
        EXPECT_EQ(bestTimes[2], c.record ? 223507 : c.best);
        EXPECT_EQ(clear->dimAlpha, 200);
        // 89 frames of rolling digits, a cursor tick every other frame, then the time and the element chime.
        recording::Lib().calls.clear();
        EXPECT_EQ(FramesUntil(*clear, [&] { return clear->state == StageClearTask::kShowing; }), 90);
        const std::vector<int> effects = EffectsPlayed();
        EXPECT_EQ(std::count(effects.begin(), effects.end(), kSeCursor), 44);
        EXPECT_EQ(effects.back(), kSeElement);
        EXPECT_EQ(inputEnabled, 1);
        ClearCalls();
        clear->Draw();
        EXPECT_EQ(RowText(220), "TIME 62:05.07");
        EXPECT_EQ(RowStart(220), 135);
        EXPECT_EQ(RowText(240), c.shown ? "NEW RECORD!" : "");
        Steps(*clear, 8);
        ClearCalls();
        clear->Draw();
        EXPECT_EQ(RowText(240), "");  // blinking
        DeleteAllTasks();
    }
}

TEST_F(StageCardTest, ClearBoardMovesOnByModeAndMapKind) {
    const struct {
        int kind;
        uint8_t full;
        int scene;
    } cases[] = {
        {1, 1, kSceneNextArea},
        {3, 0, kSceneAreaSelect},
        {5, 1, kSceneTitle},
        {6, 0, kSceneTitle},
    };
    for (const auto& c : cases) {
        sceneCode = kSceneStay;
        fullGameMode = c.full;
        map_.kind = c.kind;
        for (int32_t& time : bestTimes) time = kNoBestTime;
        StageClearTask* clear = CreateTask<StageClearTask>(&map_);
        Steps(*clear, 211);
        ASSERT_EQ(clear->state, StageClearTask::kShowing);
        Step(*clear, kAttack);
        EXPECT_EQ(clear->state, StageClearTask::kFadeOut);
        EXPECT_EQ(FramesUntil(*clear, [&] { return clear->dead == 1; }), 51);
        EXPECT_EQ(sceneCode, c.scene);
        // Scripted maps have no area time or best time to keep.
        if (c.kind >= 5) {
            for (int32_t time : bestTimes) EXPECT_EQ(time, kNoBestTime);
            for (int32_t time : areaTimes) EXPECT_EQ(time, 0);
        }
        DeleteAllTasks();
    }
}

TEST_F(StageCardTest, BossAreaClearPlaysTheEruptionFinaleFirst) {
    fullGameMode = 1;
    map_.kind = 4;
    StageClearTask* clear = CreateTask<StageClearTask>(&map_);
    Steps(*clear, 211);
    Step(*clear, kStart);
    ASSERT_EQ(clear->state, StageClearTask::kFinale);
    EXPECT_EQ(clear->timeShown, 0);
    const int effectsBefore = static_cast<int>(EffectsPlayed().size());
    Steps(*clear, 39);
    EXPECT_EQ(taskCounts[kGroupNoCollision], 0);
    Step(*clear);  // frame 40: the quake starts
    EXPECT_EQ(taskCounts[kGroupNoCollision], 1);
    Steps(*clear, 320);  // to frame 360: the eruption
    EXPECT_EQ(taskCounts[kGroupNoCollision], 2);
    std::vector<int> effects = EffectsPlayed();
    effects.erase(effects.begin(), effects.begin() + effectsBefore);
    EXPECT_EQ(std::count(effects.begin(), effects.end(), kSeQuake), 54);  // frames 42, 48, ... 360
    EXPECT_EQ(effects.back(), kSeFunka);
    EXPECT_EQ(clear->flashAlpha, 120);  // up by one a frame from frame 161, at most 120
    EXPECT_EQ(FramesUntil(*clear, [&] { return clear->state == StageClearTask::kFadeOut; }), 240);
    EXPECT_EQ(FramesUntil(*clear, [&] { return clear->dead == 1; }), 51);
    EXPECT_EQ(sceneCode, kSceneNextArea);
}

}  // namespace
