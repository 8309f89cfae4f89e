#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/helpers/random.h"
#include "game/devices/explode_task.h"
#include "game/enemies/canox_task.h"
#include "game/enemies/enemy_bullet_task.h"
#include "game/enemies/floggy_task.h"
#include "game/enemies/shulken_task.h"
#include "game/enemies/twigger_task.h"
#include "game/frame/collision.h"
#include "game/frame/game_state.h"
#include "game/frame/task_factory.h"
#include "tests/game/enemies/enemies_fixture.h"

namespace {

// ---- The damage rule shared by the enemies the player strikes or rams ----

struct DamageCase {
    std::string name;
    std::vector<int> hits;  // the hit code the collision pass leaves, frame by frame
    int boostBefore;
    int healthLost;
    int boostAfter;
};

using EnemyMaker = std::function<Character*(EnemyTest&, MapData*)>;

class EnemyDamageTest : public EnemyTest {
  protected:
    void RunDamageTable(const EnemyMaker& make) {
        const std::vector<DamageCase> cases = {
            {"attack held over frames counts once", {3, 3, 3}, 0, 1, 5},
            {"ram held over frames counts once", {1, 1, 1}, 0, 1, 0},
            {"attack, gap, attack counts twice", {3, -1, 3}, 10, 2, 20},
            {"ram then attack counts twice", {1, 3}, 0, 2, 5},
            {"attack then ram counts twice", {3, 1}, 0, 2, 5},
            {"player-side and harmful codes do nothing", {2, 4, 2}, 0, 0, 0},
            {"gauge stops at 150", {3, -1, 3}, 143, 2, 150},
            {"full gauge stays full", {3}, 150, 1, 150},
        };
        for (const DamageCase& c : cases) {
            SCOPED_TRACE(c.name);
            DeleteAllTasks();
            Character* enemy = make(*this, &map_);
            ASSERT_NE(enemy, nullptr);
            enemy->health = 5;
            boostEnergy = c.boostBefore;
            for (int hit : c.hits) {
                enemy->hitCode = hit;
                enemy->Update();
                EXPECT_EQ(enemy->hitCode, -1);
                EXPECT_EQ(enemy->code2, hit);
            }
            EXPECT_EQ(enemy->health, 5 - c.healthLost);
            EXPECT_EQ(boostEnergy, c.boostAfter);
            EXPECT_EQ(enemy->dead, 0);
        }
    }

    // Kills the enemy with one attack and checks the blast: the sound, one explosion at (x, y) at once
    // and three after 4, 8 and 12 frames at random points drawn y first, then dead after the frame.
    void RunDeath(const EnemyMaker& make, int blastTop) {
        DeleteAllTasks();
        Character* enemy = make(*this, &map_);
        ASSERT_NE(enemy, nullptr);
        ClearCalls();
        SeedRandom(2024);
        std::vector<std::pair<int, int>> offsets;
        for (int i = 0; i < 3; ++i) {
            const int dy = GetRandomRange(40);
            const int dx = GetRandomRange(40);
            offsets.push_back({dx, dy});
        }
        SeedRandom(2024);
        const double x0 = enemy->x, y0 = enemy->y;
        enemy->hitCode = kHitByPlayerAttack;
        ClearDrawLayers();
        enemy->Update();
        EXPECT_EQ(enemy->dead, 1);
        EXPECT_EQ(EffectsPlayed(), std::vector<int>{kSeExplode});
        EXPECT_EQ(LayerOf(enemy), enemy->drawLayer) << "the update runs to its end";
        const auto blasts = TasksOf<ExplodeTask>(kGroupNoCollision);
        ASSERT_EQ(blasts.size(), 4u);
        EXPECT_EQ(blasts[0]->x, static_cast<int>(x0));
        EXPECT_EQ(blasts[0]->y, static_cast<int>(y0));
        EXPECT_EQ(blasts[0]->delay, 0);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(blasts[i + 1]->delay, 4 * (i + 1));
            EXPECT_EQ(blasts[i + 1]->x, static_cast<int>(x0 + offsets[i].first - 20));
            EXPECT_EQ(blasts[i + 1]->y, static_cast<int>(y0 + offsets[i].second - blastTop));
        }
        for (ExplodeTask* blast : blasts) {
            EXPECT_EQ(blast->drawLayer, 11);
            EXPECT_EQ(blast->SpeedX(), 0.0);
            EXPECT_EQ(blast->SpeedY(), 0.0);
        }
        // A second update before the sweep does not blast again.
        enemy->Update();
        EXPECT_EQ(TasksOf<ExplodeTask>(kGroupNoCollision).size(), 4u);
        SweepDeadTasks();
        EXPECT_TRUE(TasksOf<Character>(kGroupEnemy).empty());
    }
};

Character* MakeMapTwigger(EnemyTest&, MapData* map) {
    MapObjectRecord record{30, 0, 200, 163, 40, 40, 0};
    return SpawnMapObject(map, &record);
}

TEST_F(EnemyDamageTest, WalkerTakesNewStrikesAndRamsOnly) {
    Ground(10);
    RunDamageTable(MakeMapTwigger);
}

TEST_F(EnemyDamageTest, WalkerExplodesWhenItsHealthRunsOut) {
    Ground(10);
    RunDeath(MakeMapTwigger, 20);
    RunDeath([](EnemyTest&, MapData* map) { return CreateTwiggerTaskAt(120.5, 33.7, map, 0.0); }, 20);
}

// ---- The walker ----

using TwiggerTest = EnemyTest;

TEST_F(TwiggerTest, MapRecordSpawnsAWalkerThatFacesThePlayer) {
    struct Case {
        double playerX;
        double speed;
        int flip;
    };
    for (const Case& c :
         {Case{500.0, 1.0, 0}, Case{200.0, 1.0, 0}, Case{199.5, -1.0, 1}, Case{0.0, -1.0, 1}}) {
        DeleteAllTasks();
        playerX = c.playerX;
        MapObjectRecord record = Record(30, 200, 160, 40, 40);
        auto* walker = dynamic_cast<TwiggerTask*>(SpawnMapObject(&map_, &record));
        ASSERT_NE(walker, nullptr) << c.playerX;
        EXPECT_EQ(walker->SpeedX(), c.speed) << c.playerX;
        EXPECT_EQ(walker->flip, c.flip) << c.playerX;
        EXPECT_EQ(walker->group, kGroupEnemy);
        EXPECT_EQ(walker->graphic, kTwiggerGraphic);
        EXPECT_EQ(walker->shape, kShapeCircle);
        EXPECT_EQ(walker->boxX, 20);
        EXPECT_EQ(walker->boxY, 20);
        EXPECT_EQ(walker->boxW, 16);
        EXPECT_EQ(walker->health, 1);
        EXPECT_EQ(walker->dropped, 0);
        EXPECT_EQ(walker->state, TwiggerTask::kWalking);
    }
}

TEST_F(TwiggerTest, WalksSixtyFramesPausesFortyAndTurnsAround) {
    Ground(10);
    playerX = 900.0;
    auto* walker = CreateTask<TwiggerTask>(Record(30, 200, 160, 40, 40), &map_);
    const std::vector<std::pair<int, int>> pictures = {{0, 0}, {7, 0}, {8, 40}, {16, 80}, {24, 40}, {32, 0}};
    int seen = 0;
    for (int f = 0; f < 60; ++f) {
        Frame();
        EXPECT_EQ(LayerOf(walker), 11);
        if (seen < static_cast<int>(pictures.size()) && pictures[seen].first == f) {
            EXPECT_EQ(walker->srcX, pictures[seen].second) << "frame " << f;
            ++seen;
        }
    }
    EXPECT_EQ(walker->x, 260.0);
    EXPECT_EQ(walker->state, TwiggerTask::kWalking);
    Frame();  // frame 60: it stops where it is
    EXPECT_EQ(walker->state, TwiggerTask::kPausing);
    EXPECT_EQ(walker->x, 260.0);
    for (int f = 1; f < 40; ++f) {
        Frame();
        EXPECT_EQ(walker->srcX, 80);
        EXPECT_EQ(walker->flip, 0);
    }
    EXPECT_EQ(walker->x, 260.0);
    Frame();  // frame 40 of the pause: it turns and sets off
    EXPECT_EQ(walker->state, TwiggerTask::kWalking);
    EXPECT_EQ(walker->flip, 1);
    EXPECT_EQ(walker->SpeedX(), -1.0);
    EXPECT_EQ(walker->x, 259.0);
    while (walker->state == TwiggerTask::kWalking) Frame();
    EXPECT_EQ(walker->x, 200.0);  // sixty pixels back
    for (int f = 0; f < 40; ++f) Frame();
    EXPECT_EQ(walker->flip, 0);
    EXPECT_EQ(walker->SpeedX(), 1.0);
}

TEST_F(TwiggerTest, StopsAtLedgesAndWallsAndTurnsAway) {
    struct Case {
        std::string name;
        std::function<void(TwiggerTest&)> build;
        double playerX;
        double stopX;  // the feeler one step ahead first meets the wall or misses the floor here
    };
    const std::vector<Case> cases = {
        // Floor ends at x 300: the floor feeler at x + 28 leaves it once x + 28 >= 300.
        {"ledge on the right", [](TwiggerTest& t) { t.Fill(0, 10, 14, 19); }, 900.0, 272.0},
        // Wall from x 300: the wall feeler at x + 32 meets it once x + 32 >= 300.
        {"wall on the right", [](TwiggerTest& t) { t.Ground(10), t.Fill(15, 0, 15, 9); }, 900.0, 268.0},
        // Floor starts at x 200: the feeler at x + 12 leaves it once x + 12 < 200.
        {"ledge on the left", [](TwiggerTest& t) { t.Fill(10, 10, 59, 19); }, 0.0, 187.0},
        // Wall up to x 200: the feeler at x + 8 meets it once x + 8 < 200.
        {"wall on the left", [](TwiggerTest& t) { t.Ground(10), t.Fill(9, 0, 9, 9); }, 0.0, 191.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteAllTasks();
        for (uint8_t& tile : map_.layers[0].tiles) tile = 0;
        c.build(*this);
        playerX = c.playerX;
        auto* walker = CreateTask<TwiggerTask>(Record(30, 230, 160, 40, 40), &map_);
        const int startFlip = walker->flip;
        int frames = 0;
        while (walker->state == TwiggerTask::kWalking && frames < 100) {
            Frame();
            ++frames;
        }
        EXPECT_LT(frames, 60);
        EXPECT_EQ(walker->x, c.stopX);
        for (int f = 0; f < 41; ++f) Frame();
        EXPECT_NE(walker->flip, startFlip);
        EXPECT_EQ(walker->state, TwiggerTask::kWalking);
        EXPECT_EQ(walker->x, c.stopX + (startFlip == 0 ? -2.0 : 2.0)) << "walks away from the edge";
    }
}

TEST_F(TwiggerTest, DroppedWalkerFallsLandsOnTheRowAndWalksLeftBlindly) {
    Fill(5, 10, 30, 19);  // a platform from x 100 to 620, top at y 200
    auto* walker = dynamic_cast<TwiggerTask*>(CreateTwiggerTaskAt(400.0, -150.0, &map_, -0.5));
    ASSERT_NE(walker, nullptr);
    EXPECT_EQ(walker->dropped, 1);
    EXPECT_EQ(walker->type, 30);
    EXPECT_EQ(walker->flip, 1);
    EXPECT_EQ(walker->state, TwiggerTask::kFalling);
    EXPECT_EQ(walker->w, 40);
    EXPECT_EQ(walker->h, 40);
    EXPECT_EQ(walker->boxW, 16);
    EXPECT_EQ(walker->group, kGroupEnemy);
    EXPECT_EQ(walker->graphic, kTwiggerGraphic);
    double lastSpeed = 0.0;
    int frames = 0;
    while (walker->state == TwiggerTask::kFalling && frames < 200) {
        const double before = walker->x;
        Frame();
        ++frames;
        if (walker->state != TwiggerTask::kFalling) break;
        EXPECT_EQ(LayerOf(walker), 14);
        EXPECT_EQ(walker->x, before - 0.5);
        EXPECT_GT(walker->SpeedY(), lastSpeed - 1e-9);
        EXPECT_LE(walker->SpeedY(), 6.0);
        EXPECT_NEAR(walker->SpeedY(), std::min(0.2 * frames, 6.0), 1e-9);
        lastSpeed = walker->SpeedY();
    }
    EXPECT_EQ(lastSpeed, 6.0) << "a long fall reaches the top speed";
    EXPECT_EQ(walker->state, TwiggerTask::kWalking);
    EXPECT_EQ(walker->y, 160.0);  // its feet on the platform
    EXPECT_EQ(walker->SpeedX(), -1.0);
    EXPECT_EQ(walker->SpeedY(), 0.0);
    EXPECT_EQ(walker->drawLayer, 11);
    // It never looks ahead: it walks off the platform's end and keeps going past 60 frames.
    const double landedX = walker->x;
    for (int f = 0; f < 400; ++f) Frame();
    EXPECT_EQ(walker->state, TwiggerTask::kWalking);
    EXPECT_EQ(walker->x, landedX - 400.0);
    EXPECT_EQ(walker->y, 160.0);
}

TEST_F(TwiggerTest, DroppedWalkerLandsOnASolidBox) {
    ASSERT_EQ(AddSolidBox(280, 200, 340, 220), 1);
    auto* walker = dynamic_cast<TwiggerTask*>(CreateTwiggerTaskAt(290.0, 100.0, &map_, 0.0));
    for (int f = 0; f < 100 && walker->state == TwiggerTask::kFalling; ++f) Frame();
    EXPECT_EQ(walker->state, TwiggerTask::kWalking);
    EXPECT_EQ(walker->y, 160.0);
}

TEST_F(TwiggerTest, DroppedWalkerEndsLeftOfTheViewOrOnTheClearFlag) {
    struct Case {
        double x;
        int cameraX;
        uint8_t clear;
        bool ends;
    };
    for (const Case& c : {Case{249.0, 300, 0, true}, Case{250.0, 300, 0, false}, Case{600.0, 300, 1, true},
                          Case{600.0, 300, 0, false}}) {
        DeleteAllTasks();
        Ground(10);
        cameraX = c.cameraX;
        clearDroppedActors = c.clear;
        // Land it first, then place it.
        auto* walker = dynamic_cast<TwiggerTask*>(CreateTwiggerTaskAt(c.x, 160.0, &map_, 0.0));
        walker->x = c.x + 1.0;  // this frame's step moves it to c.x first
        walker->Update();
        walker->Update();
        EXPECT_EQ(walker->dead, c.ends ? 1 : 0)
            << c.x << " camera " << c.cameraX << " clear " << int(c.clear);
    }
    // A walker of the map ignores both.
    DeleteAllTasks();
    clearDroppedActors = 1;
    cameraX = 1000;
    auto* walker = CreateTask<TwiggerTask>(Record(30, 100, 160, 40, 40), &map_);
    walker->Update();
    EXPECT_EQ(walker->dead, 0);
}

TEST_F(TwiggerTest, DrawnByItsSpriteAtTheCameraRelativePosition) {
    Ground(10);
    playerX = 0.0;
    cameraX = 50;
    cameraY = 20;
    auto* walker = CreateTask<TwiggerTask>(Record(30, 200, 160, 40, 40), &map_);
    Frame();
    ClearCalls();
    walker->Draw();
    const auto draws = recording::Named("DrawImagePart");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args, (std::vector<int64_t>{199 - 50, 160 - 20, 0, 0, 40, 40, kTwiggerGraphic, 1, 1}));
}

// ---- The cannon turret ----

Character* MakeCanox(EnemyTest&, MapData* map) {
    MapObjectRecord record{32, 0, 200, 160, 40, 40, 0};
    return SpawnMapObject(map, &record);
}

TEST_F(EnemyDamageTest, CannonTurretTakesNewStrikesAndRamsOnly) {
    RunDamageTable(MakeCanox);
}

TEST_F(EnemyDamageTest, CannonTurretExplodesWhenItsHealthRunsOut) {
    RunDeath(MakeCanox, 20);
}

// ---- The frog ----

Character* MakeFrog(EnemyTest&, MapData* map) {
    MapObjectRecord record{33, 1, 200, 150, 40, 50, 0};
    return SpawnMapObject(map, &record);
}

TEST_F(EnemyDamageTest, FrogTakesNewStrikesAndRamsOnly) {
    Ground(10);
    RunDamageTable(MakeFrog);
}

TEST_F(EnemyDamageTest, FrogExplodesWhenItsHealthRunsOut) {
    Ground(10);
    RunDeath(MakeFrog, 10);
}

using FloggyTest = EnemyTest;

TEST_F(FloggyTest, MapRecordSpawnsAFrogWhoseParameterGivesItsFirstHop) {
    for (const int param : {0, 1, 7}) {
        DeleteAllTasks();
        MapObjectRecord record = Record(33, 200, 150, 40, 50, param);
        auto* frog = dynamic_cast<FloggyTask*>(SpawnMapObject(&map_, &record));
        ASSERT_NE(frog, nullptr);
        EXPECT_EQ(frog->flip, param == 0 ? 1 : 0) << param;
        EXPECT_EQ(frog->group, kGroupEnemy);
        EXPECT_EQ(frog->graphic, kFloggyGraphic);
        EXPECT_EQ(frog->shape, kShapeCircle);
        EXPECT_EQ(frog->boxX, 20);
        EXPECT_EQ(frog->boxY, 27);
        EXPECT_EQ(frog->boxW, 17);
        EXPECT_EQ(frog->w, 40);
        EXPECT_EQ(frog->h, 50);
        EXPECT_EQ(frog->health, 1);
        EXPECT_EQ(frog->targetX, 200.0);
    }
}

// The frog at x 200 with its feet on y 200 looks at x 280 (facing right) or x 160 (facing left), at the
// height of its body (y 170) and just below its feet (y 210).
TEST_F(FloggyTest, HopsFlatDownAndUpAStepLandingOverItsTarget) {
    struct Case {
        std::string name;
        std::function<void(FloggyTest&)> build;
        int param;           // 1: first hop to the right
        double launchSpeed;  // upward
        int rise;            // landing height less the start height of its feet
    };
    const std::vector<Case> cases = {
        {"flat to the right", [](FloggyTest& t) { t.Ground(10); }, 1, 8.0, 0},
        {"flat to the left", [](FloggyTest& t) { t.Ground(10); }, 0, 8.0, 0},
        {"down a step", [](FloggyTest& t) { t.Fill(0, 10, 12, 19), t.Fill(13, 13, 59, 19); }, 1, 6.0, 60},
        {"up a step", [](FloggyTest& t) { t.Ground(10), t.Fill(13, 7, 59, 9); }, 1, 9.0, -60},
        {"up a step to the left", [](FloggyTest& t) { t.Ground(10), t.Fill(0, 7, 8, 9); }, 0, 9.0, -60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteAllTasks();
        for (uint8_t& tile : map_.layers[0].tiles) tile = 0;
        c.build(*this);
        auto* frog = CreateTask<FloggyTask>(Record(33, 200, 150, 40, 50, c.param), &map_);
        const double ahead = c.param == 0 ? -60.0 : 60.0;
        std::vector<int> pictures;
        for (int f = 0; f < 56; ++f) {
            Frame();
            pictures.push_back(frog->srcX);
        }
        EXPECT_EQ(pictures[39], 0);
        EXPECT_EQ(pictures[40], 40);  // crouch
        EXPECT_EQ(pictures[55], 40);
        EXPECT_EQ(frog->x, 200.0);
        Frame();  // frame 56: the leap
        EXPECT_EQ(frog->srcX, 80);
        EXPECT_EQ(frog->state, FloggyTask::kFlying);
        EXPECT_EQ(frog->targetX, 200.0 + ahead);
        EXPECT_EQ(frog->landingHeight, 200 + c.rise);
        EXPECT_NEAR(frog->SpeedY(), -c.launchSpeed + 0.2, 1e-12);
        // Under 0.4 a frame the feet cross the landing height after (sqrt(v^2 + 0.8 rise) + v) / 0.4 frames.
        const double flight = (std::sqrt(c.launchSpeed * c.launchSpeed + 0.8 * c.rise) + c.launchSpeed) / 0.4;
        EXPECT_NEAR(frog->SpeedX() * flight, ahead, 1e-9);
        const double speedX = frog->SpeedX();
        // Follow the flight: the positions lie on the parabola of the launch, and the frog lands over
        // its target within the step that crosses the landing height.
        int frames = 1;
        double lastX = frog->x, lastY = frog->y;
        while (frog->state == FloggyTask::kFlying && frames < 100) {
            lastX = frog->x;
            lastY = frog->y;
            Frame();
            ++frames;
        }
        ASSERT_EQ(frog->state, FloggyTask::kLanded);
        EXPECT_NEAR(lastY - 150.0, -c.launchSpeed * (frames - 1) + 0.2 * (frames - 1) * (frames - 1), 1e-9);
        EXPECT_LE(std::abs(lastX + speedX - frog->targetX), std::abs(speedX) + 1e-9);
        EXPECT_EQ(frog->x, 200.0 + ahead);
        EXPECT_EQ(frog->y, 150.0 + c.rise);
        EXPECT_EQ(frog->srcX, 40);
        EXPECT_EQ(frog->SpeedX(), 0.0);
        EXPECT_EQ(frog->SpeedY(), 0.0);
        const int flipBefore = frog->flip;
        for (int f = 1; f < 8; ++f) Frame();
        EXPECT_EQ(frog->flip, flipBefore);
        Frame();  // frame 8 after landing: it turns around
        EXPECT_EQ(frog->state, FloggyTask::kResting);
        EXPECT_EQ(frog->srcX, 0);
        EXPECT_NE(frog->flip, flipBefore);
    }
}

TEST_F(FloggyTest, BlockedHighAndOpenLowItOnlyBobsInPlace) {
    Fill(0, 10, 12, 19);  // its own ground ends at x 260
    Fill(13, 7, 59, 9);   // a ledge hanging ahead, nothing below it
    auto* frog = CreateTask<FloggyTask>(Record(33, 200, 150, 40, 50, 1), &map_);
    for (int f = 0; f < 57; ++f) Frame();
    EXPECT_EQ(frog->state, FloggyTask::kFlying);
    EXPECT_EQ(frog->srcX, 80);
    EXPECT_EQ(frog->SpeedX(), 0.0);
    double highest = frog->y, lowest = frog->y;
    int frames = 0;
    while (frog->state != FloggyTask::kResting && frames < 100) {
        Frame();
        ++frames;
        EXPECT_EQ(frog->x, 200.0);
        highest = std::min(highest, frog->y);
        lowest = std::max(lowest, frog->y);
    }
    EXPECT_EQ(frog->state, FloggyTask::kResting);
    EXPECT_LT(frames, 20);
    EXPECT_EQ(frog->x, 200.0);
    EXPECT_EQ(frog->y, 150.0);
    EXPECT_LE(lowest - highest, 1.0);
    EXPECT_EQ(frog->flip, 1) << "it turned around all the same";
}

TEST_F(FloggyTest, CircleDropsWhenThePlayerIsBelowItsBody) {
    Ground(10);
    auto* frog = CreateTask<FloggyTask>(Record(33, 200, 150, 40, 50, 1), &map_);
    for (const auto& [py, boxY] :
         std::vector<std::pair<double, int>>{{181.0, 33}, {180.0, 27}, {100.0, 27}}) {
        playerY = py;
        Frame();
        EXPECT_EQ(frog->boxY, boxY) << py;
    }
}

// ---- The turret in the rock ----

using ShulkenTest = EnemyTest;

TEST_F(ShulkenTest, FacesAwayFromTheRockOnItsLeft) {
    struct Case {
        bool rockLeft;
        double speed;
        int flip;
        int muzzle;
    };
    for (const Case& c : {Case{false, -3.0, 1, 204}, Case{true, 3.0, 0, 216}}) {
        DeleteAllTasks();
        for (uint8_t& tile : map_.layers[0].tiles) tile = 0;
        if (c.rockLeft) Fill(9, 5, 9, 5);
        Fill(10, 5, 10, 5, 9);  // its own face in the rock
        MapObjectRecord record = Record(34, 200, 100, 20, 20);
        auto* turret = dynamic_cast<ShulkenTask*>(SpawnMapObject(&map_, &record));
        ASSERT_NE(turret, nullptr);
        EXPECT_EQ(turret->ShotSpeed(), c.speed);
        EXPECT_EQ(turret->flip, c.flip);
        EXPECT_EQ(turret->muzzleX, c.muzzle);
        EXPECT_EQ(turret->group, kGroupNoCollision);
        EXPECT_EQ(turret->drawLayer, 10);
        EXPECT_EQ(turret->timer, 55);
    }
}

TEST_F(ShulkenTest, InViewItWaitsBlinksAndFiresThenReloads) {
    Fill(9, 5, 9, 5);  // rock on its left: it fires to the right
    auto* turret = CreateTask<ShulkenTask>(Record(34, 200, 100, 20, 20), &map_);
    std::vector<int> fired;  // update numbers (from 1) with a shot
    std::vector<int> blinks;
    std::vector<EnemyBulletTask> shots;  // copies of the new bullets as they were fired
    for (int n = 1; n <= 250; ++n) {
        for (EnemyBulletTask* bullet : FrameAndNewTasks<EnemyBulletTask>(kGroupHarmful)) {
            fired.push_back(n);
            shots.push_back(*bullet);
        }
        if (n > 55 && n <= 76) blinks.push_back(turret->blink);
    }
    // 55 frames of waiting, the frame that starts the warning, 20 frames of warning; then 120 + 1 + 20.
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired[0], 55 + 1 + 20);
    EXPECT_EQ(fired[1] - fired[0], 120 + 1 + 20);
    EXPECT_EQ(blinks, (std::vector<int>{0, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0}));
    for (EnemyBulletTask& shot : shots) {
        EXPECT_EQ(shot.x, 216.0 - 10.0);  // from (muzzle - 10, y)
        EXPECT_EQ(shot.y, 100.0);
        EXPECT_EQ(shot.SpeedX(), 3.0);
        EXPECT_EQ(shot.SpeedY(), 0.0);
        EXPECT_EQ(shot.flip, 0);
        shot.group = -1;  // the copies are not the registry's
    }
    EXPECT_EQ(EffectsPlayed(), std::vector<int>(fired.size(), kSeShot));
}

TEST_F(ShulkenTest, OutOfViewItHoldsFireAndWaitsAgainOnComingIntoView) {
    auto* turret = CreateTask<ShulkenTask>(Record(34, 200, 100, 20, 20), &map_);
    struct Case {
        int cameraX, cameraY;
        bool inView;
    };
    // The centre (210, 110) must lie strictly inside the view.
    for (const Case& c :
         {Case{0, 0, true}, Case{-189, 0, true}, Case{-190, 0, false}, Case{210, 0, false},
          Case{209, 0, true}, Case{0, 110, false}, Case{0, -189, true}, Case{0, -190, false}}) {
        DeleteAllTasks();
        turret = CreateTask<ShulkenTask>(Record(34, 200, 100, 20, 20), &map_);
        cameraX = c.cameraX;
        cameraY = c.cameraY;
        ClearCalls();
        for (int n = 0; n < 300; ++n) Frame();
        EXPECT_EQ(EffectsPlayed().size(), c.inView ? 2u : 0u) << c.cameraX << "," << c.cameraY;
        if (!c.inView) {
            EXPECT_EQ(turret->timer, 54);
        }
    }
    // Long out of view, then in view: 55 frames of waiting before the warning starts again.
    cameraX = 0;
    cameraY = 0;
    int frames = 0;
    while (turret->state == ShulkenTask::kWaiting && frames < 100) {
        Frame();
        ++frames;
    }
    EXPECT_EQ(frames, 55);  // the timer was held at 55 and counted down once more
}

TEST_F(ShulkenTest, DrawsOnlyItsMuzzleFlashWhileBlinking) {
    auto* turret = CreateTask<ShulkenTask>(Record(34, 200, 100, 20, 20), &map_);
    cameraX = 30;
    cameraY = 40;
    ClearCalls();
    turret->Draw();
    EXPECT_TRUE(recording::Lib().calls.empty());
    turret->blink = 1;
    turret->Draw();
    std::vector<std::string> names;
    for (const auto& call : recording::Lib().calls) names.push_back(call.name);
    EXPECT_EQ(names, (std::vector<std::string>{"SetBlend", "DrawCircleShape", "SetBlend"}));
    EXPECT_EQ(recording::Named("SetBlend")[0].args, (std::vector<int64_t>{2, 192}));
    EXPECT_EQ(recording::Named("SetBlend")[1].args, (std::vector<int64_t>{0, 0}));
    EXPECT_EQ(recording::Named("DrawCircleShape")[0].args,
              (std::vector<int64_t>{204 - 30, 100 - 40 + 10, 6, (231 << 16) | (99 << 8) | 165, 1}));
}

}  // namespace
