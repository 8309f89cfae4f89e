#include "tests/game/player_fixture.h"

namespace {

struct PoseCase {
    const char* name;
    // State.
    int surface;
    int clingTimer, deathTimer, knockedBack, airborne, sliding, ducking;
    double speedX;
    uint32_t input;
    int runCounter;
    // Expected box (-1: left as it was), sprite width and frame.
    int bx, by, bw, bh, w;
    int twoPiece, srcX, srcY, lowerX, lowerY;
};

constexpr int kKept = -1;

// The box before each case, so that a pose that leaves a side alone shows it.
constexpr int kBeforeBox = 99;

const PoseCase kPoses[] = {
    // name                 surf cling death kb  air sl  du speed  input run   bx  by  bw  bh  w   2p  sx   sy
    // lx   ly
    {"dying", 0, 0, 1, 1, 1, 0, 0, 0.0, 0, 0, 14, kKept, 12, kKept, 43, 0, 200, 100, 0, 40},
    {"knocked back", 0, 0, 0, 1, 1, 0, 0, 1.2, 0, 0, 14, kKept, 12, kKept, 40, 0, 160, 100, 0, 40},
    {"clinging", 0, 3, 0, 0, 0, 0, 0, 0.0, 0, 0, 14, 20, 12, 16, 40, 0, 0, 100, 0, 40},
    {"airborne", 0, 0, 0, 0, 1, 0, 0, 3.0, kInputRight, 0, 14, 6, 12, 30, 40, 1, 0, 0, 160, 40},
    {"standing", 0, 0, 0, 0, 0, 0, 0, 0.0, 0, 0, 14, 6, 12, 30, 40, 1, 0, 0, 0, 40},
    {"running right, counter 0",
     0,
     0,
     0,
     0,
     0,
     0,
     0,
     2.0,
     kInputRight,
     0,
     14,
     6,
     12,
     30,
     40,
     1,
     160,
     0,
     80,
     70},
    {"running right, counter 6",
     0,
     0,
     0,
     0,
     0,
     0,
     0,
     2.0,
     kInputRight,
     6,
     14,
     6,
     12,
     30,
     40,
     1,
     200,
     0,
     120,
     70},
    {"running right, counter 12",
     0,
     0,
     0,
     0,
     0,
     0,
     0,
     2.0,
     kInputRight,
     12,
     14,
     6,
     12,
     30,
     40,
     1,
     200,
     0,
     160,
     70},
    {"running right, counter 18",
     0,
     0,
     0,
     0,
     0,
     0,
     0,
     2.0,
     kInputRight,
     18,
     14,
     6,
     12,
     30,
     40,
     1,
     160,
     0,
     200,
     70},
    {"running right, counter 24",
     0,
     0,
     0,
     0,
     0,
     0,
     0,
     2.0,
     kInputRight,
     24,
     14,
     6,
     12,
     30,
     40,
     1,
     120,
     0,
     0,
     70},
    {"running left, counter 30",
     0,
     0,
     0,
     0,
     0,
     0,
     0,
     -2.0,
     kInputLeft,
     30,
     14,
     6,
     12,
     30,
     40,
     1,
     120,
     0,
     40,
     70},
    {"coasting right, no input", 0, 0, 0, 0, 0, 0, 0, 2.0, 0, 5, 14, 6, 12, 30, 40, 1, 0, 0, 0, 40},
    {"holding left, moving right",
     0,
     0,
     0,
     0,
     0,
     0,
     0,
     2.0,
     kInputLeft,
     5,
     14,
     6,
     12,
     30,
     40,
     1,
     0,
     0,
     0,
     40},
    {"fast, counter 0", 0, 0, 0, 0, 0, 0, 0, 6.5, 0, 0, 14, 6, 12, 30, 40, 1, 120, 0, 40, 40},
    {"fast, counter 3", 0, 0, 0, 0, 0, 0, 0, -7.0, 0, 3, 14, 6, 12, 30, 40, 1, 120, 0, 80, 40},
    {"fast, counter 6", 0, 0, 0, 0, 0, 0, 0, 7.0, kInputRight, 6, 14, 6, 12, 30, 40, 1, 120, 0, 120, 40},
    {"fast, counter 9", 0, 0, 0, 0, 0, 0, 0, 7.0, kInputRight, 9, 14, 6, 12, 30, 40, 1, 120, 0, 80, 40},
    {"ducking, counter 0", 0, 0, 0, 0, 0, 0, 1, 0.0, kInputDown, 0, 14, 20, 12, 16, 40, 0, 0, 100, 0, 40},
    {"ducking, counter 6", 0, 0, 0, 0, 0, 0, 1, 0.5, kInputDown, 6, 14, 20, 12, 16, 40, 0, 40, 100, 0, 40},
    {"sliding", 0, 0, 0, 0, 0, 1, 0, 5.0, 0, 0, 14, 22, 12, 14, 40, 0, 120, 100, 0, 40},
    {"ceiling, clinging", 3, 1, 0, 0, 0, 0, 0, 0.0, 0, 0, 14, 0, 12, 16, kBeforeBox, 0, 0, 100, 0, 40},
    {"ceiling, running", 3, 0, 0, 0, 0, 0, 0, 7.0, 0, 3, 14, 4, 12, 30, kBeforeBox, 1, 120, 0, 80, 40},
    {"ceiling, sliding", 3, 0, 0, 0, 0, 1, 0, 7.0, 0, 0, 14, 4, 12, 14, kBeforeBox, 0, 120, 100, 0, 40},
    {"right wall, clinging", 1, 1, 0, 0, 0, 0, 0, 0.0, 0, 0, 20, 14, 16, 12, kBeforeBox, 0, 0, 100, 0, 40},
    {"right wall, running", 1, 0, 0, 0, 0, 0, 0, 0.0, 0, 0, 6, 14, 30, 12, kBeforeBox, 1, 120, 0, 40, 40},
    {"right wall, sliding", 1, 0, 0, 0, 0, 1, 0, 0.0, 0, 0, 22, 14, 14, 12, kBeforeBox, 0, 120, 100, 0, 40},
    {"left wall, clinging", 2, 1, 0, 0, 0, 0, 0, 0.0, 0, 0, 0, 14, 16, 12, kBeforeBox, 0, 0, 100, 0, 40},
    {"left wall, running", 2, 0, 0, 0, 0, 0, 0, 0.0, 0, 6, 4, 14, 30, 12, kBeforeBox, 1, 120, 0, 120, 40},
    {"left wall, sliding", 2, 0, 0, 0, 0, 1, 0, 0.0, 0, 0, 4, 14, 14, 12, kBeforeBox, 0, 120, 100, 0, 40},
};

class PlayerPoseTest : public PlayerTest {};

TEST_F(PlayerPoseTest, PoseTable) {
    BuildFloorMap();
    PlayerTask* player = MakePlayer(100, 160);
    for (const PoseCase& c : kPoses) {
        player->boxX = player->boxY = player->boxW = player->boxH = kBeforeBox;
        player->w = kBeforeBox;
        player->lowerSrcX = 0;
        player->lowerSrcY = 40;
        player->surface = c.surface;
        player->clingTimer = c.clingTimer;
        player->deathTimer = c.deathTimer;
        player->knockedBack = static_cast<uint8_t>(c.knockedBack);
        player->airborne = static_cast<uint8_t>(c.airborne);
        player->sliding = static_cast<uint8_t>(c.sliding);
        player->ducking = static_cast<uint8_t>(c.ducking);
        player->speedX = c.speedX;
        player->runCounter = c.runCounter;
        inputNow = c.input;
        player->SetPose();
        EXPECT_EQ(player->boxX, c.bx) << c.name;
        EXPECT_EQ(player->boxY, c.by == kKept ? kBeforeBox : c.by) << c.name;
        EXPECT_EQ(player->boxW, c.bw) << c.name;
        EXPECT_EQ(player->boxH, c.bh == kKept ? kBeforeBox : c.bh) << c.name;
        EXPECT_EQ(player->w, c.w) << c.name;
        EXPECT_EQ(player->twoPiece, c.twoPiece) << c.name;
        EXPECT_EQ(player->srcX, c.srcX) << c.name;
        EXPECT_EQ(player->srcY, c.srcY) << c.name;
        EXPECT_EQ(player->lowerSrcX, c.lowerX) << c.name;
        EXPECT_EQ(player->lowerSrcY, c.lowerY) << c.name;
    }
}

TEST_F(PlayerPoseTest, FastRunCycleSkipsTheFourthLegsFrame) {
    BuildFloorMap();
    PlayerTask* player = MakePlayer(100, 160);
    player->speedX = 7.0;
    std::vector<int> legs;
    for (int counter = 0; counter < 12; counter += 3) {
        player->runCounter = counter;
        player->SetPose();
        legs.push_back(player->lowerSrcX);
    }
    EXPECT_EQ(legs, (std::vector<int>{40, 80, 120, 80}));
}

}  // namespace
