#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "game/devices/slide_smork_task.h"
#include "game/enemies/enemy_bullet_task.h"
#include "game/frame/collision.h"
#include "game/frame/game_state.h"
#include "game/frame/task_factory.h"
#include "tests/game/enemies/enemies_fixture.h"

namespace {

using EnemyBulletTest = EnemyTest;

EnemyBulletTask* Straight(MapData* map, double x, double y, double vx, double vy) {
    return dynamic_cast<EnemyBulletTask*>(CreateEnemyBulletTask(x, y, map, vx, vy));
}

TEST_F(EnemyBulletTest, StraightBulletIsASmallHarmfulCircleFacingItsFlight) {
    for (const double vx : {-3.0, 0.0, 2.5}) {
        DeleteAllTasks();
        EnemyBulletTask* bullet = Straight(&map_, 100.0, 50.0, vx, 1.0);
        ASSERT_NE(bullet, nullptr);
        EXPECT_EQ(bullet->type, -3);
        EXPECT_EQ(bullet->group, kGroupHarmful);
        EXPECT_EQ(bullet->drawLayer, 8);
        EXPECT_EQ(bullet->graphic, commonGraphic);
        EXPECT_EQ(bullet->srcX, 0);
        EXPECT_EQ(bullet->srcY, 40);
        EXPECT_EQ(bullet->w, 20);
        EXPECT_EQ(bullet->h, 20);
        EXPECT_EQ(bullet->shape, kShapeCircle);
        EXPECT_EQ(bullet->boxX, 10);
        EXPECT_EQ(bullet->boxY, 5);
        EXPECT_EQ(bullet->boxW, 5);
        EXPECT_EQ(bullet->flip, vx < 0.0 ? 1 : 0) << vx;
        EXPECT_EQ(bullet->SpeedX(), vx);
        EXPECT_EQ(bullet->SpeedY(), 1.0);
    }
}

TEST_F(EnemyBulletTest, AimedBulletFliesTowardTheTurnedAimPointPlusItsCarry) {
    struct Case {
        std::string name;
        double angle, carry;
        double vx, vy;  // aim point 100 to the right of the centre, speed 4
    };
    const double pi = std::numbers::pi;
    const std::vector<Case> cases = {
        {"straight at the aim", 0.0, 0.0, 4.0, 0.0},
        {"a quarter turn clockwise on screen points down", pi / 2, 0.0, 0.0, 4.0},
        {"a quarter turn the other way points up", -pi / 2, 0.0, 0.0, -4.0},
        {"half a turn points back", pi, 0.0, -4.0, 0.0},
        {"the carry adds to the horizontal speed", pi / 2, -1.5, -1.5, 4.0},
        {"carry can reverse the facing", 0.0, -6.0, -2.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteAllTasks();
        auto* bullet = dynamic_cast<EnemyBulletTask*>(
            CreateAimedEnemyBulletTask(90.0, 40.0, &map_, 200.0, 50.0, 4.0, c.angle, c.carry));
        ASSERT_NE(bullet, nullptr);
        EXPECT_NEAR(bullet->SpeedX(), c.vx, 1e-9);
        EXPECT_NEAR(bullet->SpeedY(), c.vy, 1e-9);
        EXPECT_EQ(bullet->flip, c.vx < 0.0 ? 1 : 0);
        EXPECT_EQ(bullet->boxY, 10);
        EXPECT_EQ(bullet->type, -3);
        EXPECT_EQ(bullet->group, kGroupHarmful);
    }
}

TEST_F(EnemyBulletTest, TurnedAimPointIsCutToWholePixels) {
    // Aim 10 right of the centre (100, 50), turned by 0.3: the point (109.55..., 52.95...) becomes
    // (109, 52), so the flight is along (9, 2), not along (9.55, 2.96).
    auto* bullet = dynamic_cast<EnemyBulletTask*>(
        CreateAimedEnemyBulletTask(90.0, 40.0, &map_, 110.0, 50.0, std::sqrt(85.0), 0.3, 0.0));
    EXPECT_NEAR(bullet->SpeedX(), 9.0, 1e-9);
    EXPECT_NEAR(bullet->SpeedY(), 2.0, 1e-9);
}

TEST_F(EnemyBulletTest, FliesAndCyclesFourPicturesOfFourFrames) {
    EnemyBulletTask* bullet = Straight(&map_, 100.0, 50.0, 2.0, -0.5);
    std::vector<int> pictures;
    for (int f = 0; f < 20; ++f) {
        Frame();
        pictures.push_back(bullet->srcX);
        EXPECT_EQ(LayerOf(bullet), 8);
    }
    EXPECT_EQ(pictures,
              (std::vector<int>{0, 0, 0, 0, 20, 20, 20, 20, 40, 40, 40, 40, 60, 60, 60, 60, 0, 0, 0, 0}));
    EXPECT_EQ(bullet->x, 140.0);
    EXPECT_EQ(bullet->y, 40.0);
}

TEST_F(EnemyBulletTest, AStrikeEndsItWithAPuffOnlyWhenNew) {
    struct Case {
        int previous, hit;
        bool ends;
    };
    for (const Case& c :
         {Case{-1, 3, true}, Case{1, 3, true}, Case{3, 3, false}, Case{-1, 1, false}, Case{-1, 2, false}}) {
        DeleteAllTasks();
        EnemyBulletTask* bullet = Straight(&map_, 100.0, 50.0, 3.0, 0.0);
        bullet->code2 = c.previous;
        bullet->hitCode = c.hit;
        Frame();
        EXPECT_EQ(bullet->dead, c.ends ? 1 : 0) << c.previous << " then " << c.hit;
        EXPECT_EQ(bullet->hitCode, -1);
        EXPECT_EQ(bullet->code2, c.hit);
        const auto puffs = TasksOf<SlideSmorkTask>(kGroupNoCollision);
        ASSERT_EQ(puffs.size(), c.ends ? 1u : 0u);
        if (c.ends) {
            EXPECT_EQ(puffs[0]->x, 105.0);  // where the bullet was struck
            EXPECT_EQ(puffs[0]->y, 55.0);
        }
    }
}

TEST_F(EnemyBulletTest, FiredInsideAWallItLivesSixFramesThenBurstsThere) {
    Fill(5, 2, 8, 4);  // a wall from (100, 40) to (180, 100)
    EnemyBulletTask* bullet = Straight(&map_, 95.0, 45.0, 1.0, 0.0);
    for (int f = 0; f < 6; ++f) {
        Frame();
        EXPECT_EQ(bullet->dead, 0) << "frame " << f;
    }
    Frame();
    EXPECT_EQ(bullet->dead, 1);
    ASSERT_EQ(TasksOf<SlideSmorkTask>(kGroupNoCollision).size(), 1u);
    EXPECT_EQ(TasksOf<SlideSmorkTask>(kGroupNoCollision)[0]->x, 107.0);
}

TEST_F(EnemyBulletTest, BurstsWhereItsCentreEntersAWallOrASolidBox) {
    Fill(10, 0, 10, 19);  // a wall from x 200
    EnemyBulletTask* bullet = Straight(&map_, 150.0, 100.0, 2.0, 0.0);
    int frames = 0;
    while (!bullet->dead && frames < 100) {
        Frame();
        ++frames;
    }
    EXPECT_EQ(bullet->x + 10, 200.0);  // the first step that puts its centre into the wall
    EXPECT_EQ(TasksOf<SlideSmorkTask>(kGroupNoCollision).size(), 1u);

    DeleteAllTasks();
    ASSERT_EQ(AddSolidBox(300, 0, 320, 400), 1);
    bullet = Straight(&map_, 250.0, 100.0, 2.0, 0.0);
    frames = 0;
    while (!bullet->dead && frames < 100) {
        Frame();
        ++frames;
    }
    EXPECT_EQ(bullet->x + 10, 300.0);
}

TEST_F(EnemyBulletTest, LeavesWithoutAPuffOutsideTheExtendedView) {
    struct Case {
        int kind;
        double x, y;
        bool lives;
    };
    // Camera (100, 50): the bullet lives while 60 < x + 20, x < 540 (600 in the boss map), 10 < y + 20
    // and y < 390, after its step.
    for (const Case& c :
         {Case{1, 41.0, 100.0, true}, Case{1, 40.0, 100.0, false}, Case{1, 539.0, 100.0, true},
          Case{1, 540.0, 100.0, false}, Case{4, 540.0, 100.0, true}, Case{4, 600.0, 100.0, false},
          Case{1, 200.0, -9.0, true}, Case{1, 200.0, -10.0, false}, Case{1, 200.0, 389.0, true},
          Case{1, 200.0, 390.0, false}}) {
        DeleteAllTasks();
        map_.kind = c.kind;
        cameraX = 100;
        cameraY = 50;
        EnemyBulletTask* bullet = Straight(&map_, c.x, c.y, 0.0, 0.0);
        Frame();
        EXPECT_EQ(bullet->dead, c.lives ? 0 : 1) << c.kind << " " << c.x << "," << c.y;
        EXPECT_TRUE(TasksOf<SlideSmorkTask>(kGroupNoCollision).empty());
    }
}

TEST_F(EnemyBulletTest, InTheBossMapItBurstsAfter360Frames) {
    for (const int kind : {4, 1}) {
        DeleteAllTasks();
        map_.kind = kind;
        EnemyBulletTask* bullet = Straight(&map_, 100.0, 100.0, 0.0, 0.0);
        for (int f = 0; f <= 360; ++f) Frame();
        EXPECT_EQ(bullet->dead, 0) << kind;
        Frame();
        EXPECT_EQ(bullet->dead, kind == 4 ? 1 : 0);
        EXPECT_EQ(TasksOf<SlideSmorkTask>(kGroupNoCollision).size(), kind == 4 ? 1u : 0u);
    }
}

TEST_F(EnemyBulletTest, DrawsTheBallAndItsGlowAdded) {
    cameraX = 30;
    cameraY = 10;
    EnemyBulletTask* bullet = Straight(&map_, 100.7, 50.2, -1.0, 0.0);
    for (int f = 0; f < 5; ++f) Frame();
    ClearCalls();
    bullet->Draw();
    std::vector<std::string> names;
    for (const auto& call : recording::Lib().calls) names.push_back(call.name);
    EXPECT_EQ(names, (std::vector<std::string>{"DrawImagePart", "SetBlend", "DrawImagePart", "SetBlend"}));
    const auto draws = recording::Named("DrawImagePart");
    EXPECT_EQ(draws[0].args, (std::vector<int64_t>{95 - 30, 50 - 10, 20, 40, 20, 20, commonGraphic, 1, 1}));
    EXPECT_EQ(draws[1].args, (std::vector<int64_t>{95 - 30, 50 - 10, 20, 60, 20, 20, commonGraphic, 1, 1}));
    EXPECT_EQ(recording::Named("SetBlend")[0].args, (std::vector<int64_t>{2, 128}));
    EXPECT_EQ(recording::Named("SetBlend")[1].args, (std::vector<int64_t>{0, 0}));
}

}  // namespace
