#include "tests/game/game_fixture.h"

namespace {

using InputMaskTest = GameTest;

TEST_F(InputMaskTest, AssignedKeysSetTheirBits) {
    recording::Lib().keys[203] = 1;  // left arrow
    recording::Lib().keys[57] = 1;   // space: START
    PollInput(false);
    EXPECT_EQ(inputNow, kInputLeft | 128u);
}

TEST_F(InputMaskTest, AKeyOnTwoActionsSetsBothBits) {
    keyConfig.keyJump = 44;  // Z, also ATTACK
    recording::Lib().keys[44] = 1;
    PollInput(false);
    EXPECT_EQ(inputNow, 16u | 32u);
}

TEST_F(InputMaskTest, PadBitsPassStraightIntoTheMask) {
    recording::Lib().padMask = 0x30 | kInputDown;
    PollInput(false);
    EXPECT_EQ(inputNow, 0x30u | kInputDown);
}

TEST_F(InputMaskTest, HatDirections) {
    const struct {
        uint32_t pov;
        uint32_t bits;
    } cases[] = {
        {0, kInputUp},       {4500, kInputUp | kInputRight},
        {9000, kInputRight}, {13500, kInputRight | kInputDown},
        {18000, kInputDown}, {22500, kInputDown | kInputLeft},
        {27000, kInputLeft}, {31500, kInputLeft | kInputUp},
        {kPovCentred, 0},    {4499, 0},
        {36000, 0},
    };
    for (const auto& c : cases) {
        recording::Lib().pad.rgdwPOV[0] = c.pov;
        PollInput(false);
        EXPECT_EQ(inputNow, c.bits) << c.pov;
    }
}

TEST_F(InputMaskTest, ScriptLastsOneFrameAndDevicesAreNotRead) {
    recording::Lib().keys[203] = 1;
    inputEnabled = 0;
    scriptedInput = kInputRight;
    PollInput(false);
    EXPECT_EQ(inputNow, kInputRight);
    PollInput(false);
    EXPECT_EQ(inputNow, 0u);
    EXPECT_EQ(inputPrev, kInputRight);
    EXPECT_EQ(recording::Lib().padReads, 0);
    EXPECT_EQ(recording::Lib().keyboardReads, 0);
}

TEST_F(InputMaskTest, KeyCodesOutsideTheTableAreNeverPressed) {
    for (int i = 0; i < 256; ++i) recording::Lib().keys[i] = 1;
    keyConfig = {16, 32, 512, 64, 128, -1, 256, 1000000, INT32_MIN, 300, -300, 256, 257, INT32_MAX};
    PollInput(false);
    EXPECT_EQ(inputNow, 0u);
}

TEST_F(InputMaskTest, RecordingStopsAtOneHour) {
    recording::Lib().keys[45] = 1;
    runFrame = kReplayCapacity - 1;
    PollInput(true);
    EXPECT_EQ(replayBuffer.lastIndex, kReplayCapacity - 1);
    EXPECT_EQ(replayBuffer.masks[kReplayCapacity - 1], 32u);
    runFrame = kReplayCapacity;
    recording::Lib().keys[44] = 1;
    PollInput(true);
    EXPECT_EQ(replayBuffer.lastIndex, kReplayCapacity - 1);
    EXPECT_EQ(replayBuffer.masks[kReplayCapacity - 1], 32u);
}

TEST_F(InputMaskTest, RecordFlagDecidesWhetherTheMaskIsStored) {
    recording::Lib().keys[45] = 1;
    runFrame = 7;
    replayBuffer.masks[7] = 0;
    PollInput(false);
    EXPECT_EQ(replayBuffer.masks[7], 0u);
    PollInput(true);
    EXPECT_EQ(replayBuffer.masks[7], 32u);
    EXPECT_EQ(replayBuffer.lastIndex, 7);
}

}  // namespace
