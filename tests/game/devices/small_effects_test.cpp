#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "engine/core/helpers/random.h"
#include "game/devices/explode_task.h"
#include "game/devices/falling_object_task.h"
#include "game/devices/quake_task.h"
#include "game/devices/slide_smork_task.h"
#include "tests/game/effects_fixture.h"

namespace {

using SmallEffectsTest = EffectsTest;

TEST_F(SmallEffectsTest, ExplosionShowsElevenFramesThenEndsInTheHiddenLayer) {
    auto* puff = new ExplodeTask(100, 50, 0, 12, 0.0, 0.0);
    EXPECT_EQ(puff->group, kGroupNoCollision);
    EXPECT_EQ(puff->srcY, 80);
    EXPECT_EQ(puff->w, 40);
    std::vector<int> shown;
    for (int i = 0; i < 11; ++i) {
        Frame();
        EXPECT_EQ(LayerOf(puff), 12);
        shown.push_back(puff->srcX);
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 40, 40, 80, 80, 120, 120, 160, 160, 200, 200}));
    EXPECT_EQ(puff->dead, 0);
    Frame();
    EXPECT_EQ(puff->dead, 1);
    EXPECT_EQ(LayerOf(puff), 0);  // never drawn
    Frame();
    EXPECT_EQ(taskCounts[kGroupNoCollision], 0);
}

TEST_F(SmallEffectsTest, DelayedExplosionTravelsUnseenThenAnimates) {
    auto* puff = new ExplodeTask(100, 50, 3, 12, std::numbers::pi / 2, 2.0);  // straight right
    EXPECT_NEAR(puff->SpeedX(), 2.0, 1e-12);
    EXPECT_NEAR(puff->SpeedY(), 0.0, 1e-12);
    for (int i = 0; i < 3; ++i) {
        Frame();
        EXPECT_EQ(LayerOf(puff), -1) << "frame " << i;
        EXPECT_NEAR(puff->x, 100.0 + 2.0 * (i + 1), 1e-9);
    }
    int visible = 0;
    while (!puff->dead) {
        Frame();
        visible += LayerOf(puff) == 12;
    }
    EXPECT_EQ(visible, 11);
    EXPECT_NEAR(puff->x, 100.0 + 2.0 * 15, 1e-9);
}

TEST_F(SmallEffectsTest, ExplosionAngleZeroFliesStraightUp) {
    auto* puff = new ExplodeTask(0, 0, 0, 5, 0.0, 3.0);
    EXPECT_NEAR(puff->SpeedX(), 0.0, 1e-12);
    EXPECT_NEAR(puff->SpeedY(), -3.0, 1e-12);
}

TEST_F(SmallEffectsTest, SlideDustShowsFourFramesInEightUpdates) {
    auto* dust = new SlideSmorkTask(30, 40);
    EXPECT_EQ(dust->graphic, commonGraphic);
    EXPECT_EQ(dust->x, 30.0);
    std::vector<int> shown;
    while (!dust->dead) {
        Frame();
        EXPECT_EQ(LayerOf(dust), 8);  // the last frame included
        shown.push_back(dust->srcX);
    }
    EXPECT_EQ(shown, (std::vector<int>{160, 170, 170, 180, 180, 190, 190, 190}));
}

TEST_F(SmallEffectsTest, QuakeShakesForItsDurationPlusOneFrames) {
    for (const int duration : {0, 3, 12}) {
        ResetGame();
        auto* quake = new QuakeTask(duration, 1);
        int frames = 0;
        std::vector<int> offsets;
        while (Registered(quake, kGroupNoCollision)) {
            quakeY = 0;
            Frame();
            if (!Registered(quake, kGroupNoCollision)) break;
            ++frames;
            offsets.push_back(quakeY);
            EXPECT_EQ(LayerOf(quake), -1);
        }
        EXPECT_EQ(frames, duration + 1) << "duration " << duration;
        for (int f = 0; f < frames; ++f) EXPECT_EQ(offsets[f], f / 4 % 2 == 0 ? -1 : 1) << "frame " << f;
    }
}

TEST_F(SmallEffectsTest, SidewaysQuakeAddsARandomZeroToTwo) {
    SeedRandom(17);
    std::vector<int> expected;
    for (int f = 0; f < 12; ++f) expected.push_back(GetRandomRange(2) + (f / 4 % 2 == 0 ? -1 : 1));
    SeedRandom(17);
    new QuakeTask(11, 0);
    for (int f = 0; f < 12; ++f) {
        Frame();
        EXPECT_EQ(quakeX, expected[f]) << "frame " << f;
        EXPECT_GE(quakeX, -1);
        EXPECT_LE(quakeX, 3);
        EXPECT_EQ(quakeY, 0);
    }
}

TEST_F(SmallEffectsTest, FallingPieceFallsSpinsAndDrawsCentredOnItsPosition) {
    cameraX = 10;
    cameraY = 20;
    auto* piece = new FallingObjectTask(200, 150, 8, 10, 30, 8, 2.0, -3.0, 0.5, 0.25);
    Frame();
    EXPECT_EQ(piece->SpeedY(), -3.0 + 0.3);
    EXPECT_EQ(piece->x, 202.0);
    EXPECT_EQ(piece->y, 150.0 + (-3.0 + 0.3));
    EXPECT_EQ(piece->Angle(), 0.75);
    EXPECT_EQ(LayerOf(piece), 8);
    recording::Reset();
    DrawAllLayers();
    const auto draws = recording::Named("DrawImagePartRotated");
    ASSERT_EQ(draws.size(), 1u);
    double angle = 0.0, scale = 0.0;
    std::memcpy(&scale, &draws[0].args[6], sizeof(scale));
    std::memcpy(&angle, &draws[0].args[7], sizeof(angle));
    EXPECT_EQ(draws[0].args[0], 202 - 10);
    EXPECT_EQ(draws[0].args[1], 147 - 20);
    EXPECT_EQ((std::vector<int64_t>(draws[0].args.begin() + 2, draws[0].args.begin() + 6)),
              (std::vector<int64_t>{10, 30, 10, 10}));
    EXPECT_EQ(scale, 1.0);
    EXPECT_EQ(angle, 0.75);
    EXPECT_EQ(draws[0].args[8], 8);
}

TEST_F(SmallEffectsTest, FallingPieceDiesOnceWhollyOutsideTheViewOnAnySide) {
    struct Case {
        int x, y;
        double speedX, speedY;
        const char* side;
    };
    for (const Case c : {Case{5, 150, -20.0, 0.0, "left"}, Case{395, 150, 20.0, 0.0, "right"},
                         Case{200, 5, 0.0, -20.0, "top, though gravity would bring it back"},
                         Case{200, 295, 0.0, 20.0, "bottom"}}) {
        ResetGame();
        auto* piece = new FallingObjectTask(c.x, c.y, 8, 0, 20, 8, c.speedX, c.speedY, 0.0, 0.0);
        Frame();
        EXPECT_EQ(piece->dead, 1) << c.side;
        EXPECT_EQ(LayerOf(piece), 8) << c.side;  // appended on its last frame too
        Frame();
        EXPECT_EQ(taskCounts[kGroupNoCollision], 0) << c.side;
    }
}

TEST_F(SmallEffectsTest, FallingPieceJustTouchingTheViewLives) {
    // x + w equals the camera's left edge: not yet wholly outside.
    auto* piece = new FallingObjectTask(-8, 150, 8, 0, 20, 8, -2.0, -0.3, 0.0, 0.0);
    Frame();
    EXPECT_EQ(piece->x, -10.0);
    EXPECT_EQ(piece->dead, 0);
    Frame();
    EXPECT_EQ(piece->dead, 1);
}

TEST_F(SmallEffectsTest, BlockDebrisStopsAtTheGroupLimit) {
    EXPECT_EQ(CreateBlockDebris(40, 60, 200), 4);
    EXPECT_EQ(CreateBlockDebris(40, 60, 6), 2);
    EXPECT_EQ(taskCounts[kGroupNoCollision], 6);
    EXPECT_EQ(CreateBlockDebris(40, 60, 6), 0);
    auto* first = static_cast<FallingObjectTask*>(taskGroups[kGroupNoCollision][0]);
    EXPECT_EQ(first->x, 40.0);
    EXPECT_EQ(first->y, 60.0);
    EXPECT_EQ(first->graphic, commonGraphic);
}

}  // namespace
