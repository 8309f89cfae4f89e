// Sound effects by index and the one music tune through the music player.
#include <cstring>

#include "game/frame/main_loop.h"
#include "game/sound_text/music_player.h"
#include "game/sound_text/sound_effects.h"
#include "tests/game/game_fixture.h"

namespace {

using recording::Count;
using recording::Named;

std::vector<std::string> CallNames() {
    std::vector<std::string> names;
    for (const auto& call : recording::Lib().calls) names.push_back(call.name);
    return names;
}

class SoundEffectsTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        LoadSoundEffects();
        recording::Lib().calls.clear();
    }
};

TEST_F(SoundEffectsTest, LoadsEveryEffectWithThreeBuffersAtFullVolume) {
    recording::Reset();
    for (int32_t& volume : soundEffectVolume) volume = 3;
    LoadSoundEffects();
    const auto loads = Named("LoadSoundFile");
    ASSERT_EQ(loads.size(), 34u);
    EXPECT_EQ(loads[0].text, "./data/se/cursol.ogg");
    EXPECT_EQ(loads[3].text, "./data/se/boost.ogg");
    EXPECT_EQ(loads[8].text, "./data/se/1up.ogg");
    EXPECT_EQ(loads[33].text, "./data/se/return.ogg");
    for (const auto& load : loads) EXPECT_EQ(load.args, (std::vector<int64_t>{3, -1}));
    EXPECT_EQ(soundEffects[kSeBoost], 503);
    for (int32_t volume : soundEffectVolume) EXPECT_EQ(volume, 255);
}

TEST_F(SoundEffectsTest, PlayStopsThenRestartsFromTheBeginning) {
    PlaySoundEffect(kSeBoost);
    EXPECT_EQ(CallNames(), (std::vector<std::string>{"StopSoundHandle", "PlaySoundHandle"}));
    EXPECT_EQ(Named("StopSoundHandle")[0].args, (std::vector<int64_t>{soundEffects[kSeBoost]}));
    EXPECT_EQ(Named("PlaySoundHandle")[0].args, (std::vector<int64_t>{soundEffects[kSeBoost], 1, 1}));
}

TEST_F(SoundEffectsTest, PlayIsGatedByTheOnFlagAndTheVolume) {
    struct Case {
        uint8_t on;
        int volume;
        bool plays;
    } cases[] = {{1, 255, true}, {1, 1, true},    {1, 0, false},
                 {1, -4, false}, {0, 255, false}, {2, 255, false}};
    for (const Case& c : cases) {
        recording::Lib().calls.clear();
        soundEffectsOn = c.on;
        soundEffectVolume[kSeJump] = c.volume;
        PlaySoundEffect(kSeJump);
        EXPECT_EQ(Count("PlaySoundHandle"), c.plays ? 1 : 0) << int(c.on) << " " << c.volume;
        EXPECT_EQ(SoundEffectAudible(kSeJump), c.plays);
    }
    recording::Lib().calls.clear();
    soundEffectsOn = 1;
    PlaySoundEffect(-1);
    PlaySoundEffect(kSoundEffectCount);
    EXPECT_TRUE(recording::Lib().calls.empty());
}

TEST_F(SoundEffectsTest, VolumesAndStopReachEveryEffect) {
    SetAllSoundEffectVolumes(90);
    const auto volumes = Named("SetSoundVolume");
    ASSERT_EQ(volumes.size(), 34u);
    EXPECT_EQ(volumes[33].args, (std::vector<int64_t>{90, soundEffects[33]}));
    for (int32_t volume : soundEffectVolume) EXPECT_EQ(volume, 90);
    StopAllSoundEffects();
    EXPECT_EQ(Count("StopSoundHandle"), 34);
}

class BgmTest : public GameTest {};

TEST_F(BgmTest, ChangeBgmStopsReleasesThenLoadsAndStarts) {
    ChangeBgm("./bgm/stage1.pttune", 1);
    EXPECT_EQ(CallNames(),
              (std::vector<std::string>{"pxtone_Tune_Stop", "pxtone_Tune_Release", "pxtone_Tune_SetLoop",
                                        "pxtone_Tune_Load", "pxtone_Tune_Start"}));
    EXPECT_EQ(Named("pxtone_Tune_SetLoop")[0].args, (std::vector<int64_t>{1}));
    const auto load = Named("pxtone_Tune_Load")[0];
    EXPECT_EQ(load.text, "./bgm/stage1.pttune");
    EXPECT_EQ(load.args, (std::vector<int64_t>{0, 0}));
    EXPECT_EQ(Named("pxtone_Tune_Start")[0].args, (std::vector<int64_t>{0, 0}));
    EXPECT_STREQ(currentTune, "./bgm/stage1.pttune");

    recording::Lib().calls.clear();
    ChangeBgm("./bgm/stage1.pttune", 0);
    EXPECT_TRUE(recording::Lib().calls.empty());

    ChangeBgm("./bgm/clear.pttune", 0);
    EXPECT_EQ(Named("pxtone_Tune_SetLoop")[0].args, (std::vector<int64_t>{0}));
    EXPECT_STREQ(currentTune, "./bgm/clear.pttune");
}

TEST_F(BgmTest, MusicOffLoadsNothingAndKeepsTheTuneEmpty) {
    bgmQuality = 0;
    ChangeBgm("./bgm/stage1.pttune", 1);
    EXPECT_EQ(CallNames(), (std::vector<std::string>{"pxtone_Tune_Stop", "pxtone_Tune_Release"}));
    EXPECT_STREQ(currentTune, "");
    bgmQuality = 2;
    ChangeBgm("./bgm/stage1.pttune", 1);
    EXPECT_EQ(Count("pxtone_Tune_Load"), 1);
}

TEST_F(BgmTest, FadeOutKeepsTheTuneLoadedButForgetsItsPath) {
    ChangeBgm("./bgm/stage1.pttune", 1);
    recording::Lib().calls.clear();
    FadeOutBgm();
    EXPECT_EQ(CallNames(), (std::vector<std::string>{"pxtone_Tune_Fadeout"}));
    EXPECT_EQ(Named("pxtone_Tune_Fadeout")[0].args, (std::vector<int64_t>{3000}));
    EXPECT_STREQ(currentTune, "");
    ChangeBgm("./bgm/stage1.pttune", 1);
    EXPECT_EQ(Count("pxtone_Tune_Start"), 1);
}

TEST_F(BgmTest, StopBgmStopsReleasesAndForgets) {
    std::strcpy(currentTune, "./bgm/x.pttune");
    StopBgm();
    EXPECT_EQ(CallNames(), (std::vector<std::string>{"pxtone_Tune_Stop", "pxtone_Tune_Release"}));
    EXPECT_STREQ(currentTune, "");
}

TEST_F(BgmTest, QualityChangeResetsAtItsRate) {
    struct Case {
        uint8_t quality;
        int rate;  // 0: no reset
    } cases[] = {{0, 0}, {1, 11025}, {2, 22050}, {3, 44100}};
    for (const Case& c : cases) {
        recording::Lib().calls.clear();
        bgmQuality = c.quality;
        ResetBgmQuality();
        const auto resets = Named("pxtone_Reset");
        ASSERT_EQ(resets.size(), c.rate != 0 ? 1u : 0u) << int(c.quality);
        if (c.rate != 0) {
            EXPECT_EQ(resets[0].args, (std::vector<int64_t>{0x1234, 1, c.rate, 16,
                                                            [] {
                                                                double d = 0.1f;
                                                                int64_t bits;
                                                                std::memcpy(&bits, &d, sizeof(bits));
                                                                return bits;
                                                            }(),
                                                            1, 0}));
        }
        ASSERT_EQ(Count("pxtone_Tune_SetVolume"), 1);
        EXPECT_EQ(CallNames().back(), "pxtone_Tune_SetVolume");
    }
}

// Start-up readies the player at the rate of the saved music quality.
TEST_F(BgmTest, StartUpReadiesThePlayerAtTheQualityRate) {
    struct Case {
        uint8_t quality;
        int rate;
    } cases[] = {{0, 44100}, {1, 11025}, {2, 22050}, {3, 44100}};
    for (const Case& c : cases) {
        ResetGame();
        WriteBytes("setting.dat", {c.quality, 1, 1, 0, 0, 0});
        recording::Lib().keys[1] = 1;  // Esc: end at once
        std::string line;
        ASSERT_EQ(WinMain(nullptr, nullptr, line.data(), 1), 0);
        const auto ready = Named("pxtone_Ready");
        ASSERT_EQ(ready.size(), 1u);
        EXPECT_EQ(ready[0].args[2], c.rate) << int(c.quality);
        EXPECT_EQ(Count("pxtone_Release"), 1);
        EXPECT_EQ(Count("LoadSoundFile"), 34);
    }
}

}  // namespace
