#include <cstring>

#include "tests/game/game_fixture.h"

namespace {

using ReplayFileTest = GameTest;

void RecordRun(uint8_t mode, uint8_t area, int32_t seed, int frames) {
    StartReplayRecording(mode, area, seed);
    for (int i = 0; i < frames; ++i) replayBuffer.masks[i] = 0x100u + static_cast<uint32_t>(i);
    replayBuffer.lastIndex = frames;
}

std::vector<uint8_t> ReplayBytes(int32_t count, int32_t seed, uint8_t mode, uint8_t area,
                                 const std::vector<uint32_t>& masks) {
    std::vector<uint8_t> bytes = {'K', 'V', 'R'};
    auto put = [&](int32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
    };
    put(count);
    put(seed);
    bytes.push_back(mode);
    bytes.push_back(area);
    for (int32_t key : {1, 2, 3, 4, 5, 11, 12, 13, 14, 15, 16, 17, 18, 19}) put(key);
    for (uint32_t m : masks) put(static_cast<int32_t>(m));
    return bytes;
}

TEST_F(ReplayFileTest, SavedLayout) {
    RecordRun(1, 1, 777, 3);
    char name[kReplayNameSize];
    ASSERT_EQ(SaveReplay(name), 0);
    EXPECT_STREQ(name, "replay.rep");
    const auto bytes = ReadBytes(name);
    ASSERT_EQ(bytes.size(), 69u + 4u * 3u);
    EXPECT_EQ(std::memcmp(bytes.data(), "KVR", 3), 0);
    int32_t count, seed;
    std::memcpy(&count, &bytes[3], 4);
    std::memcpy(&seed, &bytes[7], 4);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(seed, 777);
    EXPECT_EQ(bytes[11], 1);
    EXPECT_EQ(bytes[12], 1);
    // Key assignment in replay order: pad ATTACK, JUMP, START, BOOST, BOMB; keys DOWN, LEFT, RIGHT, UP,
    // ATTACK, JUMP, START, BOOST, BOMB.
    const int32_t expectedKeys[14] = {16, 32, 128, 512, 64, 208, 203, 205, 200, 44, 45, 57, 46, 30};
    for (int i = 0; i < 14; ++i) {
        int32_t key;
        std::memcpy(&key, &bytes[13 + 4 * i], 4);
        EXPECT_EQ(key, expectedKeys[i]) << i;
    }
    uint32_t mask;
    std::memcpy(&mask, &bytes[69 + 8], 4);
    EXPECT_EQ(mask, 0x102u);
}

TEST_F(ReplayFileTest, NamesNeverOverwrite) {
    WriteBytes("replay.rep", {1});
    WriteBytes("replay(2).rep", {2});
    RecordRun(1, 1, 5, 2);
    char name[kReplayNameSize];
    EXPECT_EQ(SaveReplay(name), 2);
    EXPECT_STREQ(name, "replay(3).rep");
    EXPECT_EQ(ReadBytes("replay.rep"), std::vector<uint8_t>{1});
    EXPECT_EQ(ReadBytes("replay(2).rep"), std::vector<uint8_t>{2});

    RecordRun(0, 3, 5, 2);
    EXPECT_EQ(SaveReplay(name), 0);
    EXPECT_STREQ(name, "area3.rep");
    EXPECT_EQ(SaveReplay(name), 1);
    EXPECT_STREQ(name, "area3(2).rep");
}

TEST_F(ReplayFileTest, LongRunSavesOnlyTheFirst215999Masks) {
    RecordRun(1, 1, 5, 0);
    replayBuffer.lastIndex = kReplayCapacity - 1;
    char name[kReplayNameSize];
    ASSERT_EQ(SaveReplay(name), 0);
    EXPECT_EQ(std::filesystem::file_size(name), 69u + 4u * 215999u);
}

TEST_F(ReplayFileTest, LoadTakesEverythingAndForcesAreaOneInFullGame) {
    WriteBytes("full.rep", ReplayBytes(2, 321, 1, 3, {7, 9}));
    ASSERT_TRUE(LoadReplay("full.rep"));
    EXPECT_EQ(playbackLength, 2);
    EXPECT_EQ(replaySeed, 321);
    EXPECT_EQ(fullGameMode, 1);
    EXPECT_EQ(areaNumber, 1);
    EXPECT_EQ(runTimerStopped, 1);
    EXPECT_EQ(replayBuffer.masks[0], 7u);
    EXPECT_EQ(replayBuffer.masks[1], 9u);
    EXPECT_EQ(keyConfig.padStart, 3);
    EXPECT_EQ(keyConfig.padBoost, 4);
    EXPECT_EQ(keyConfig.keyDown, 11);
    EXPECT_EQ(keyConfig.keyStart, 17);
    EXPECT_EQ(keyConfig.keyBomb, 19);

    runTimerStopped = 0;
    WriteBytes("area.rep", ReplayBytes(0, 1, 0, 3, {}));
    ASSERT_TRUE(LoadReplay("area.rep"));
    EXPECT_EQ(fullGameMode, 0);
    EXPECT_EQ(areaNumber, 3);
    EXPECT_EQ(runTimerStopped, 1);
}

TEST_F(ReplayFileTest, NotAReplayChangesNothing) {
    auto badMagic = ReplayBytes(1, 5, 1, 2, {1});
    badMagic[2] = 'X';
    auto shortHeader = ReplayBytes(0, 5, 1, 2, {});
    shortHeader.resize(40);
    replayBuffer.masks[0] = 0;
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* problem;
    } cases[] = {
        {"bad magic", badMagic, "is not a replay (no replay header)"},
        {"negative count", ReplayBytes(-1, 5, 1, 2, {}),
         "is not a replay (its frame count -1 is outside 0 to 216000)"},
        {"count above one hour", ReplayBytes(kReplayCapacity + 1, 5, 1, 2, {1, 2}),
         "is not a replay (its frame count 216001 is outside 0 to 216000)"},
        {"masks cut short", ReplayBytes(3, 5, 1, 2, {1, 2}), "is cut short (2 of its 3 frames)"},
        {"header cut short", shortHeader, "is not a replay (no replay header)"},
        {"empty", {}, "is not a replay (no replay header)"},
    };
    for (const auto& c : cases) {
        WriteBytes("bad.rep", c.bytes);
        EXPECT_EQ(ReplayProblem("bad.rep"), c.problem) << c.what;
        EXPECT_FALSE(LoadReplay("bad.rep")) << c.what;
        EXPECT_EQ(playbackLength, 0) << c.what;
        EXPECT_EQ(replaySeed, 0) << c.what;
        EXPECT_EQ(keyConfig.padAttack, 16) << c.what;
        EXPECT_EQ(replayBuffer.masks[0], 0u) << c.what;
    }
    EXPECT_EQ(ReplayProblem("no such file.rep"), "cannot be opened: No such file or directory");
    EXPECT_FALSE(LoadReplay("no such file.rep"));
    EXPECT_FALSE(LoadReplay(""));
}

TEST_F(ReplayFileTest, FullHourLoads) {
    std::vector<uint32_t> masks(kReplayCapacity, 5);
    WriteBytes("hour.rep", ReplayBytes(kReplayCapacity, 1, 1, 1, masks));
    EXPECT_EQ(ReplayProblem("hour.rep"), "");
    ASSERT_TRUE(LoadReplay("hour.rep"));
    EXPECT_EQ(playbackLength, kReplayCapacity);
    EXPECT_EQ(replayBuffer.masks[kReplayCapacity - 1], 5u);
}

TEST_F(ReplayFileTest, SavedReplayLoadsBack) {
    keyConfig.keyJump = 99;
    RecordRun(0, 2, 444, 10);
    char name[kReplayNameSize];
    ASSERT_EQ(SaveReplay(name), 0);
    keyConfig = kDefaultKeyConfig;
    std::memset(replayBuffer.masks, 0, sizeof(uint32_t) * 10);
    ASSERT_TRUE(LoadReplay(name));
    EXPECT_EQ(keyConfig.keyJump, 99);
    EXPECT_EQ(playbackLength, 10);
    EXPECT_EQ(replaySeed, 444);
    EXPECT_EQ(areaNumber, 2);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(replayBuffer.masks[i], 0x100u + i);
}

}  // namespace
