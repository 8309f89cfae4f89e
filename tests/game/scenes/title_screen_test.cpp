#include <filesystem>

#include "game/frame/records_file.h"
#include "game/frame/replay_file.h"
#include "game/frame/scene_code.h"
#include "game/frame/task_registry.h"
#include "game/scenes/area_select.h"
#include "game/scenes/title_screen_task.h"
#include "game/sound_text/sound_effects.h"
#include "tests/game/scene_fixture.h"

namespace {

constexpr int kKeyF4 = 62;

class TitleTest : public SceneTest {
  protected:
    TitleScreenTask* NewTitle() {
        TitleScreenTask* title = CreateTask<TitleScreenTask>();
        EXPECT_NE(title, nullptr);
        return title;
    }
    // A title past its 51 frames of fade-in, on its menu.
    TitleScreenTask* TitleOnMenu() {
        TitleScreenTask* title = NewTitle();
        Steps(*title, 51);
        EXPECT_EQ(title->state, TitleScreenTask::kMenu);
        return title;
    }
    void SetUp() override {
        SceneTest::SetUp();
        UseTestSoundEffects();
        lastAreaSelectCursor = 0;
    }
};

TEST_F(TitleTest, TwoItemsWithoutAFastTotalTimeAndTheCursorWrapsBetweenThem) {
    bestTimes[0] = kAreaSelectUnlockTime;  // not below 600 minutes
    TitleScreenTask* title = TitleOnMenu();
    EXPECT_EQ(title->itemCount, 2);
    Press(*title, kInputDown);
    EXPECT_EQ(title->cursor, 1);
    Press(*title, kInputDown);
    EXPECT_EQ(title->cursor, 0);
    Press(*title, kInputUp);
    EXPECT_EQ(title->cursor, 1);
    ClearCalls();
    title->Draw();
    EXPECT_EQ(RowText(200), "GAME START");
    EXPECT_EQ(RowText(220), "OPTIONS");
    EXPECT_EQ(RowStart(220), 165);
    EXPECT_EQ(RowText(240), "");
    EXPECT_EQ(RowText(10), "");  // no best time line
    // Credit and version lines while there is no replay to save.
    EXPECT_EQ(RowText(290).substr(28), "VERSION 1.01");
}

TEST_F(TitleTest, ThreeItemsAndTheBestTimeOnceATotalBelow600MinutesIsRecorded) {
    const struct {
        int32_t best;
        const char* shown;
    } cases[] = {
        {62 * 3600 + 5 * 60 + 7, "BEST TIME  62:05.07"},
        {kAreaSelectUnlockTime - 1, "BEST TIME  99:59.59"},  // 599 minutes shows as 99:59.59
        {99 * 3600 + 59 * 60 + 58, "BEST TIME  99:59.58"},
    };
    for (const auto& c : cases) {
        bestTimes[0] = c.best;
        TitleScreenTask* title = TitleOnMenu();
        EXPECT_EQ(title->itemCount, 3);
        ClearCalls();
        title->Draw();
        EXPECT_EQ(RowText(10), c.shown);
        EXPECT_EQ(RowStart(10), 105);
        EXPECT_EQ(RowText(220), "AREA SELECT");
        EXPECT_EQ(RowText(240), "OPTIONS");
        title->dead = 1;
    }
}

TEST_F(TitleTest, FadesInThenIdlesToTheOpeningDemoWithAFadeOut) {
    TitleScreenTask* title = NewTitle();
    Steps(*title, 50);
    EXPECT_EQ(title->state, TitleScreenTask::kFadeIn);
    EXPECT_EQ(title->fadeAlpha, 5);
    ClearCalls();
    title->Draw();
    EXPECT_EQ(LastCoverAlpha(), 5);
    Step(*title);
    EXPECT_EQ(title->state, TitleScreenTask::kMenu);
    EXPECT_EQ(title->fadeAlpha, 0);

    Steps(*title, 601);  // idle counter 0 to 600
    EXPECT_EQ(title->state, TitleScreenTask::kMenu);
    Step(*title);
    EXPECT_EQ(title->state, TitleScreenTask::kFadeOut);
    Steps(*title, 84);
    EXPECT_EQ(title->fadeAlpha, 252);
    EXPECT_EQ(title->dead, 0);
    areaNumber = 3;
    Step(*title);
    EXPECT_EQ(title->dead, 1);
    EXPECT_EQ(sceneCode, kSceneOpeningDemo);
    EXPECT_EQ(areaNumber, 3);
}

TEST_F(TitleTest, AnyCursorMoveRestartsTheIdleCount) {
    TitleScreenTask* title = TitleOnMenu();
    Steps(*title, 500);
    Press(*title, kInputDown);
    Steps(*title, 500);
    EXPECT_EQ(title->state, TitleScreenTask::kMenu);
}

TEST_F(TitleTest, GameStartFadesOutToAreaOneInTheFullGame) {
    sceneCode = kSceneTitle;
    areaNumber = 4;
    TitleScreenTask* title = TitleOnMenu();
    Step(*title, kAttack);
    EXPECT_EQ(title->state, TitleScreenTask::kFadeOut);
    Steps(*title, 84);
    EXPECT_EQ(title->dead, 0);
    Step(*title);
    EXPECT_EQ(title->dead, 1);
    EXPECT_EQ(areaNumber, 1);
    EXPECT_EQ(sceneCode, kSceneTitle);
    EXPECT_EQ(EffectsPlayed(), std::vector<int>{kSeBreak});
}

TEST_F(TitleTest, SceneCodeSixOpensTheAreaSelectAtOnceWithTheLastCursor) {
    sceneCode = kSceneAreaSelect;
    lastAreaSelectCursor = 2;
    TitleScreenTask* title = NewTitle();
    Step(*title);
    ASSERT_NE(title->areaSelect, nullptr);
    EXPECT_EQ(title->state, TitleScreenTask::kAreaSelect);
    EXPECT_EQ(title->cursor, 1);
    EXPECT_EQ(title->fadeAlpha, 0);
    EXPECT_EQ(title->areaSelect->cursor, 2);
    // EXIT (two steps right of AREA 3) returns to the menu with scene code 1.
    Press(*title, kInputRight);
    Press(*title, kInputRight);
    EXPECT_EQ(lastAreaSelectCursor, 4);
    Step(*title, kStart);
    EXPECT_EQ(sceneCode, kSceneTitle);
    EXPECT_EQ(title->areaSelect, nullptr);
    EXPECT_EQ(title->state, TitleScreenTask::kMenu);
    EXPECT_EQ(title->dead, 0);
}

TEST_F(TitleTest, ChoosingAnAreaEndsTheTitleInAreaSelectMode) {
    bestTimes[0] = 1000;
    bestTimes[3] = 3 * 3600 + 2 * 60 + 1;
    TitleScreenTask* title = TitleOnMenu();
    Press(*title, kInputDown);
    Step(*title, kStart);
    ASSERT_NE(title->areaSelect, nullptr);
    EXPECT_EQ(title->areaSelect->cursor, 0);  // opened from the menu at AREA 1
    Press(*title, kInputLeft);                // wraps to EXIT
    EXPECT_EQ(title->areaSelect->cursor, 4);
    Press(*title, kInputLeft);
    Press(*title, kInputLeft);
    EXPECT_EQ(title->areaSelect->cursor, 2);
    ClearCalls();
    title->Draw();
    EXPECT_EQ(RowText(230).find("AREA 3"), 2u);  // between the arrows
    EXPECT_EQ(RowText(250), "BEST TIME  03:02.01");
    Step(*title, kStart);
    Steps(*title, 50);
    EXPECT_EQ(title->dead, 0);
    Step(*title);
    EXPECT_EQ(title->dead, 1);
    EXPECT_EQ(title->fadeAlpha, 255);
    EXPECT_EQ(fullGameMode, 0);
    EXPECT_EQ(areaNumber, 3);
}

TEST_F(TitleTest, AreaFrameBlinksWhileChoosingAndStaysOnceChosen) {
    TrialScreenTask screen;
    screen.cursor = 3;
    int frames = 0;
    for (int f = 0; f < 16; ++f) {
        ClearCalls();
        screen.Draw();
        frames += recording::Count("DrawBoxShape") == 4 ? 1 : 0;  // cover, two outlines, fade
        ++screen.counter;
    }
    EXPECT_EQ(frames, 8);
    screen.state = 1;
    ClearCalls();
    screen.Draw();
    const auto outlines = recording::Named("DrawBoxShape");
    ASSERT_EQ(outlines.size(), 4u);
    EXPECT_EQ(outlines[1].args, (std::vector<int64_t>{282, 98, 342, 122, 0xFF0000, 0}));
    EXPECT_EQ(outlines[2].args, (std::vector<int64_t>{283, 99, 341, 121, 0xFF0000, 0}));
}

TEST_F(TitleTest, F4WithoutReplayDataDoesNothing) {
    recording::Lib().keys[kKeyF4] = 1;
    TitleScreenTask* title = TitleOnMenu();
    Step(*title);
    EXPECT_EQ(title->state, TitleScreenTask::kMenu);
    EXPECT_FALSE(std::filesystem::exists("replay.rep"));
}

TEST_F(TitleTest, F4SavesTheReplayUnderAFreeNameAndShowsIt) {
    StartReplayRecording(1, 1, 7);
    replayBuffer.lastIndex = 3;
    WriteBytes("replay.rep", {1, 2, 3});  // an earlier save is never overwritten
    TitleScreenTask* title = TitleOnMenu();
    ClearCalls();
    title->Draw();
    EXPECT_EQ(RowText(280), "[ PRESS F4 TO SAVE REPLAY DATA ]");
    EXPECT_EQ(RowText(290), "");

    recording::Lib().keys[kKeyF4] = 1;
    Step(*title);
    recording::Lib().keys[kKeyF4] = 0;
    EXPECT_EQ(title->state, TitleScreenTask::kSavingReplay);
    ClearCalls();
    title->Draw();
    EXPECT_EQ(FontTexts(), std::vector<std::string>{"リプレイデータを保存中です……"});

    Step(*title);
    ClearCalls();
    title->Draw();
    EXPECT_EQ(FontTexts(), (std::vector<std::string>{"リプレイデータを以下のファイルに保存しました。",
                                                     "Korvalund.exeにドラッグ&ドロップで再生できます。",
                                                     "replay(2).rep"}));
    EXPECT_EQ(ReadBytes("replay.rep"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(ReadBytes("replay(2).rep").size(), 69u + 4u * 3u);
    Steps(*title, 10);
    EXPECT_EQ(title->state, TitleScreenTask::kSavingReplay);
    Step(*title, kStart);
    EXPECT_EQ(title->state, TitleScreenTask::kMenu);
}

TEST_F(TitleTest, AFailedSaveShowsTheFailure) {
    StartReplayRecording(0, 2, 7);
    // A working folder that no longer exists: no file can be created.
    const auto gone = dir_ / "gone";
    std::filesystem::create_directories(gone);
    std::filesystem::current_path(gone);
    std::filesystem::remove(gone);
    TitleScreenTask* title = TitleOnMenu();
    recording::Lib().keys[kKeyF4] = 1;
    Step(*title);
    recording::Lib().keys[kKeyF4] = 0;
    Step(*title);
    ClearCalls();
    title->Draw();
    EXPECT_EQ(FontTexts(), std::vector<std::string>{"リプレイデータの保存に失敗しました。"});
    std::filesystem::current_path(dir_);
}

TEST_F(TitleTest, OptionsStopsTheMusicAndTheOptionScreenReturnsToTheMenu) {
    TitleScreenTask* title = TitleOnMenu();
    Press(*title, kInputUp);  // OPTIONS of two items
    Step(*title, kStart);
    ASSERT_NE(title->optionScreen, nullptr);
    EXPECT_EQ(title->state, TitleScreenTask::kOptionScreen);
    EXPECT_EQ(recording::Count("pxtone_Tune_Stop"), 1);
    title->optionScreen->cursor = 5;  // EXIT
    Step(*title, 0);
    Step(*title, kStart);
    EXPECT_EQ(title->optionScreen, nullptr);
    EXPECT_EQ(title->state, TitleScreenTask::kMenu);
    EXPECT_TRUE(std::filesystem::exists("setting.dat"));
}

}  // namespace
