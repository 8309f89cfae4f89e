#include <filesystem>
#include <fstream>

#include "game/frame/settings_file.h"
#include "game/scenes/key_names.h"
#include "game/scenes/option_screen_task.h"
#include "tests/game/scene_fixture.h"

namespace {

class OptionTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        UseTestSoundEffects();
    }
    static void HoldKeys(std::initializer_list<int> codes) {
        for (char& key : recording::Lib().keys) key = 0;
        for (int code : codes) recording::Lib().keys[code] = 1;
    }
    static void KeyFrame(OptionScreenTask& option, std::initializer_list<int> codes) {
        HoldKeys(codes);
        Step(option);
    }
};

TEST_F(OptionTest, MusicQualityCyclesBothWaysAndOtherValuesToggle) {
    OptionScreenTask option;
    option.cursor = 2;
    bgmQuality = 0;
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        Press(option, kInputRight);
        seen.push_back(bgmQuality);
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 0}));
    seen.clear();
    for (int i = 0; i < 4; ++i) {
        Press(option, kInputLeft);
        seen.push_back(bgmQuality);
    }
    EXPECT_EQ(seen, (std::vector<int>{3, 2, 1, 0}));
    // Nothing reaches the music player before the screen is left.
    EXPECT_EQ(recording::Count("pxtone_Reset"), 0);

    Press(option, kInputDown);
    soundEffectsOn = 7;  // a foreign value becomes 1
    Press(option, kInputLeft);
    EXPECT_EQ(soundEffectsOn, 1);
    Press(option, kInputRight);
    EXPECT_EQ(soundEffectsOn, 0);
    Press(option, kInputDown);
    Press(option, kInputRight);
    EXPECT_EQ(screenModeSetting, 0);
    EXPECT_EQ(recording::Count("ChangeWindowMode"), 0);  // not applied until chosen
    ClearCalls();
    option.Draw();
    EXPECT_EQ(RowText(130), "SCREEN MODE......FULL SCREEN");
    EXPECT_EQ(RowText(110), "SOUND EFFECT.............OFF");
}

TEST_F(OptionTest, CursorWrapsOverSixItems) {
    OptionScreenTask option;
    Press(option, kInputUp);
    EXPECT_EQ(option.cursor, 5);
    Press(option, kInputDown);
    EXPECT_EQ(option.cursor, 0);
}

TEST_F(OptionTest, ScreenModeChoiceAppliesAtOnceAndReloadsGraphics) {
    OptionScreenTask option;
    option.cursor = 4;
    screenModeSetting = 0;
    Step(option, kStart);
    EXPECT_EQ(option.screenModeChanged, 1);
    const auto modes = recording::Named("ChangeWindowMode");
    ASSERT_EQ(modes.size(), 1u);
    EXPECT_EQ(modes[0].args, std::vector<int64_t>{0});
    std::vector<std::string> loaded;
    for (const auto& call : recording::Named("LoadGraphFile")) loaded.push_back(call.text);
    EXPECT_EQ(loaded, (std::vector<std::string>{"./data/graphics/player.png", "./data/graphics/common.png",
                                                "./data/graphics/font.png"}));
}

TEST_F(OptionTest, ExitRestartsTheMusicAndWritesSettingsInFileOrder) {
    OptionScreenTask option;
    option.cursor = 5;
    bgmQuality = 2;
    soundEffectsOn = 0;
    screenModeSetting = 1;
    // Pads attack, jump, boost, bomb, start; keys down, left, right, up, attack, jump, boost, bomb, start.
    keyConfig = {112, 144, 176, 208, 240, 201, 202, 203, 204, 205, 206, 207, 208, 209};
    Step(option, 240);  // the START assignment's bits
    EXPECT_EQ(option.dead, 1);
    EXPECT_EQ(recording::Named("pxtone_Reset").at(0).args[2], 22050);
    std::vector<uint8_t> expected = {2, 0};
    AppendI32(expected, 1);
    // Pad attack, jump, boost, bomb, start; keys left, right, up, down, attack, jump, boost, bomb, start.
    for (int32_t v : {112, 144, 176, 208, 240, 202, 203, 204, 201, 205, 206, 207, 208, 209})
        AppendI32(expected, v);
    EXPECT_EQ(ReadBytes("setting.dat"), expected);
}

TEST_F(OptionTest, PadPassWaitsForReleaseAndTakesSingleNewButtonsOnly) {
    OptionScreenTask option;
    option.cursor = 0;
    Step(option, kAttack);  // chooses GAMEPAD SETTING
    ASSERT_EQ(option.state, 1);
    Step(option, kAttack | kJump);  // still held from the choice: not released yet
    Step(option, 256);              // a new single button before any release is refused
    EXPECT_EQ(option.step, 0);
    Step(option, 0);
    Step(option, 256 | 1024);  // two buttons
    Step(option, 0);
    Step(option, kInputRight);  // a direction
    Step(option, 0);
    EXPECT_EQ(option.step, 0);
    Step(option, 2048);
    EXPECT_EQ(option.step, 1);
    EXPECT_EQ(keyConfig.padAttack, 2048);
    Step(option, 2048);  // held: not new
    Step(option, 0);
    Step(option, 2048);  // assigned in this pass
    EXPECT_EQ(option.step, 1);
    Step(option, kJump);  // ATTACK's old button, not compared
    EXPECT_EQ(keyConfig.padJump, kJump);
    Step(option, 4096);
    Step(option, 8192);
    Step(option, 16384);
    EXPECT_EQ(option.step, 5);
    ClearCalls();
    option.Draw();
    EXPECT_EQ(RowText(80), "ATTACK...........08");  // bit 2048 is button 8
    Step(option, 0);
    Step(option, kInputLeft);
    EXPECT_EQ(option.state, 1);
    Step(option, kInputLeft | 256);  // several bits finish the pass
    EXPECT_EQ(option.state, 0);
    EXPECT_EQ(EffectsPlayed().back(), kSeBreak);
    EXPECT_EQ(keyConfig.padStart, 16384);
}

TEST_F(OptionTest, FindSinglePressedKeyCountsKeysEqualToOne) {
    char states[kKeyCodeCount] = {};
    EXPECT_EQ(FindSinglePressedKey(states), 0);
    states[44] = 1;
    EXPECT_EQ(FindSinglePressedKey(states), 44);
    states[0] = 1;
    EXPECT_EQ(FindSinglePressedKey(states), -1);
    states[0] = 0;
    states[255] = 2;  // only 1 counts
    EXPECT_EQ(FindSinglePressedKey(states), 44);
}

TEST_F(OptionTest, KeyboardPassTakesSingleNewKeysInOrder) {
    OptionScreenTask option;
    option.cursor = 1;
    HoldKeys({});
    Step(option, kStart);
    ASSERT_EQ(option.state, 2);
    KeyFrame(option, {57});  // the choosing key still held
    EXPECT_EQ(option.step, 0);
    KeyFrame(option, {});
    KeyFrame(option, {16, 17});  // two keys
    EXPECT_EQ(option.step, 0);
    const int keys[9] = {30, 32, 17, 31, 36, 37, 38, 50, 28};
    for (int i = 0; i < 9; ++i) {
        KeyFrame(option, {keys[i]});
        KeyFrame(option, {keys[i]});  // held
        KeyFrame(option, {});
        if (i == 2) {
            KeyFrame(option, {30});  // already LEFT in this pass
            KeyFrame(option, {});
        }
    }
    EXPECT_EQ(option.step, 9);
    EXPECT_EQ(keyConfig.keyLeft, 30);
    EXPECT_EQ(keyConfig.keyRight, 32);
    EXPECT_EQ(keyConfig.keyUp, 17);
    EXPECT_EQ(keyConfig.keyDown, 31);
    EXPECT_EQ(keyConfig.keyStart, 28);
    KeyFrame(option, {30});
    EXPECT_EQ(option.state, 0);
}

TEST_F(OptionTest, KeyNamesComeFromKeyTxtLines) {
    std::filesystem::create_directories("data");
    {
        std::ofstream out("data/key.txt", std::ios::binary);
        for (int i = 0; i < 256; ++i) {
            if (i == 30) {
                out << "A\r\n";
            } else if (i == 31) {
                out << "AVERYLONGKEYNAME\r\n";  // cut to 11 characters; the next line stays key 32's
            } else {
                out << "K" << i << "\r\n";
            }
        }
    }
    OptionScreenTask option;
    EXPECT_STREQ(option.keyNames.Name(0), "K0");
    EXPECT_STREQ(option.keyNames.Name(30), "A");
    EXPECT_STREQ(option.keyNames.Name(31), "AVERYLONGKE");
    EXPECT_STREQ(option.keyNames.Name(32), "K32");
    EXPECT_STREQ(option.keyNames.Name(255), "K255");
    EXPECT_STREQ(option.keyNames.Name(256), "");
    EXPECT_STREQ(option.keyNames.Name(-1), "");
    EXPECT_EQ(recording::Lib().openFiles, 0);

    keyConfig.keyLeft = 30;
    option.state = 2;
    option.step = 9;
    ClearCalls();
    option.Draw();
    EXPECT_EQ(RowText(80), "LEFT.............A");
}

TEST_F(OptionTest, ShortOrMissingKeyTxtLeavesEmptyNames) {
    OptionScreenTask missing;
    EXPECT_STREQ(missing.keyNames.Name(30), "");
    std::filesystem::create_directories("data");
    {
        std::ofstream out("data/key.txt", std::ios::binary);
        out << "ESC\r\nONE\r\n";
    }
    OptionScreenTask short_;
    EXPECT_STREQ(short_.keyNames.Name(1), "ONE");
    EXPECT_STREQ(short_.keyNames.Name(2), "");
}

}  // namespace
