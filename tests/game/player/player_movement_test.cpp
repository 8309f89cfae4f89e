#include <cmath>

#include "engine/core/helpers/random.h"
#include "tests/game/player_fixture.h"

namespace {

constexpr uint32_t kDown = kInputDown, kLeft = kInputLeft, kRight = kInputRight, kUp = kInputUp;

class PlayerMovementTest : public PlayerTest {
  protected:
    // A player standing on the floor of row 10 (feet at y 200), settled for one frame.
    PlayerTask* StandingPlayer(int x = 100) {
        PlayerTask* player = MakePlayer(x, 160);
        Step(0);
        return player;
    }
    // The player's y after each of the given frames.
    std::vector<double> Heights(const std::vector<uint32_t>& masks) {
        std::vector<double> heights;
        for (uint32_t mask : masks) {
            Step(mask);
            heights.push_back(player_->y);
        }
        return heights;
    }
};

TEST_F(PlayerMovementTest, StartsAtTheMapStartFacingTheViewCentre) {
    BuildFloorMap();
    map_.cameraX = 20;
    PlayerTask* left = MakePlayer(209, 160);  // 189 px into the view
    EXPECT_EQ(left->flip, 0);
    PlayerTask* right = MakePlayer(210, 160);  // 190 px into the view
    EXPECT_EQ(right->flip, 1);
    EXPECT_EQ(playerFlip, 1);  // the next update starts from the published flip
    EXPECT_EQ(right->x, 210.0);
    EXPECT_EQ(right->group, kGroupPlayer);
    EXPECT_EQ(right->maxSpeed, 7.5);
}

TEST_F(PlayerMovementTest, HeldJumpRisesFortyFivePixelsAndATappedOneNine) {
    struct Case {
        bool held;
        int fullSpeedFrames;
    };
    for (const Case c : {Case{true, 10}, Case{false, 2}}) {
        ResetGame();
        map_.Unload();
        map_.Clear();
        BuildFloorMap();
        StandingPlayer();
        std::vector<uint32_t> masks(30, c.held ? Jump() : 0);
        masks[0] = Jump();
        const std::vector<double> heights = Heights(masks);
        double previous = 160.0;
        for (int i = 0; i < c.fullSpeedFrames; ++i) {
            EXPECT_EQ(heights[i] - previous, -4.5) << "frame " << i;
            previous = heights[i];
        }
        EXPECT_NEAR(160.0 - heights[c.fullSpeedFrames - 1], c.fullSpeedFrames * 4.5, 1e-9);
        EXPECT_NEAR(heights[c.fullSpeedFrames] - previous, -4.1, 1e-9) << "gravity starts";
        EXPECT_EQ(Played(kSeJump), 1);
    }
}

TEST_F(PlayerMovementTest, JumpLandsBackOnTheFloor) {
    BuildFloorMap();
    PlayerTask* player = StandingPlayer();
    Step(Jump());
    EXPECT_EQ(player->airborne, 1);
    Steps(0, 40);
    EXPECT_EQ(player->y, 160.0);
    EXPECT_EQ(player->airborne, 0);
    EXPECT_EQ(player->speedY, 0.0);
    EXPECT_EQ(player->groundedLatch, 1);
    EXPECT_EQ(playerAirborne, 0);
}

TEST_F(PlayerMovementTest, HeadBumpStopsTheRiseBelowTheCeiling) {
    std::vector<std::string> rows(15, std::string(40, '.'));
    rows[10] = std::string(40, '#');
    rows[5] = std::string(40, '#');  // bottom at y 120
    BuildMap(rows);
    PlayerTask* player = StandingPlayer();
    Step(Jump());
    double lowest = 0.0;
    bool bumped = false;
    for (int i = 0; i < 12 && !bumped; ++i) {
        Step(Jump());
        bumped = player->speedY == 0.0 && player->airborne;
        lowest = player->y;
    }
    ASSERT_TRUE(bumped);
    EXPECT_EQ(lowest, 114.0);  // box top (y + 6) against the ceiling's bottom
    EXPECT_EQ(player->groundedLatch, 0);
    Steps(0, 40);
    EXPECT_EQ(player->y, 160.0);
    EXPECT_EQ(player->airborne, 0);
}

TEST_F(PlayerMovementTest, FrictionAndTurningUseTheExactConstants) {
    BuildFloorMap();
    PlayerTask* player = StandingPlayer();
    struct Frame {
        uint32_t mask;
        double speed;
    };
    const Frame frames[] = {
        {kRight, 0.1},
        {0, -0.05000000000000002},  // 0.1 is not below 0.1: one more friction step
        {0, 0.0},
        {kLeft, -0.1},
        {kRight,
         0.20000000000000004},     // turning adds 0.30000000000000004 (0.3 would give 0.19999999999999998)
        {0, 0.05000000000000002},  // friction takes 0.15000000000000002
        {0, 0.0},
    };
    for (const Frame& f : frames) {
        Step(f.mask);
        EXPECT_EQ(player->speedX, f.speed) << f.mask;
        EXPECT_EQ(playerSpeed, f.speed);
    }
}

TEST_F(PlayerMovementTest, RunSpeedStopsAtTheMaximumAndFacingFollowsIt) {
    BuildFloorMap(60);
    PlayerTask* player = StandingPlayer(40);
    Steps(kRight, 100);
    EXPECT_EQ(player->speedX, 7.5);
    EXPECT_EQ(player->flip, 0);
    Steps(kLeft, 40);
    EXPECT_LT(player->speedX, -0.1);
    EXPECT_EQ(player->flip, 1);
}

TEST_F(PlayerMovementTest, DuckingCrawlsAtHalfAPixel) {
    BuildFloorMap();
    PlayerTask* player = StandingPlayer();
    Step(kDown);
    EXPECT_EQ(player->ducking, 1);
    EXPECT_EQ(playerDucking, 1);
    Step(kDown | kRight);
    EXPECT_EQ(player->speedX, 0.5);
    Step(0);
    EXPECT_EQ(player->ducking, 0);
}

class SlideTest : public PlayerMovementTest {
  protected:
    // Runs right to 4.5 px per frame, then presses DOWN alone; returns after the slide's first frame.
    PlayerTask* StartSlide() {
        BuildFloorMap(200);
        PlayerTask* player = StandingPlayer(40);
        Steps(kRight, 45);
        Step(kDown);
        return player;
    }
};

TEST_F(SlideTest, SlideLastsThirtyOneFramesAndKeepsItsSpeed) {
    PlayerTask* player = StartSlide();
    const double speed = player->speedX;
    int slidingFrames = player->sliding;
    while (player->sliding) {
        Step(0);
        slidingFrames += player->sliding;
    }
    EXPECT_EQ(slidingFrames, 31);
    EXPECT_EQ(player->slideTimer, -5);  // -6 and the first cool-down step in the same frame
    EXPECT_EQ(speed, 4.5);
    EXPECT_EQ(Played(kSeSlide), 1);
}

TEST_F(SlideTest, BoxAndDustWhileSliding) {
    PlayerTask* player = StartSlide();
    EXPECT_EQ(player->boxY, 22);
    EXPECT_EQ(player->boxH, 14);
    int dust = 0;
    for (Character* effect : Effects()) {
        if (effect->srcX == 160 && effect->srcY == 20) {
            ++dust;
            EXPECT_EQ(effect->x, static_cast<int>(player->x) + 25);  // facing right
            EXPECT_EQ(effect->y, static_cast<int>(player->y) + 35);
        }
    }
    EXPECT_EQ(dust, 1);
}

TEST_F(SlideTest, NewSlideStartsOnTheSixthFrameAfterTheEnd) {
    for (int delay = 1; delay <= 7; ++delay) {
        ResetGame();
        map_.Unload();
        map_.Clear();
        PlayerTask* player = StartSlide();
        while (player->sliding) Step(0);
        Steps(kRight, delay - 1);
        Step(kRight | kDown);
        EXPECT_EQ(player->sliding, delay >= 6 ? 1 : 0) << "pressed " << delay << " frames after the end";
    }
}

TEST_F(SlideTest, AJumpEndsTheSlideAndStopsItsSound) {
    PlayerTask* player = StartSlide();
    Step(Jump());
    EXPECT_EQ(player->sliding, 0);
    EXPECT_EQ(player->slideTimer, 0);
    EXPECT_GE(recording::Count("StopSoundHandle"), 1);
    bool stopped = false;
    for (const auto& call : recording::Named("StopSoundHandle"))
        stopped |= call.args[0] == kSoundBase + kSeSlide;
    EXPECT_TRUE(stopped);
}

TEST_F(PlayerMovementTest, AfterImageJitterDrawsTwoRandomValuesInOrder) {
    BuildFloorMap(200);
    PlayerTask* player = StandingPlayer(40);
    Steps(kRight, 70);
    ASSERT_GE(player->speedX, 6.5);
    SeedRandom(99);
    const int r1 = GetRandomRange(4), r2 = GetRandomRange(4);
    SeedRandom(99);
    Step(kRight);
    Character* shadow = nullptr;
    const std::vector<Character*> effects = Effects();
    for (Character* effect : effects) {
        if (effect->w == 40 && effect->h == 40) shadow = effect;
    }
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->x, static_cast<int>(player->x) + r1 - 2);
    EXPECT_EQ(shadow->y, static_cast<int>(player->y) + r2 - 2);
    EXPECT_EQ(shadow->srcX, player->srcX + 260);
}

TEST_F(PlayerMovementTest, DrawingDrawsNoRandomNumber) {
    BuildFloorMap(200);
    PlayerTask* player = StandingPlayer(40);
    Steps(kRight, 70);
    SeedRandom(5);
    const int expected = GetRandomRange(1000);
    SeedRandom(5);
    for (int i = 0; i < 10; ++i) DrawAllLayers();
    player->Draw();
    EXPECT_EQ(GetRandomRange(1000), expected);
}

TEST_F(PlayerMovementTest, BlinksTwoFramesInFourWhileInvincible) {
    BuildFloorMap();
    PlayerTask* player = StandingPlayer();
    player->counter = 0;
    player->InvincibleTimer() = 7;
    std::vector<int> drawn;
    for (int i = 0; i < 10; ++i) {
        Step(0);
        drawn.push_back(Drawn(player) ? 1 : 0);
    }
    // Counter 1 to 10 after each frame; the timer runs out during the seventh frame.
    EXPECT_EQ(drawn, (std::vector<int>{1, 0, 0, 1, 1, 0, 1, 1, 1, 1}));
}

TEST_F(PlayerMovementTest, HeldInsideTheViewUnlessTheRightEdgeIsOpen) {
    BuildFloorMap(60);
    for (const uint8_t open : {0, 1}) {
        ResetGame();
        rightEdgeOpen = open;
        cameraFrozen = 1;
        PlayerTask* player = StandingPlayer(370);
        Steps(kRight, 10);
        if (open) {
            EXPECT_GT(player->x + player->boxX + player->boxW, 400.0);
        } else {
            EXPECT_EQ(player->x, 400 - 12 - 14);
        }
        player->dead = 1;
    }
    ResetGame();
    cameraFrozen = 1;
    map_.SetCamera(100, 0);
    PlayerTask* player = StandingPlayer(80);
    EXPECT_EQ(player->x, 100 - 14);
}

TEST_F(PlayerMovementTest, LeavingTheTopUnderScriptedInputEndsThePlayer) {
    BuildFloorMap();
    PlayerTask* player = MakePlayer(100, -60);
    inputEnabled = 0;
    Step(0);
    EXPECT_EQ(playerLeftTop, 1);
    EXPECT_EQ(player->dead, 0);
    Step(0);
    EXPECT_EQ(player->dead, 1);
    EXPECT_EQ(playerLeftTop, 0);  // not raised again: the next player lives
    Step(0);
    PlayerTask* next = MakePlayer(100, 160);
    Step(0);
    EXPECT_EQ(next->dead, 0);
}

TEST_F(PlayerMovementTest, PushesOfCarriersAreAddedOnceAndConsumed) {
    BuildFloorMap();
    PlayerTask* player = StandingPlayer();
    playerPushX = 3.0;
    Step(0);
    EXPECT_EQ(player->x, 103.0);
    EXPECT_EQ(player->MoveX(), 3.0);
    EXPECT_EQ(playerPushX, 0.0);
    Step(0);
    EXPECT_EQ(player->x, 103.0);
}

}  // namespace
