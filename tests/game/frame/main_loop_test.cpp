#include <cstring>

#include "engine/core/helpers/random.h"
#include "game/frame/main_loop.h"
#include "game/frame/scene_code.h"
#include "tests/game/game_fixture.h"

namespace {

constexpr int kKeyEscape = 1;
constexpr int kKeyEnter = 28;
constexpr int kKeySpace = 57;
constexpr int kKeyF2 = 60;
constexpr uint32_t kStart = 128;

class MainLoopTest : public GameTest {
  protected:
    int Run(const char* commandLine = "") {
        std::string line = commandLine;
        return WinMain(nullptr, nullptr, line.data(), 1);
    }
    // Runs fn at the given pump (pumps count from 0, one before every frame).
    void AtPump(int pump, std::function<void()> fn) { actions_.emplace_back(pump, std::move(fn)); }
    void InstallActions() {
        recording::Lib().onPump = [this](int pump) {
            for (auto& [at, fn] : actions_) {
                if (at == pump) fn();
            }
        };
    }
    void WriteReplay(const char* name, int32_t seed, uint8_t mode, uint8_t area,
                     const std::vector<uint32_t>& masks) {
        std::vector<uint8_t> bytes = {'K', 'V', 'R'};
        AppendI32(bytes, static_cast<int32_t>(masks.size()));
        AppendI32(bytes, seed);
        bytes.push_back(mode);
        bytes.push_back(area);
        for (int32_t key : {16, 32, 128, 512, 64, 208, 203, 205, 200, 44, 45, 57, 46, 30})
            AppendI32(bytes, key);
        for (uint32_t m : masks) AppendI32(bytes, static_cast<int32_t>(m));
        WriteBytes(name, bytes);
    }
    static int PauseGlyphDraws() {
        int count = 0;
        for (const auto& call : recording::Named("DrawImagePart")) count += call.args[1] == 142 ? 1 : 0;
        return count;
    }
    static std::vector<uint8_t> DefaultSettings() {
        std::vector<uint8_t> bytes = {3, 1, 1, 0, 0, 0};
        for (int32_t v : {16, 32, 512, 64, 128, 203, 205, 200, 208, 44, 45, 46, 30, 57}) AppendI32(bytes, v);
        return bytes;
    }
    static std::vector<uint8_t> DefaultRecords() {
        std::vector<uint8_t> bytes;
        for (int i = 0; i < 5; ++i) AppendI32(bytes, 21600000);
        return bytes;
    }

    std::vector<std::pair<int, std::function<void()>>> actions_;
};

TEST_F(MainLoopTest, EscHeldAtStartEndsBeforeAnyFrameAndSavesDefaults) {
    recording::Lib().keys[kKeyEscape] = 1;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(recording::Count("FlipFrameDefault"), 0);
    EXPECT_EQ(recording::Count("ClearDrawTarget"), 0);
    EXPECT_EQ(recording::Count("LibraryEnd"), 1);
    EXPECT_EQ(recording::Count("FreeAllGraphics"), 1);
    EXPECT_EQ(ReadBytes("setting.dat"), DefaultSettings());
    EXPECT_EQ(ReadBytes("record.dat"), DefaultRecords());
}

TEST_F(MainLoopTest, StartUpConfiguresTheLibraryInOrder) {
    recording::Lib().keys[kKeyEscape] = 1;
    ASSERT_EQ(Run(), 0);
    const auto& calls = recording::Lib().calls;
    std::vector<std::string> head;
    for (size_t i = 0; i < 8 && i < calls.size(); ++i) head.push_back(calls[i].name);
    EXPECT_EQ(head, (std::vector<std::string>{"SetFileLogEnabled", "SetMainWindowText", "SetScreenMode",
                                              "ChangeWindowMode", "LibraryInit", "SetWindowSizeRate",
                                              "SetTransparentColour", "MakeDrawTarget"}));
    EXPECT_EQ(calls[1].text, "Korvalund");
    EXPECT_EQ(calls[2].args, (std::vector<int64_t>{800, 600, 16, 60}));
    EXPECT_EQ(calls[3].args, std::vector<int64_t>{1});
    EXPECT_EQ(recording::Named("MakeDrawTarget")[0].args, (std::vector<int64_t>{400, 300, 0}));
    EXPECT_EQ(recording::Named("SetClipRect")[0].args, (std::vector<int64_t>{0, 0, 400, 300}));
}

TEST_F(MainLoopTest, FullScreenSettingFallsBackToWindowWhenRefused) {
    std::vector<uint8_t> settings = DefaultSettings();
    settings[2] = 0;  // full screen
    WriteBytes("setting.dat", settings);
    recording::Lib().keys[kKeyEscape] = 1;
    ASSERT_EQ(Run(), 0);
    auto modes = recording::Named("ChangeWindowMode");
    ASSERT_EQ(modes.size(), 1u);  // accepted: no fallback
    EXPECT_EQ(modes[0].args, std::vector<int64_t>{0});
    EXPECT_EQ(ReadBytes("setting.dat")[2], 0);

    ResetGame();
    recording::Lib().fullScreenResult = -1;
    recording::Lib().keys[kKeyEscape] = 1;
    ASSERT_EQ(Run(), 0);
    modes = recording::Named("ChangeWindowMode");
    ASSERT_EQ(modes.size(), 2u);
    EXPECT_EQ(modes[0].args, std::vector<int64_t>{0});
    EXPECT_EQ(modes[1].args, std::vector<int64_t>{1});
    // The setting itself is kept.
    EXPECT_EQ(ReadBytes("setting.dat")[2], 0);
}

TEST_F(MainLoopTest, ForeignScreenModeSettingAsksForAWindow) {
    std::vector<uint8_t> settings = DefaultSettings();
    settings[2] = 7;
    WriteBytes("setting.dat", settings);
    recording::Lib().keys[kKeyEscape] = 1;
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(recording::Named("ChangeWindowMode")[0].args, std::vector<int64_t>{1});
}

TEST_F(MainLoopTest, EachFrameClearsDrawsAndPresentsStretched) {
    AtPump(1, [] { recording::Lib().keys[kKeyEscape] = 1; });
    InstallActions();
    ASSERT_EQ(Run(), 0);
    const auto& calls = recording::Lib().calls;
    size_t clear = 0;
    while (clear < calls.size() && calls[clear].name != "ClearDrawTarget") ++clear;
    ASSERT_LT(clear + 4, calls.size());
    const int64_t target = drawTarget;  // made by MakeDrawTarget at start-up
    EXPECT_EQ(target, 100);
    EXPECT_EQ(calls[clear + 1].name, "SelectDrawTarget");
    EXPECT_EQ(calls[clear + 1].args, std::vector<int64_t>{-2});
    EXPECT_EQ(calls[clear + 2].name, "DrawImageStretched");
    EXPECT_EQ(calls[clear + 2].args, (std::vector<int64_t>{0, 0, 800, 600, target, 0}));
    EXPECT_EQ(calls[clear + 3].name, "FlipFrameDefault");
    EXPECT_EQ(calls[clear + 4].name, "SelectDrawTarget");
    EXPECT_EQ(calls[clear + 4].args, std::vector<int64_t>{target});
}

TEST_F(MainLoopTest, ApplyScreenModeRepeatsTheDrawTargetSetUpUnlessModeOnly) {
    drawTarget = 55;
    ApplyScreenMode(1);
    EXPECT_EQ(recording::Count("SetScreenMode"), 1);
    EXPECT_EQ(recording::Count("ChangeWindowMode"), 1);
    EXPECT_EQ(recording::Count("SelectDrawTarget"), 0);
    ApplyScreenMode(0);
    EXPECT_EQ(recording::Count("SetTransparentColour"), 1);
    EXPECT_EQ(recording::Count("MakeDrawTarget"), 0);  // the target exists already
    EXPECT_EQ(recording::Named("SelectDrawTarget")[0].args, std::vector<int64_t>{55});
    EXPECT_EQ(recording::Named("SetClipRect")[0].args, (std::vector<int64_t>{0, 0, 400, 300}));
}

TEST_F(MainLoopTest, FailedInitEndsAtOnce) {
    recording::Lib().initResult = -1;
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(recording::Count("LibraryEnd"), 0);
    EXPECT_EQ(recording::Count("MakeDrawTarget"), 0);
    EXPECT_FALSE(std::filesystem::exists("setting.dat"));
    EXPECT_FALSE(std::filesystem::exists("record.dat"));
}

TEST_F(MainLoopTest, ReplayPlaysExactlyItsFramesWithItsSeedAndWritesNothing) {
    WriteReplay("run.rep", 321, 1, 1, {0, 4, 4, 0, 1});
    EXPECT_EQ(Run("run.rep"), 0);
    EXPECT_EQ(recording::Count("FlipFrameDefault"), 5);
    EXPECT_EQ(runFrame, 5);
    EXPECT_EQ(inputNow, 1u);
    EXPECT_EQ(inputPrev, 0u);
    EXPECT_FALSE(std::filesystem::exists("setting.dat"));
    EXPECT_FALSE(std::filesystem::exists("record.dat"));
    EXPECT_EQ(recording::Named("SetMainWindowText")[1].text, "run.rep");
    // The replay's seed stands: no new seed, nothing recorded.
    EXPECT_EQ(replaySeed, 321);
    EXPECT_EQ(recordFlag, 0);
    EXPECT_EQ(replayBuffer.hasData, 0);
    const uint32_t next = NextRandom();
    SeedRandom(321);
    EXPECT_EQ(NextRandom(), next);
}

TEST_F(MainLoopTest, ReplayOfZeroMasksDrawsNothing) {
    WriteReplay("empty.rep", 1, 0, 2, {});
    EXPECT_EQ(Run("empty.rep"), 0);
    EXPECT_EQ(recording::Count("FlipFrameDefault"), 0);
}

TEST_F(MainLoopTest, CommandLineThatIsNotAReplayStartsNormally) {
    WriteBytes("junk.rep", {'K', 'V', 'R', 0xff, 0xff, 0xff, 0xff});
    AtPump(2, [] { recording::Lib().keys[kKeyEscape] = 1; });
    InstallActions();
    EXPECT_EQ(Run("junk.rep"), 0);
    EXPECT_EQ(playbackFlag, 0);
    EXPECT_EQ(recording::Count("FlipFrameDefault"), 2);
    EXPECT_TRUE(std::filesystem::exists("setting.dat"));
}

TEST_F(MainLoopTest, PauseShowsPauseAndUnpauseWithEnterSavesAScreenshot) {
    WriteReplay("pause.rep", 1, 1, 1, {0, kStart, kStart, 0, kStart, 0});
    // The area's start card refuses the pause; here it is taken as over.
    AtPump(0, [] { areaIntro = 0; });
    InstallActions();
    ASSERT_EQ(Run("pause.rep"), 0);
    // Paused during frames 1 to 3: five glyphs each.
    EXPECT_EQ(PauseGlyphDraws(), 15);
    EXPECT_EQ(recording::Count("SaveDrawScreen"), 0);

    ResetGame();
    recording::Lib().keys[kKeyEnter] = 1;
    InstallActions();
    WriteReplay("pause.rep", 1, 1, 1, {0, kStart, 0, kStart, 0});
    ASSERT_EQ(Run("pause.rep"), 0);
    EXPECT_EQ(PauseGlyphDraws(), 0);
    const auto shots = recording::Named("SaveDrawScreen");
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0].text, "2024_3_9_8_5_7.bmp");
    EXPECT_EQ(shots[0].args, (std::vector<int64_t>{0, 0, 400, 300, 0, 80, 1, -1}));
}

TEST_F(MainLoopTest, WhilePausedNothingUpdatesButTheTimerRuns) {
    WriteReplay("pause.rep", 1, 1, 1, {0, kStart, 0, 0});
    AtPump(0, [] { runTimerStopped = 0; });
    AtPump(1, [] { missFlag = 1; });  // a respawn would run if the frame were updated
    InstallActions();
    ASSERT_EQ(Run("pause.rep"), 0);
    EXPECT_EQ(playerStock, 1);  // frame 1 updated (respawn), frames 2 and 3 paused
    EXPECT_EQ(recording::Count("FlipFrameDefault"), 4);
}

TEST_F(MainLoopTest, F2GoesToTheTitleAndStartBeginsARecordedRun) {
    // The demo's frame takes pump 0 and its loop's last quit check pump 1; the title's frame n (from 1)
    // follows pump n + 1. It fades in for 51 frames, takes START on its first menu frame (52) and fades
    // out for 85 frames.
    constexpr int kTitleStart = 53, kTitleFrames = 52 + 85, kFirstAreaPump = 2 + kTitleFrames;
    AtPump(0, [] { recording::Lib().keys[kKeyF2] = 1; });
    AtPump(1, [] { recording::Lib().keys[kKeyF2] = 0; });
    AtPump(kTitleStart, [] { recording::Lib().keys[kKeySpace] = 1; });
    AtPump(kTitleStart + 1, [] { recording::Lib().keys[kKeySpace] = 0; });
    AtPump(kFirstAreaPump + 1, [] { recording::Lib().keys[203] = 1; });  // left during area frame 1
    AtPump(kFirstAreaPump + 3, [] { recording::Lib().keys[kKeyEscape] = 1; });
    InstallActions();
    ASSERT_EQ(Run(), 0);
    // One demo frame, the title's frames, three area frames.
    EXPECT_EQ(recording::Count("FlipFrameDefault"), 1 + kTitleFrames + 3);
    EXPECT_EQ(recordFlag, 1);
    EXPECT_EQ(replayBuffer.hasData, 1);
    EXPECT_EQ(replayBuffer.mode, 1);
    EXPECT_EQ(replayBuffer.area, 1);
    EXPECT_GE(replayBuffer.seed, 0);
    EXPECT_LE(replayBuffer.seed, 1000);
    EXPECT_EQ(replaySeed, replayBuffer.seed);
    EXPECT_EQ(replayBuffer.lastIndex, 2);
    EXPECT_EQ(replayBuffer.masks[0], 0u);
    EXPECT_EQ(replayBuffer.masks[1], kInputLeft);
    EXPECT_EQ(replayBuffer.masks[2], kInputLeft);
}

TEST_F(MainLoopTest, FramesArePacedBySixtyPerSecond) {
    AtPump(6, [] { recording::Lib().keys[kKeyEscape] = 1; });
    InstallActions();
    ASSERT_EQ(Run(), 0);
    const auto flips = recording::Named("FlipFrameDefault");
    ASSERT_EQ(flips.size(), 6u);
    // The first frame does not wait (the last-frame time starts at 0); every later one does.
    EXPECT_LT(flips[1].args[0] - flips[0].args[0], kFrameMicroseconds);
    for (size_t i = 2; i < flips.size(); ++i) {
        EXPECT_GE(flips[i].args[0] - flips[i - 1].args[0], kFrameMicroseconds);
        EXPECT_LT(flips[i].args[0] - flips[i - 1].args[0], kFrameMicroseconds + 5000);
    }
}

TEST_F(MainLoopTest, StoppedClockDoesNotHoldTheLoop) {
    recording::Lib().microseconds = -1;
    recording::Lib().microsecondStep = 0;
    AtPump(3, [] { recording::Lib().keys[kKeyEscape] = 1; });
    InstallActions();
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(recording::Count("FlipFrameDefault"), 3);
}

TEST_F(MainLoopTest, AreaEndClearsThePlayerFlags) {
    AtPump(1, [] {
        cameraFrozen = 1;
        rightEdgeOpen = 1;
        inputEnabled = 0;
        paused = 1;
    });
    AtPump(2, [] { recording::Lib().keys[kKeyEscape] = 1; });
    InstallActions();
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(cameraFrozen, 0);
    EXPECT_EQ(rightEdgeOpen, 0);
    EXPECT_EQ(inputEnabled, 1);
    EXPECT_EQ(paused, 0);
    EXPECT_EQ(runTimerStopped, 1);
}

TEST_F(MainLoopTest, WindowClosedByThePumpEndsTheProgram) {
    AtPump(2, [] { recording::Lib().pumpResult = -1; });
    InstallActions();
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(recording::Count("FlipFrameDefault"), 2);
    EXPECT_TRUE(std::filesystem::exists("record.dat"));
}

TEST(ResetPlayerStateTest, NewGameCodesResetStockAndItems) {
    const struct {
        int code;
        int stock, elements, checkPoint;
    } cases[] = {
        {kSceneStay, 2, 0, 0},       {kSceneTitle, 2, 0, 0},    {kSceneOpeningDemo, 2, 0, 0},
        {kSceneAreaSelect, 2, 0, 0}, {kSceneNextArea, 0, 5, 0}, {kSceneRestartArea, 0, 5, 7},
    };
    for (const auto& c : cases) {
        playerStock = 0;
        elementCount = 5;
        currentCheckPoint = 7;
        playerHealth = 0;
        missFlag = 1;
        cameraX = 40;
        playerSurface = 9;
        ResetPlayerState(c.code);
        EXPECT_EQ(playerStock, c.stock) << c.code;
        EXPECT_EQ(elementCount, c.elements) << c.code;
        EXPECT_EQ(currentCheckPoint, c.checkPoint) << c.code;
        EXPECT_EQ(playerHealth, 3);
        EXPECT_EQ(missFlag, 0);
        EXPECT_EQ(cameraX, 0);
        EXPECT_EQ(playerSurface, 9);
    }
    InitSharedGameState();
}

}  // namespace
