#include <vector>

#include "game/player/boost_effects.h"
#include "tests/game/player_fixture.h"

namespace {

constexpr uint32_t kLeft = kInputLeft, kRight = kInputRight, kUp = kInputUp;

uint32_t BoostKey() {
    return static_cast<uint32_t>(keyConfig.padBoost);
}

class PlayerBoostTest : public PlayerTest {
  protected:
    PlayerTask* StandingPlayer(int mapWidth = 40) {
        BuildFloorMap(mapWidth);
        PlayerTask* player = MakePlayer(100, 160);
        Step(0);
        return player;
    }
    // The player's effects of class T (read in place: gcc 12 takes a copied list's release for a bad free).
    template <class T>
    static int Count() {
        int count = 0;
        for (int i = 0; i < taskCounts[kGroupNoCollision]; ++i)
            count += dynamic_cast<T*>(taskGroups[kGroupNoCollision][i]) != nullptr;
        return count;
    }
};

TEST_F(PlayerBoostTest, WithoutEnoughEnergyOnlyTheLastHealthHearsFail) {
    struct Case {
        int health;
        int fails;
    };
    for (const Case c : {Case{1, 1}, Case{2, 0}, Case{3, 0}}) {
        ResetGame();
        map_.Unload();
        map_.Clear();
        playerHealth = c.health;
        PlayerTask* player = StandingPlayer();
        boostEnergy = 29;
        Step(BoostKey());
        EXPECT_EQ(Played(kSeFail), c.fails) << "health " << c.health;
        EXPECT_EQ(Played(kSeBoost), 0);
        EXPECT_EQ(boostEnergy, 29);
        EXPECT_EQ(player->speedX, 0.0);
        EXPECT_EQ(Count<BoostEffectTask>(), 0);
    }
}

TEST_F(PlayerBoostTest, KickFromAStandstillFacesTheWayThePlayerLooks) {
    struct Case {
        uint32_t held;
        int flip;
        double speed;  // after the same frame's run step
    };
    for (const Case c : {Case{0, 0, 6.7 - 0.15000000000000002}, Case{0, 1, -6.7 + 0.15000000000000002},
                         Case{kRight, 1, 6.7 + 0.1}, Case{kLeft, 0, -6.7 - 0.1}}) {
        ResetGame();
        map_.Unload();
        map_.Clear();
        PlayerTask* player = StandingPlayer();
        playerFlip = static_cast<uint8_t>(c.flip);
        boostEnergy = 45;
        Step(BoostKey() | c.held);
        EXPECT_EQ(player->speedX, c.speed) << "flip " << c.flip << " held " << c.held;
        EXPECT_EQ(player->boostLevel, 1);
        EXPECT_EQ(boostEnergy, 15);
        EXPECT_EQ(Played(kSeBoost), 1);
        EXPECT_EQ(Count<BoostEffectTask>(), 1);
        EXPECT_EQ(Count<BoostTextTask>(), 0);  // level 1 has no caption
    }
}

TEST_F(PlayerBoostTest, AlreadyFastInTheHeldDirectionCostsNothing) {
    PlayerTask* player = StandingPlayer();
    boostEnergy = 60;
    player->speedX = 6.5;
    Step(BoostKey() | kRight);
    EXPECT_EQ(boostEnergy, 60);
    EXPECT_EQ(Played(kSeBoost), 0);
    EXPECT_EQ(player->boostLevel, 0);
    EXPECT_EQ(player->speedX, 6.6);
}

TEST_F(PlayerBoostTest, HeldBoostBoostsOnce) {
    PlayerTask* player = StandingPlayer();
    boostEnergy = 90;
    Steps(BoostKey(), 5);
    EXPECT_EQ(boostEnergy, 60);
    EXPECT_EQ(Played(kSeBoost), 1);
    EXPECT_GT(player->speedX, 5.9);  // kicked once, then slowed by friction
}

TEST_F(PlayerBoostTest, FiveBoostsAtFullSpeedRaiseTheMaximumFromSevenAndAHalfToTen) {
    PlayerTask* player = StandingPlayer(400);
    Steps(kRight, 80);
    ASSERT_EQ(player->speedX, 7.5);
    boostEnergy = 150;
    for (int i = 0; i < 5; ++i) {
        Step(kRight | BoostKey());
        EXPECT_EQ(player->boostLevel, 3) << "boost " << i;
        EXPECT_EQ(Count<BoostTextTask>(), 1) << "boost " << i;
        Steps(kRight, 85);  // the caption has gone
    }
    EXPECT_EQ(player->maxSpeed, 10.0);
    EXPECT_EQ(playerMaxSpeed, 10.0);
    EXPECT_EQ(player->speedX, 10.0);
    EXPECT_EQ(boostEnergy, 0);
    EXPECT_EQ(Played(kSeBoost), 5);
    Step(kRight | BoostKey());
    EXPECT_EQ(player->maxSpeed, 10.0);
    EXPECT_EQ(boostEnergy, 0);
}

TEST_F(PlayerBoostTest, BoostWhileRunningLeftAtFullSpeedGoesFurtherLeft) {
    PlayerTask* player = StandingPlayer(400);
    player->x = 3000.0;
    map_.cameraX = 2900;
    Steps(kLeft, 80);
    ASSERT_EQ(player->speedX, -7.5);
    boostEnergy = 30;
    Step(kLeft | BoostKey());
    EXPECT_EQ(player->maxSpeed, 8.0);
    EXPECT_EQ(player->speedX, -8.0);
}

// A launch from a cling is free; a boost pressed in the same frame is charged only when it does
// something of its own.
TEST_F(PlayerBoostTest, LaunchWithBoostPressedIsNotChargedForTheLaunch) {
    std::vector<std::string> rows(15, std::string(20, '.'));
    for (auto& row : rows) row[10] = '#';
    rows[14] = std::string(20, '#');
    BuildMap(rows);
    PlayerTask* player = MakePlayer(160, 100);
    player->surface = kSurfaceRightWall;
    player->previousSurface = kSurfaceRightWall;
    player->clingTimer = 5;
    playerSpeed = 6.6;
    boostEnergy = 30;
    Step(kUp | BoostKey());
    EXPECT_EQ(player->speedY, -6.6 - 0.1);  // launched, then run on in the same frame
    EXPECT_EQ(player->clingTimer, 0);
    EXPECT_EQ(boostEnergy, 30);
    EXPECT_EQ(Played(kSeBoost), 1);  // the launch's own
    EXPECT_EQ(Played(kSeFail), 0);
}

TEST_F(PlayerBoostTest, KnockedBackOrDuckingCannotBoost) {
    PlayerTask* player = StandingPlayer();
    boostEnergy = 60;
    player->knockedBack = 1;
    player->InvincibleTimer() = 175;
    Step(BoostKey());
    EXPECT_EQ(boostEnergy, 60);
    player->knockedBack = 0;
    player->InvincibleTimer() = 0;
    Step(kInputDown);
    ASSERT_EQ(player->ducking, 1);
    Step(kInputDown | BoostKey());
    EXPECT_EQ(boostEnergy, 60);
    EXPECT_EQ(Played(kSeBoost), 0);
}

class PlayerItemsTest : public PlayerTest {
  protected:
    // The player stands at (100, 160): its box covers x 114-126 and y 166-196, the item cells of columns 5
    // and 6 and rows 8 and 9.
    PlayerTask* StandingPlayer() {
        BuildFloorMap();
        PlayerTask* player = MakePlayer(100, 160);
        Step(0);
        return player;
    }
    void SetItem(int column, int row, int id) { map_.layers[1].tiles[row * map_.width + column] = id; }
    int Item(int column, int row) const { return map_.layers[1].tiles[row * map_.width + column]; }
};

TEST_F(PlayerItemsTest, EachItemTileHasItsEffectAndSound) {
    struct Case {
        int tile;
        int stock, health, elements, energy, bomb;
        int sound;
    };
    const Case cases[] = {
        {12, 2, 2, 1, 11, 0, kSeElement},
        {28, 2, 2, 0, 10, 1, kSeBombGet},
        {44, 3, 2, 0, 10, 0, kSe1Up},
        {60, 2, 3, 0, 10, 0, kSeRecover},
    };
    for (const Case& c : cases) {
        ResetGame();
        map_.Unload();
        map_.Clear();
        playerHealth = 2;
        playerStock = 2;
        boostEnergy = 10;
        StandingPlayer();
        SetItem(5, 9, c.tile);
        Step(0);
        EXPECT_EQ(Item(5, 9), 0) << "tile " << c.tile;
        EXPECT_EQ(playerStock, c.stock) << "tile " << c.tile;
        EXPECT_EQ(playerHealth, c.health) << "tile " << c.tile;
        EXPECT_EQ(elementCount, c.elements) << "tile " << c.tile;
        EXPECT_EQ(boostEnergy, c.energy) << "tile " << c.tile;
        EXPECT_EQ(bombHeld, c.bomb) << "tile " << c.tile;
        EXPECT_EQ(Played(c.sound), 1) << "tile " << c.tile;
    }
}

TEST_F(PlayerItemsTest, OtherTilesOfTheItemLayerStay) {
    StandingPlayer();
    for (const int tile : {1, 11, 13, 76, 92, 65}) {
        SetItem(5, 9, tile);
        Step(0);
        EXPECT_EQ(Item(5, 9), tile);
    }
    EXPECT_EQ(elementCount, 0);
    EXPECT_EQ(playerHealth, 3);
}

TEST_F(PlayerItemsTest, TheHundredthElementGivesALifeAndStillAddsEnergy) {
    StandingPlayer();
    elementCount = 99;
    boostEnergy = 40;
    playerStock = 2;
    SetItem(5, 9, 12);
    Step(0);
    EXPECT_EQ(playerStock, 3);
    EXPECT_EQ(elementCount, 0);
    EXPECT_EQ(boostEnergy, 41);
    EXPECT_EQ(Played(kSe1Up), 1);
    EXPECT_EQ(Played(kSeElement), 0);
}

TEST_F(PlayerItemsTest, CapsHoldEnergyAtOneFiftyAndHealthAtThree) {
    StandingPlayer();
    boostEnergy = 150;
    SetItem(5, 9, 12);
    SetItem(6, 9, 60);
    Step(0);
    EXPECT_EQ(boostEnergy, 150);
    EXPECT_EQ(playerHealth, 3);
    EXPECT_EQ(Played(kSeRecover), 1);
}

TEST_F(PlayerItemsTest, ASecondBombIsTakenSilently) {
    StandingPlayer();
    bombHeld = 1;
    SetItem(5, 9, 28);
    Step(0);
    EXPECT_EQ(Item(5, 9), 0);
    EXPECT_EQ(bombHeld, 1);
    EXPECT_EQ(Played(kSeBombGet), 0);
}

// Column 6 is under two probe points (the box's middle and right), column 5 under one: each item once.
TEST_F(PlayerItemsTest, ItemsUnderTheSameFrameAreAllTakenEachOnce) {
    StandingPlayer();
    SetItem(5, 8, 12);
    SetItem(6, 8, 12);
    SetItem(6, 9, 12);
    Step(0);
    EXPECT_EQ(elementCount, 3);
    EXPECT_EQ(Played(kSeElement), 3);
    EXPECT_EQ(Item(5, 8) + Item(6, 8) + Item(6, 9), 0);
}

TEST_F(PlayerItemsTest, HarmfulTileHurtsOnTheNextUpdate) {
    PlayerTask* player = StandingPlayer();
    SetItem(5, 9, 16);
    Step(0);
    EXPECT_EQ(player->hitCode, 4);
    EXPECT_EQ(playerHealth, 3);
    EXPECT_EQ(Item(5, 9), 16);
    Step(0);
    EXPECT_EQ(playerHealth, 2);
    EXPECT_EQ(player->knockedBack, 1);
    EXPECT_EQ(Played(kSeDamage), 1);
}

}  // namespace
