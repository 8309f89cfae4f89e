#include "tests/game/game_fixture.h"

namespace {

using SettingsRecordsTest = GameTest;

std::vector<uint8_t> DefaultSettingsBytes() {
    std::vector<uint8_t> bytes = {3, 1, 1, 0, 0, 0};
    for (int32_t value : {16, 32, 512, 64, 128, 203, 205, 200, 208, 44, 45, 46, 30, 57}) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    return bytes;
}

TEST_F(SettingsRecordsTest, DefaultsWriteTheSixtyTwoByteSettingsLayout) {
    SaveSettings();
    const auto bytes = ReadBytes(kSettingsFileName);
    ASSERT_EQ(bytes.size(), 62u);
    EXPECT_EQ(bytes, DefaultSettingsBytes());
}

TEST_F(SettingsRecordsTest, SettingsRoundTripInFileOrder) {
    bgmQuality = 0;
    soundEffectsOn = 0;
    screenModeSetting = 0;
    keyConfig = {1, 2, 3, 4, 5, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    SaveSettings();
    const auto bytes = ReadBytes(kSettingsFileName);
    // Key codes go LEFT, RIGHT, UP, DOWN first.
    EXPECT_EQ(bytes[26], 12);
    EXPECT_EQ(bytes[30], 13);
    EXPECT_EQ(bytes[34], 14);
    EXPECT_EQ(bytes[38], 11);
    ResetSettingsToDefaults();
    LoadSettings();
    EXPECT_EQ(bgmQuality, 0);
    EXPECT_EQ(soundEffectsOn, 0);
    EXPECT_EQ(screenModeSetting, 0);
    EXPECT_EQ(keyConfig.padBoost, 3);
    EXPECT_EQ(keyConfig.keyDown, 11);
    EXPECT_EQ(keyConfig.keyStart, 19);
}

TEST_F(SettingsRecordsTest, ShortFileFillsOnlyTheWholeFieldsItHolds) {
    // bgmQuality, soundEffectsOn, screen mode 0, pad ATTACK 99, and two bytes of pad JUMP.
    WriteBytes(kSettingsFileName, {1, 0, 0, 0, 0, 0, 99, 0, 0, 0, 7, 7});
    LoadSettings();
    EXPECT_EQ(bgmQuality, 1);
    EXPECT_EQ(soundEffectsOn, 0);
    EXPECT_EQ(screenModeSetting, 0);
    EXPECT_EQ(keyConfig.padAttack, 99);
    EXPECT_EQ(keyConfig.padJump, 32);
    EXPECT_EQ(keyConfig.keyStart, 57);
}

TEST_F(SettingsRecordsTest, MissingFilesLeaveTheDefaults) {
    LoadSettings();
    LoadRecords();
    EXPECT_EQ(bgmQuality, 3);
    EXPECT_EQ(screenModeSetting, 1);
    EXPECT_EQ(keyConfig.keyJump, 45);
    for (int32_t time : bestTimes) EXPECT_EQ(time, kNoBestTime);
}

TEST_F(SettingsRecordsTest, RecordsFileIsFiveTimes) {
    SaveRecords();
    std::vector<uint8_t> expected;
    for (int i = 0; i < 5; ++i) AppendI32(expected, 21600000);
    EXPECT_EQ(ReadBytes(kRecordsFileName), expected);

    std::vector<uint8_t> shortFile;
    AppendI32(shortFile, 1234);
    AppendI32(shortFile, 567);
    shortFile.push_back(1);
    WriteBytes(kRecordsFileName, shortFile);
    LoadRecords();
    EXPECT_EQ(bestTimes[0], 1234);
    EXPECT_EQ(bestTimes[1], 567);
    EXPECT_EQ(bestTimes[2], kNoBestTime);
}

TEST_F(SettingsRecordsTest, NothingIsWrittenWhileAReplayPlays) {
    playbackFlag = 1;
    SaveSettings();
    SaveRecords();
    EXPECT_FALSE(std::filesystem::exists(kSettingsFileName));
    EXPECT_FALSE(std::filesystem::exists(kRecordsFileName));
}

TEST(MusicSampleRateTest, QualityPicksTheRate) {
    const struct {
        uint8_t quality;
        int rate;
    } cases[] = {{0, 44100}, {1, 11025}, {2, 22050}, {3, 44100}, {200, 44100}};
    for (const auto& c : cases) EXPECT_EQ(MusicSampleRate(c.quality), c.rate) << int(c.quality);
}

}  // namespace
