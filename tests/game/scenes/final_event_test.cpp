// The final scene: the fade-in on the looping shaft with its quake sounds and eruption, the banner, the
// results board's rows, total, bonuses and record, the confirm that must be a new press, and the
// fade-out that moves the game on; also played whole through the main loop from a replay.
#include <climits>
#include <string>
#include <vector>

#include "game/devices/funka_magma_task.h"
#include "game/frame/key_config.h"
#include "game/frame/main_loop.h"
#include "game/frame/records_file.h"
#include "game/frame/scene_code.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/scenes/event2_task.h"
#include "tests/game/map_fixture.h"
#include "tests/game/scene_fixture.h"
#include "tests/tools/datapack_fixture.h"

namespace {

constexpr int kLogoGraphic = 100;  // the recording double's first graphic handle

int AllTasks() {
    int count = 0;
    for (int g = 0; g < kGroupCount; ++g) count += taskCounts[g];
    return count;
}

class FinalEventTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        PrepareCase();
    }
    void TearDown() override {
        DeleteAllTasks();
        map_.Unload();
        SceneTest::TearDown();
    }

    // Every global and the double fresh, and the shaft map with the camera at 1400.
    void NextCase() {
        DeleteAllTasks();
        map_.Unload();
        ResetGame();
        PrepareCase();
    }
    void PrepareCase() {
        UseTestSoundEffects();
        map_.Clear();
        // A shaft 20 x 100 tiles: the camera can go from 0 to 1700.
        map_.kind = 5;
        map_.width = 20;
        map_.height = 100;
        map_.layerCount = 1;
        map_.layers = new LayerData[1];
        map_.layers[0].width = 20;
        map_.layers[0].height = 100;
        map_.layers[0].parallax = 6;
        map_.SetCamera(0, 1400);
        recording::Lib().nextGraphic = kLogoGraphic;
    }

    Event2Task* Spawn() {
        record_ = {39, 0, 0, 0, 400, 300, 0};
        return dynamic_cast<Event2Task*>(SpawnMapObject(&map_, &record_));
    }
    // Frames until the state changes (at most limit); the number of frames run.
    static int RunWhileState(Event2Task& task, int stateNow, int limit = 2000, uint32_t mask = 0) {
        int frames = 0;
        while (task.state == stateNow && frames < limit) {
            Step(task, mask);
            ++frames;
        }
        return frames;
    }
    // Straight to the results board with the given run.
    Event2Task* ToResults(const std::vector<int32_t>& times, int stock) {
        for (int i = 0; i < kAreaTimeCount; ++i) areaTimes[i] = times[i];
        playerStock = stock;
        Event2Task* task = Spawn();
        RunWhileState(*task, Event2Task::kRising);
        RunWhileState(*task, Event2Task::kBanner);
        return task;
    }
    static void DrawFrame(Event2Task& task) {
        ClearCalls();
        task.Draw();
    }

    MapData map_{};
    MapObjectRecord record_{};
};

TEST_F(FinalEventTest, RecordOfTheFinalTypeMakesTheSceneTaskWithTheLogo) {
    Event2Task* task = Spawn();
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->group, kGroupSceneControl);
    EXPECT_EQ(task->drawLayer, 1);
    EXPECT_EQ(recording::Named("LoadGraphFile").at(0).text, "./data/graphics/logo.png");
    EXPECT_EQ(task->graphic, kLogoGraphic);
    EXPECT_EQ(task->coverAlpha, 255);
    EXPECT_EQ(task->bannerX, 400.0);
    task->dead = 1;
    SweepDeadTasks();
    EXPECT_EQ(recording::Named("FreeGraphic").at(0).args.at(0), kLogoGraphic);
}

TEST_F(FinalEventTest, RisingFadesInMakesTheFigureAndTheEruptionAndQuakesEverySixFrames) {
    Event2Task* task = Spawn();
    Step(*task);
    EXPECT_EQ(AllTasks(), 2);  // the figure
    EXPECT_EQ(task->coverAlpha, 250);
    Steps(*task, 249);
    EXPECT_EQ(AllTasks(), 2);
    Step(*task);               // counter 250
    EXPECT_EQ(AllTasks(), 3);  // the eruption
    EXPECT_EQ(task->coverAlpha, 0);
    const int frames = 251 + RunWhileState(*task, Event2Task::kRising);
    EXPECT_EQ(frames, 501);
    EXPECT_EQ(AllTasks(), 3);
    int quakes = 0;
    for (int id : EffectsPlayed()) {
        EXPECT_EQ(id, kSeQuake);
        ++quakes;
    }
    EXPECT_EQ(quakes, 84);  // counters 0, 6, ..., 498
}

TEST_F(FinalEventTest, CameraClimbsSixAndSevenAndLoopsNineHundredDownWithEveryTask) {
    map_.SetCamera(0, 100);
    Event2Task* task = Spawn();
    Step(*task);
    EXPECT_EQ(map_.cameraY, 94);
    Step(*task);
    EXPECT_EQ(map_.cameraY, 87);
    Character* figure = taskGroups[kGroupNoCollision][0];
    figure->y = 500.0;
    figure->x = 30.0;
    std::vector<int> seen;
    for (int i = 0; i < 8; ++i) {
        Step(*task);
        seen.push_back(map_.cameraY);
    }
    // 87 - 6 = 81, 74, 68, 61, 55, 48, 42, then 35 is below 40: 935.
    EXPECT_EQ(seen, (std::vector<int>{81, 74, 68, 61, 55, 48, 42, 935}));
    EXPECT_EQ(figure->y, 1400.0);
    EXPECT_EQ(figure->x, 30.0);
    EXPECT_EQ(task->y, 0.0);
    EXPECT_EQ(map_.lockFlags, kLockDown);
    EXPECT_EQ(cameraY, 0);  // the drawing camera is the figure's to set
}

TEST_F(FinalEventTest, BannerWaitsForBlackSlidesInAndBrakesToAStop) {
    Event2Task* task = Spawn();
    RunWhileState(*task, Event2Task::kRising);
    const int cameraAtBlack = map_.cameraY;
    std::vector<double> xs;
    int frames = 0;
    while (task->state == Event2Task::kBanner && frames < 500) {
        Step(*task);
        xs.push_back(task->bannerX);
        ++frames;
    }
    // 51 frames fade to black (the counter held at 0), 40 more frames of waiting, 41 at speed 8 down to
    // 72, then 16 braking by 0.5: 72 - 60 = 12.
    EXPECT_EQ(task->coverAlpha, 255);
    EXPECT_EQ(frames, 51 + 40 + 41 + 16);
    EXPECT_EQ(xs[51 + 40 - 1], 400.0);
    EXPECT_EQ(xs[51 + 40], 392.0);
    EXPECT_EQ(xs[51 + 40 + 40], 72.0);
    EXPECT_EQ(xs[51 + 40 + 41], 64.5);
    EXPECT_EQ(task->bannerX, 12.0);
    EXPECT_EQ(task->param, 0.0);
    EXPECT_EQ(task->state, Event2Task::kResults);
    EXPECT_EQ(task->counter, -19);
    // Once the screen is black the camera stops climbing.
    EXPECT_LT(map_.cameraY, cameraAtBlack);
    const int stopped = map_.cameraY;
    Steps(*task, 5);
    EXPECT_EQ(map_.cameraY, stopped);
}

struct BoardCase {
    const char* label;
    std::vector<int32_t> times;
    int stock;
    int32_t best;
    const char* total;  // as the board shows it
    uint8_t fastBonus, stockBonus, newRecord;
    int32_t wantBest;
};

TEST_F(FinalEventTest, ResultsBoardAddsUpTheRunAndGrantsBonusesAndTheRecord) {
    const BoardCase cases[] = {
        {"one frame under 3 minutes", {2700, 2700, 2700, 2699}, 2, kNoBestTime, "02:59.59", 1, 0, 1, 10799},
        {"exactly 3 minutes", {2700, 2700, 2700, 2700}, 2, kNoBestTime, "03:00.00", 0, 0, 1, 10800},
        {"equal to the best", {3600, 3600, 3600, 3600}, 14, 14400, "04:00.00", 0, 0, 0, 14400},
        {"one under the best", {3600, 3600, 3600, 3599}, 15, 14400, "03:59.59", 0, 1, 1, 14399},
        {"100 minutes or more", {360000, 0, 0, 0}, 40, 100, "99:59.59", 0, 1, 0, 100},
        {"four longest times",
         {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},
         0,
         kNoBestTime,
         "99:59.59",
         0,
         0,
         0,
         kNoBestTime},
    };
    for (const BoardCase& c : cases) {
        SCOPED_TRACE(c.label);
        NextCase();
        bestTimes[0] = c.best;
        Event2Task* task = ToResults(c.times, c.stock);
        ClearCalls();
        const int frames = RunWhileState(*task, Event2Task::kResults);
        EXPECT_EQ(frames, 450);  // counter -19 to 430
        EXPECT_EQ(task->fastTotalBonus, c.fastBonus);
        EXPECT_EQ(task->stockBonus, c.stockBonus);
        EXPECT_EQ(task->newRecord, c.newRecord);
        EXPECT_EQ(finalEventFlag, c.fastBonus || c.stockBonus ? 1 : 0);
        EXPECT_EQ(bestTimes[0], c.wantBest);
        // Four rows with the element sound, 45 rolling ticks, then the total's and the stock's sounds.
        std::vector<int> sounds(4, kSeElement);
        sounds.insert(sounds.end(), 45, kSeCursor);
        sounds.push_back(c.fastBonus ? kSe1Up : kSeElement);
        sounds.push_back(c.stockBonus ? kSe1Up : kSeElement);
        EXPECT_EQ(EffectsPlayed(), sounds);
        task->counter = 0;  // the bonus texts blink on
        DrawFrame(*task);
        const std::string total = std::string("TOTAL TIME  ") + c.total;
        EXPECT_EQ(RowText(200), c.fastBonus ? total + "  GREAT!!" : total);
        EXPECT_EQ(RowText(230), std::string("PLAYER STOCK     ") + (c.stock < 10 ? "0" : "") +
                                    std::to_string(c.stock) + (c.stockBonus ? "     GREAT!!" : ""));
        EXPECT_EQ(RowText(260), c.newRecord ? "NEW RECORD!" : "");
        EXPECT_EQ(RowStart(260), c.newRecord ? 145 : -1);
    }
}

TEST_F(FinalEventTest, RowsAppearOneByOneAndTheTotalRolls) {
    Event2Task* task = ToResults({3723, 60, 3599, 360000}, 3);  // 1:02.03, 0:01.00, 0:59.59, 100 minutes
    const int rowFrames[] = {60, 100, 140, 180};
    const char* rows[] = {"AREA 1  01:02.03", "AREA 2  00:01.00", "AREA 3  00:59.59", "AREA 4  99:59.59"};
    for (int row = 0; row < 4; ++row) {
        while (task->counter < rowFrames[row]) Step(*task);
        DrawFrame(*task);
        EXPECT_EQ(RowText(110 + 20 * row), "") << row;
        Step(*task);
        DrawFrame(*task);
        EXPECT_EQ(RowStart(110 + 20 * row), 120);
        EXPECT_EQ(RowText(110 + 20 * row), rows[row]);
    }
    while (task->counter < 260) Step(*task);
    DrawFrame(*task);
    EXPECT_EQ(RowText(200), "");
    Step(*task);  // counter 260: shown, rolled once
    DrawFrame(*task);
    EXPECT_EQ(RowText(200), "TOTAL TIME  11:11.11");
    Step(*task);  // odd counter: no roll
    Step(*task);
    DrawFrame(*task);
    EXPECT_EQ(RowText(200), "TOTAL TIME  22:22.22");
    EXPECT_EQ(RowStart(200), 80);
    EXPECT_FALSE(task->stockShown);
    while (task->state == Event2Task::kResults) Step(*task);
    EXPECT_TRUE(task->stockShown);
    EXPECT_EQ(task->totalTime, 3723 + 60 + 3599 + 360000);
}

TEST_F(FinalEventTest, BonusTextsAndTheRecordBlinkAndTheRecordHidesDuringPlayback) {
    bestTimes[0] = 20000;
    Event2Task* task = ToResults({100, 100, 100, 100}, 20);
    RunWhileState(*task, Event2Task::kResults);
    for (int counter : {0, 7, 8, 15, 16}) {
        task->counter = counter;
        DrawFrame(*task);
        const bool on = counter / 8 % 2 == 0;
        EXPECT_EQ(RowText(260), on ? "NEW RECORD!" : "") << counter;
        EXPECT_EQ(RowText(230).find("GREAT!!") != std::string::npos, on) << counter;
    }
    playbackFlag = 1;
    task->counter = 0;
    DrawFrame(*task);
    EXPECT_EQ(task->newRecord, 1);
    EXPECT_EQ(RowText(260), "");
    EXPECT_NE(RowText(200).find("GREAT!!"), std::string::npos);
}

TEST_F(FinalEventTest, OnlyANewPressOfStartOrAttackEndsTheBoardThenItFadesAndMovesOn) {
    const uint32_t start = static_cast<uint32_t>(keyConfig.padStart);
    const uint32_t attack = static_cast<uint32_t>(keyConfig.padAttack);
    for (uint32_t key : {start, attack}) {
        SCOPED_TRACE(key);
        NextCase();
        Event2Task* task = ToResults({1000, 1000, 1000, 1000}, 2);
        // Held down from before the board waits: nothing.
        RunWhileState(*task, Event2Task::kResults, 2000, key);
        Steps(*task, 30, key);
        EXPECT_EQ(task->state, Event2Task::kWaiting);
        Steps(*task, 5, kJump | kBomb);  // other buttons do nothing
        EXPECT_EQ(task->state, Event2Task::kWaiting);
        Step(*task, key);
        EXPECT_EQ(task->state, Event2Task::kFadeOut);
        int frames = 0;
        while (!task->dead && frames < 100) {
            EXPECT_EQ(sceneCode, kSceneOpeningDemo);  // untouched until black
            Step(*task);
            ++frames;
        }
        EXPECT_EQ(frames, 51);
        EXPECT_EQ(sceneCode, kSceneNextArea);
        DrawFrame(*task);
        EXPECT_EQ(LastCoverAlpha(), 255);
        sceneCode = kSceneOpeningDemo;
    }
}

TEST_F(FinalEventTest, DrawsGlowCoverBannerBoardAndFadeInThatOrder) {
    Event2Task* task = Spawn();
    Steps(*task, 3);
    task->bannerX = 50.5;
    task->fadeOutAlpha = 30;
    DrawFrame(*task);
    std::vector<std::string> order;
    std::vector<std::vector<int64_t>> args;
    for (const auto& call : recording::Lib().calls) {
        order.push_back(call.name);
        args.push_back(call.args);
    }
    ASSERT_GE(order.size(), 9u);
    const std::vector<std::string> head(order.begin(), order.begin() + 9);
    EXPECT_EQ(head,
              (std::vector<std::string>{"SetBlend", "DrawBoxShape", "SetBlend", "SetBlend", "DrawBoxShape",
                                        "SetBlend", "DrawImagePart", "DrawImagePart", "DrawImagePart"}));
    EXPECT_EQ(args[0], (std::vector<int64_t>{2, 117}));  // the glow after three frames
    EXPECT_EQ(args[1], (std::vector<int64_t>{0, 0, 400, 300, 0xFF0000, 1}));
    EXPECT_EQ(args[2], (std::vector<int64_t>{0, 0}));
    EXPECT_EQ(args[3], (std::vector<int64_t>{1, 240}));  // the cover after three frames
    EXPECT_EQ(args[4], (std::vector<int64_t>{0, 0, 400, 300, 0, 1}));
    const auto parts = recording::Named("DrawImagePart");
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0].args, (std::vector<int64_t>{50, 40, 160, 0, 90, 40, kLogoGraphic, 1, 0}));
    EXPECT_EQ(parts[1].args, (std::vector<int64_t>{148, 40, 0, 0, 120, 40, kLogoGraphic, 1, 0}));
    EXPECT_EQ(parts[2].args, (std::vector<int64_t>{270, 40, 0, 40, 160, 40, kLogoGraphic, 1, 0}));
    EXPECT_EQ(LastCoverAlpha(), 30);
    EXPECT_EQ(order.back(), "SetBlend");
}

TEST_F(FinalEventTest, GlowSwingsBetweenOneHundredTwentyAndForty) {
    Event2Task* task = Spawn();
    std::vector<int> glows;
    for (int i = 0; i < 170; ++i) {
        Step(*task);
        glows.push_back(task->glow);
    }
    EXPECT_EQ(glows[0], 119);
    EXPECT_EQ(glows[79], 40);
    EXPECT_EQ(glows[80], 41);
    EXPECT_EQ(glows[159], 120);
    EXPECT_EQ(glows[160], 119);
}

}  // namespace

namespace {

// The final scene from the pack's map, played through the main loop from a replay: the board reads the
// replay's masks, a START held since before the board is ignored, a new press fades out and the main
// loop goes on to the next map.
class FinalEventPlayTest : public GameTest {
  protected:
    void WriteReplay(const std::string& path, const std::vector<uint32_t>& masks) {
        std::vector<uint8_t> bytes = {'K', 'V', 'R'};
        AppendI32(bytes, static_cast<int32_t>(masks.size()));
        AppendI32(bytes, 7);
        bytes.push_back(0);  // one area chosen: the final map
        bytes.push_back(5);
        for (int32_t key : {16, 32, 128, 512, 64, 208, 203, 205, 200, 44, 45, 57, 46, 30})
            AppendI32(bytes, key);
        for (uint32_t m : masks) AppendI32(bytes, static_cast<int32_t>(m));
        WriteBytes(path, bytes);
    }
};

TEST_F(FinalEventPlayTest, PlayedFromAReplayTheBoardWaitsForANewPressAndMovesOn) {
    constexpr uint32_t kStartBit = 128;
    // 501 frames rising, 148 of banner, 450 of counting: the board waits from frame 1099.
    std::vector<uint32_t> masks(1220, 0);
    for (int f = 1000; f < 1150; ++f) masks[f] = kStartBit;
    masks[1151] = kStartBit;
    const std::string replay = (dir_ / "final.rep").string();
    WriteReplay(replay, masks);
    std::filesystem::current_path(datapack::PackDir());
    int nextAreaFrame = -1;
    Event2Task* seen = nullptr;
    recording::Lib().onPump = [&](int pump) {
        for (int i = 0; i < taskCounts[kGroupSceneControl] && seen == nullptr; ++i)
            seen = dynamic_cast<Event2Task*>(taskGroups[kGroupSceneControl][i]);
        if (nextAreaFrame < 0 && areaNumber == 6) nextAreaFrame = pump;
    };
    std::string line = replay;
    EXPECT_EQ(WinMain(nullptr, nullptr, line.data(), 1), 0);
    std::filesystem::current_path(dir_);
    EXPECT_NE(seen, nullptr);
    // START pressed anew at frame 1151, 51 frames of fade to frame 1202; the pump before frame 1203 still
    // ends the final map's loop, the next one comes before the next map's first frame.
    EXPECT_EQ(nextAreaFrame, 1204);
    // One area chosen has no area times: a total of 0 earns the bonus and lowers the best total, but
    // "NEW RECORD!" is not drawn while a replay plays.
    EXPECT_EQ(finalEventFlag, 1);
    EXPECT_EQ(bestTimes[0], 0);
    int boardGlyphs = 0;
    for (const auto& call : recording::Named("DrawImagePart")) {
        if (call.args[6] != fontGraphic) continue;
        EXPECT_NE(call.args[1], 260);
        boardGlyphs += call.args[1] == 200;
    }
    EXPECT_GT(boardGlyphs, 0);
    EXPECT_FALSE(std::filesystem::exists(datapack::PackDir() / "record.dat"));
}

}  // namespace
