#include <cmath>

#include "tests/game/player_fixture.h"

namespace {

constexpr uint32_t kLeft = kInputLeft, kRight = kInputRight, kUp = kInputUp;

// Floor along row 10 (top y 200), a ceiling along row 4 (bottom y 100), a wall in column 5 (x 100-119)
// and one in column 10 (x 200-219), rows 5 to 9.
const std::vector<std::string> kCorridor = {
    "........................................", "........................................",
    "........................................", "........................................",
    "########################################", ".....#....#.............................",
    ".....#....#.............................", ".....#....#.............................",
    ".....#....#.............................", ".....#....#.............................",
    "########################################", "........................................",
    "........................................", "........................................",
    "........................................",
};

class PlayerTileCollisionTest : public PlayerTest {
  protected:
    // A standing player at x whose next frame moves it at exactly `speed` (the maximum speed, held).
    PlayerTask* RunAt(int x, double speed) {
        PlayerTask* player = MakePlayer(x, 160);
        cameraFrozen = 1;
        Step(0);
        player->maxSpeed = std::abs(speed);
        player->speedX = speed;
        Step(speed > 0 ? kRight : kLeft);
        return player;
    }
};

TEST_F(PlayerTileCollisionTest, RunningIntoAWallClingsAboveSixPointFiveRightAndFromMinusSixPointFiveLeft) {
    struct Case {
        int x;
        double speed;
        int surface;
        double endX;
    };
    const Case cases[] = {
        {169, 6.5, kSurfaceFloor, 174.0},      // stopped against the wall's left side
        {169, 6.6, kSurfaceRightWall, 160.0},  // stopped, then moved 14 px out for the wall box
        {111, -6.5, kSurfaceLeftWall, 120.0},  // stopped at the wall's right side, then 14 px in
        {111, -6.4, kSurfaceFloor, 106.0},
    };
    for (const Case& c : cases) {
        ResetGame();
        map_.Unload();
        map_.Clear();
        BuildMap(kCorridor);
        PlayerTask* player = RunAt(c.x, c.speed);
        EXPECT_EQ(player->surface, c.surface) << c.speed;
        EXPECT_EQ(player->x, c.endX) << c.speed;
        EXPECT_EQ(player->clingTimer, c.surface == kSurfaceFloor ? 0 : 1) << c.speed;
        EXPECT_EQ(player->speedX, 0.0);
        EXPECT_EQ(playerSurface, c.surface);
    }
}

TEST_F(PlayerTileCollisionTest, ClingEndsOnFrameSixtyOneUnderPlayerControlOnly) {
    for (const uint8_t control : {1, 0}) {
        ResetGame();
        map_.Unload();
        map_.Clear();
        BuildMap(kCorridor);
        PlayerTask* player = RunAt(169, 6.6);
        ASSERT_EQ(player->clingTimer, 1);
        inputEnabled = control;
        for (int frame = 2; frame <= 61; ++frame) {
            Step(0);
            ASSERT_EQ(playerClingTimer, frame);
            ASSERT_EQ(player->surface, kSurfaceRightWall);
            EXPECT_EQ(player->x, 160.0);
        }
        Step(0);
        if (control) {
            EXPECT_EQ(player->clingTimer, 0);
            EXPECT_EQ(player->surface, kSurfaceFloor);
        } else {
            EXPECT_EQ(player->clingTimer, 62);
            EXPECT_EQ(player->surface, kSurfaceRightWall);
        }
        EXPECT_EQ(Played(kSeLand), 1);  // on the cling's second frame
    }
}

TEST_F(PlayerTileCollisionTest, JumpDropsFromACling) {
    BuildMap(kCorridor);
    PlayerTask* player = RunAt(169, 6.6);
    Step(0);
    Step(Jump());
    EXPECT_EQ(player->clingTimer, 0);
    EXPECT_EQ(player->surface, kSurfaceFloor);
}

TEST_F(PlayerTileCollisionTest, LaunchesUpTheWallAndClingsToTheCeiling) {
    BuildMap(kCorridor);
    PlayerTask* player = RunAt(169, 6.6);
    Step(0);
    Step(kUp);
    EXPECT_EQ(player->clingTimer, 0);
    EXPECT_EQ(player->surface, kSurfaceRightWall);
    EXPECT_EQ(player->speedY, -6.6);  // the launch speed, already the maximum
    EXPECT_EQ(player->boostLevel, 1);
    EXPECT_EQ(Played(kSeBoost), 1);
    int frames = 0;
    while (player->surface == kSurfaceRightWall && frames++ < 30) Step(kUp);
    EXPECT_EQ(player->surface, kSurfaceCeiling);
    EXPECT_EQ(player->clingTimer, 1);
    EXPECT_EQ(player->y, 100.0);  // stopped with the box top at the ceiling, then 14 px down
    Step(0);
    EXPECT_EQ(player->y, 100.0);
    EXPECT_EQ(player->surface, kSurfaceCeiling);
    Step(kLeft);
    EXPECT_EQ(player->surface, kSurfaceCeiling);
    EXPECT_LT(player->speedX, -6.5);
    EXPECT_EQ(Played(kSeBoost), 2);  // a launch along the ceiling is heard, one along the floor not
    Steps(kLeft, 3);
    EXPECT_EQ(player->surface, kSurfaceCeiling);
    EXPECT_EQ(player->y, 100.0);
}

TEST_F(PlayerTileCollisionTest, TooSlowOnTheCeilingFallsOffFacingTheOtherWay) {
    BuildMap(kCorridor);
    PlayerTask* player = RunAt(169, 6.6);
    Step(0);
    Step(kUp);
    while (player->surface == kSurfaceRightWall) Step(kUp);
    Step(0);
    Step(kLeft);
    ASSERT_EQ(player->surface, kSurfaceCeiling);
    const uint8_t flip = player->flip;
    int frames = 0;
    while (player->surface == kSurfaceCeiling && frames++ < 20) Step(0);
    EXPECT_LT(std::fabs(player->speedX), 6.5);
    EXPECT_GE(std::fabs(player->speedX), 6.5 - 0.15000000000000002);
    EXPECT_EQ(player->surface, kSurfaceFloor);
    EXPECT_NE(player->flip, flip);
    Steps(0, 30);
    EXPECT_EQ(player->y, 160.0);  // fell to the floor
    EXPECT_EQ(player->airborne, 0);
}

TEST_F(PlayerTileCollisionTest, BreakingABlockMakesFourPiecesAndOneSoundAndLetsThePlayerThrough) {
    struct Case {
        std::vector<int> rows;
        int pieces;
    };
    for (const Case& c : {Case{{9}, 4}, Case{{8, 9}, 8}}) {
        ResetGame();
        map_.Unload();
        map_.Clear();
        BuildFloorMap();
        for (int row : c.rows) SetTile(10, row, kBreakableTile);
        PlayerTask* player = RunAt(169, 6.6);
        for (int row : c.rows) EXPECT_EQ(Tile(10, row), 0);
        EXPECT_EQ(Played(kSeBreak), 1);
        EXPECT_EQ(player->x, 169.0 + 6.6);
        EXPECT_EQ(player->speedX, 6.6);
        EXPECT_EQ(player->surface, kSurfaceFloor);
        std::vector<Character*> pieces;
        for (Character* effect : Effects()) {
            if (effect->w == 10 && effect->graphic == commonGraphic) pieces.push_back(effect);
        }
        ASSERT_EQ(static_cast<int>(pieces.size()), c.pieces);
        struct Piece {
            int srcX, srcY;
            double speedX, speedY;
        };
        const Piece expected[4] = {
            {0, 20, -2.0, -3.0}, {10, 20, 2.0, -3.0}, {0, 30, -2.0, -2.0}, {10, 30, 2.0, -2.0}};
        for (int i = 0; i < c.pieces; ++i) {
            const Piece& e = expected[i % 4];
            // Made at the block's corner, the pieces have fallen for one frame already.
            const double speedY = e.speedY + 0.3;
            EXPECT_EQ(pieces[i]->x, 200.0 + e.speedX);
            EXPECT_EQ(pieces[i]->y, (i < 4 ? 180.0 : 160.0) + speedY);  // the lowest point breaks first
            EXPECT_EQ(pieces[i]->srcX, e.srcX);
            EXPECT_EQ(pieces[i]->srcY, e.srcY);
            EXPECT_EQ(pieces[i]->real1, e.speedX);
            EXPECT_EQ(pieces[i]->real2, speedY);
            EXPECT_EQ(pieces[i]->drawLayer, 8);
        }
    }
}

TEST_F(PlayerTileCollisionTest, BreakableBlockAtExactlySixPointFiveIsOnlyAStop) {
    BuildFloorMap();
    SetTile(10, 9, kBreakableTile);
    PlayerTask* player = RunAt(169, 6.5);
    EXPECT_EQ(Tile(10, 9), kBreakableTile);
    EXPECT_EQ(player->x, 174.0);
    EXPECT_EQ(Played(kSeBreak), 0);
}

TEST_F(PlayerTileCollisionTest, FallingPlayerLandsOnTheFloor) {
    BuildFloorMap();
    PlayerTask* player = MakePlayer(100, 60);
    Step(0);
    EXPECT_EQ(player->airborne, 1);
    int frames = 0;
    while (player->airborne && frames++ < 60) Step(0);
    EXPECT_EQ(player->y, 160.0);
    EXPECT_EQ(player->speedY, 0.0);
    EXPECT_EQ(player->MoveY(), 0.0);
}

TEST_F(PlayerTileCollisionTest, JumpIntoAWallIsNotAHeadBump) {
    // A wall in column 10 from the top down to the floor. Jumping while running into it, the head probe
    // reaches the wall itself while the tile above the head's centre is open: no head bump, no landing.
    std::vector<std::string> rows(15, std::string(40, '.'));
    rows[10] = std::string(40, '#');
    for (int r = 0; r < 10; ++r) rows[r][10] = '#';
    BuildMap(rows);
    PlayerTask* player = MakePlayer(174, 160);  // box right edge against the wall at x 200
    cameraFrozen = 1;
    Step(0);
    player->speedX = 4.0;
    Step(kRight | Jump());
    EXPECT_EQ(player->speedY, -4.5);
    EXPECT_EQ(player->y, 155.5);
    EXPECT_EQ(player->airborne, 1);
    EXPECT_EQ(player->x, 174.0);  // the side stop
    EXPECT_EQ(player->speedX, 0.0);
}

}  // namespace
