#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "game/devices/quake_task.h"
#include "game/enemies/canox_task.h"
#include "game/enemies/crustone_task.h"
#include "game/enemies/enemy_bullet_task.h"
#include "game/frame/collision.h"
#include "game/frame/game_state.h"
#include "game/frame/task_factory.h"
#include "tests/game/enemies/enemies_fixture.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kLimit = 2.0 * kPi / 3.0;

std::vector<std::string> CallNames() {
    std::vector<std::string> names;
    for (const auto& call : recording::Lib().calls) names.push_back(call.name);
    return names;
}

// ---- The cannon turret ----

class CanoxTest : public EnemyTest {
  protected:
    // The turret at (200, 160), its centre at (220, 180); the player's centre at (cx, cy).
    CanoxTask* Turret(double cx = 220.0, double cy = 80.0) {
        PlacePlayer(cx, cy);
        MapObjectRecord record = Record(32, 200, 160, 40, 40);
        return dynamic_cast<CanoxTask*>(SpawnMapObject(&map_, &record));
    }
    static void PlacePlayer(double cx, double cy) {
        playerX = cx - 20;
        playerY = cy - 20;
    }
};

TEST_F(CanoxTest, MapRecordSpawnsATurretOnTheFloorOrUnderTheCeilingRightAboveIt) {
    struct Case {
        std::string name;
        int ceilingRow;  // -1: none
        int ceiling;
    };
    for (const Case& c :
         {Case{"open sky", -1, 0}, Case{"ceiling right above", 7, 1}, Case{"ceiling further up", 6, 0}}) {
        SCOPED_TRACE(c.name);
        DeleteAllTasks();
        for (uint8_t& tile : map_.layers[0].tiles) tile = 0;
        Ground(10);
        if (c.ceilingRow >= 0) Fill(0, 0, kColumns - 1, c.ceilingRow);
        CanoxTask* turret = Turret();
        ASSERT_NE(turret, nullptr);
        EXPECT_EQ(turret->ceiling, c.ceiling);
        EXPECT_EQ(turret->group, kGroupEnemy);
        EXPECT_EQ(turret->drawLayer, 11);
        EXPECT_EQ(turret->graphic, kCanoxGraphic);
        EXPECT_EQ(turret->shape, kShapeCircle);
        EXPECT_EQ(turret->boxX, 20);
        EXPECT_EQ(turret->boxY, 20);
        EXPECT_EQ(turret->boxW, 16);
        EXPECT_EQ(turret->health, 1);
        EXPECT_EQ(turret->work2, 1);
        EXPECT_EQ(turret->waitTimer, 60);
    }
}

TEST_F(CanoxTest, BarrelStartsPointingAtThePlayerMeasuredFromItsRest) {
    struct Case {
        bool ceiling;
        double dx, dy;  // player centre less turret centre
        double angle;
    };
    for (const Case& c :
         {Case{false, 0, -100, 0.0}, Case{false, 100, 0, kPi / 2}, Case{false, -100, 0, -kPi / 2},
          Case{false, 50, -50, kPi / 4}, Case{false, 0, 100, kLimit}, Case{true, 0, 100, 0.0},
          Case{true, 100, 0, -kPi / 2}, Case{true, -100, 0, kPi / 2}, Case{false, 0, 0, 0.0}}) {
        DeleteAllTasks();
        for (uint8_t& tile : map_.layers[0].tiles) tile = 0;
        if (c.ceiling) Fill(0, 7, kColumns - 1, 7);
        CanoxTask* turret = Turret(220.0 + c.dx, 180.0 + c.dy);
        EXPECT_NEAR(turret->barrelAngle, c.angle, 1e-12) << c.ceiling << " " << c.dx << "," << c.dy;
    }
}

TEST_F(CanoxTest, BarrelTurnsAtMostNineDegreesAFrameAndNeverPast120) {
    struct Case {
        std::string name;
        bool ceiling;
        double dx, dy;
        double settles;  // the angle it comes to rest at
    };
    const std::vector<Case> cases = {
        {"to the right", false, 100, 0, kPi / 2},
        {"behind the floor mount", false, -100, 100, -kLimit},
        {"straight below the floor mount", false, 1, 100, kLimit},
        {"behind the ceiling mount", true, 100, -100, -kLimit},
        {"a little to the left", false, -10, -100, std::atan2(-10.0, 100.0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteAllTasks();
        for (uint8_t& tile : map_.layers[0].tiles) tile = 0;
        if (c.ceiling) Fill(0, 7, kColumns - 1, 7);
        CanoxTask* turret = Turret(220.0, c.ceiling ? 280.0 : 80.0);  // straight out from the mount
        EXPECT_NEAR(turret->barrelAngle, 0.0, 1e-12);
        PlacePlayer(220.0 + c.dx, 180.0 + c.dy);
        double last = turret->barrelAngle;
        int moving = 0;
        for (int f = 0; f < 40; ++f) {
            turret->Update();
            EXPECT_LE(std::abs(turret->barrelAngle - last), kPi / 20 + 1e-12);
            EXPECT_LE(std::abs(turret->barrelAngle), kLimit + 1e-12);
            if (turret->barrelAngle != last) ++moving;
            last = turret->barrelAngle;
        }
        EXPECT_NEAR(turret->barrelAngle, c.settles, 1e-12);
        EXPECT_EQ(moving, static_cast<int>(std::ceil(std::abs(c.settles) / (kPi / 20) - 1e-9)));
    }
}

TEST_F(CanoxTest, OnScreenItFlashesAndFiresAlongItsBarrel) {
    Ground(10);
    CanoxTask* turret = Turret(320.0, 180.0);  // player to the right: the barrel turns to pi/2
    std::vector<int> fired;
    std::vector<EnemyBulletTask> shots;
    std::vector<int> flashes;
    for (int n = 1; n <= 260; ++n) {
        for (EnemyBulletTask* bullet : FrameAndNewTasks<EnemyBulletTask>(kGroupHarmful)) {
            fired.push_back(n);
            shots.push_back(*bullet);
        }
        if (n > 60 && n <= 81) flashes.push_back(turret->flash);
    }
    // 60 frames of waiting, the frame that starts the flashing and 20 of flashing; then 150 + 1 + 20.
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired[0], 60 + 1 + 20);
    EXPECT_EQ(fired[1] - fired[0], 150 + 1 + 20);
    EXPECT_EQ(flashes, (std::vector<int>{0, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0}));
    EXPECT_EQ(EffectsPlayed(), (std::vector<int>{kSeShot, kSeShot}));
    for (EnemyBulletTask& shot : shots) {
        // The muzzle is 20 to the right of the centre: the shot starts centred on it and flies right at 3
        // (the harmful group is updated after the enemies, so it has made its first step already).
        EXPECT_NEAR(shot.x, 240.0 - 10.0 + 3.0, 1e-9);
        EXPECT_NEAR(shot.y, 180.0 - 10.0, 1e-9);
        EXPECT_NEAR(shot.SpeedX(), 3.0, 1e-9);
        EXPECT_NEAR(shot.SpeedY(), 0.0, 1e-9);
        shot.group = -1;
    }
}

TEST_F(CanoxTest, CeilingTurretShootsDownAndTowardThePlayer) {
    Fill(0, 7, kColumns - 1, 7);
    CanoxTask* turret = Turret(220.0 - 100.0, 180.0 + 100.0);  // down and to the left: 45 degrees
    EXPECT_NEAR(turret->barrelAngle, kPi / 4, 1e-12);
    int frames = 0;
    while (TasksOf<EnemyBulletTask>(kGroupHarmful).empty() && frames < 200) {
        Frame();
        ++frames;
    }
    ASSERT_EQ(TasksOf<EnemyBulletTask>(kGroupHarmful).size(), 1u);
    EnemyBulletTask* shot = TasksOf<EnemyBulletTask>(kGroupHarmful)[0];
    const double r = 3.0 / std::sqrt(2.0);
    EXPECT_NEAR(shot->SpeedX(), -r, 1e-9);
    EXPECT_NEAR(shot->SpeedY(), r, 1e-9);
    EXPECT_NEAR(turret->muzzleX, 220.0 - 20.0 / std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(turret->muzzleY, 180.0 + 20.0 / std::sqrt(2.0), 1e-9);
}

TEST_F(CanoxTest, OffScreenItHoldsItsFire) {
    struct Case {
        int cameraX, cameraY;
        bool onScreen;
    };
    // The centre (220, 180) must lie strictly inside the screen.
    for (const Case& c : {Case{0, 0, true}, Case{219, 0, true}, Case{220, 0, false}, Case{-179, 0, true},
                          Case{-180, 0, false}, Case{0, 179, true}, Case{0, 180, false}, Case{0, -119, true},
                          Case{0, -120, false}}) {
        DeleteAllTasks();
        CanoxTask* turret = Turret();
        cameraX = c.cameraX;
        cameraY = c.cameraY;
        ClearCalls();
        for (int n = 0; n < 200; ++n) Frame();
        EXPECT_EQ(EffectsPlayed().size(), c.onScreen ? 1u : 0u) << c.cameraX << "," << c.cameraY;
        if (!c.onScreen) {
            EXPECT_EQ(turret->waitTimer, 59);
            EXPECT_EQ(turret->state, CanoxTask::kIdle);
        }
    }
}

TEST_F(CanoxTest, DrawsBarrelBaseAndFlashTurnedForItsMount) {
    for (const bool ceiling : {false, true}) {
        DeleteAllTasks();
        for (uint8_t& tile : map_.layers[0].tiles) tile = 0;
        if (ceiling) Fill(0, 7, kColumns - 1, 7);
        cameraX = 50;
        cameraY = 30;
        CanoxTask* turret = Turret(320.0, 180.0);
        turret->Update();
        turret->flash = 1;
        ClearCalls();
        turret->Draw();
        const double barrel = turret->barrelAngle + (ceiling ? kPi : 0.0);
        if (ceiling) {
            EXPECT_EQ(CallNames(), (std::vector<std::string>{"DrawImagePartRotated", "DrawImagePartRotated",
                                                             "SetBlend", "DrawCircleShape", "SetBlend"}));
            EXPECT_EQ(recording::Named("DrawImagePartRotated")[1].args,
                      (std::vector<int64_t>{170, 150, 0, 0, 40, 40, std::bit_cast<int64_t>(1.0),
                                            std::bit_cast<int64_t>(kPi), kCanoxGraphic, 1, 0}));
        } else {
            EXPECT_EQ(CallNames(), (std::vector<std::string>{"DrawImagePartRotated", "DrawImagePart",
                                                             "SetBlend", "DrawCircleShape", "SetBlend"}));
            EXPECT_EQ(recording::Named("DrawImagePart")[0].args,
                      (std::vector<int64_t>{150, 130, 0, 0, 40, 40, kCanoxGraphic, 1, 0}));
        }
        EXPECT_EQ(recording::Named("DrawImagePartRotated")[0].args,
                  (std::vector<int64_t>{170, 150, 40, 0, 40, 40, std::bit_cast<int64_t>(1.0),
                                        std::bit_cast<int64_t>(barrel), kCanoxGraphic, 1, 0}));
        EXPECT_EQ(recording::Named("SetBlend")[0].args, (std::vector<int64_t>{2, 192}));
        EXPECT_EQ(recording::Named("SetBlend")[1].args, (std::vector<int64_t>{0, 0}));
        EXPECT_EQ(recording::Named("DrawCircleShape")[0].args,
                  (std::vector<int64_t>{static_cast<int>(turret->muzzleX) - 50,
                                        static_cast<int>(turret->muzzleY) - 30, 6,
                                        (231 << 16) | (99 << 8) | 165, 1}));
        turret->flash = 0;
        ClearCalls();
        turret->Draw();
        EXPECT_EQ(recording::Count("DrawCircleShape"), 0);
    }
}

// ---- The crusher stone ----

class CrustoneTest : public EnemyTest {
  protected:
    // The stone at (200, 100), 60 x 50; home is 100.
    CrustoneTask* Stone() {
        MapObjectRecord record = Record(31, 200, 100, 60, 50);
        return dynamic_cast<CrustoneTask*>(SpawnMapObject(&map_, &record));
    }
};

TEST_F(CrustoneTest, MapRecordSpawnsAHarmfulStoneLoweredInTheCaves) {
    for (const int kind : {1, 2, 3, 4}) {
        DeleteAllTasks();
        map_.kind = kind;
        CrustoneTask* stone = Stone();
        ASSERT_NE(stone, nullptr);
        const double y = kind == 3 ? 110.0 : 100.0;
        EXPECT_EQ(stone->y, y) << kind;
        EXPECT_EQ(stone->homeY, y);
        EXPECT_EQ(stone->group, kGroupHarmful);
        EXPECT_EQ(stone->drawLayer, 12);
        EXPECT_EQ(stone->graphic, kCrustoneGraphic);
        EXPECT_EQ(stone->shape, kShapeCircle);
        EXPECT_EQ(stone->boxX, 30);
        EXPECT_EQ(stone->boxW, 20);
        EXPECT_EQ(stone->work2, 1);
    }
}

TEST_F(CrustoneTest, DropsWhenThePlayerPassesBelowWhileItIsOnScreen) {
    struct Case {
        double playerX;
        int cameraY;
        bool drops;
    };
    // Within 60 pixels of either side: 140 < player x and player x + 40 < 320; its rows on screen.
    for (const Case& c : {Case{140.0, 0, false}, Case{140.5, 0, true}, Case{279.5, 0, true},
                          Case{280.0, 0, false}, Case{200.0, -199, true}, Case{200.0, -200, false},
                          Case{200.0, 149, true}, Case{200.0, 150, false}}) {
        DeleteAllTasks();
        playerX = c.playerX;
        cameraY = c.cameraY;
        CrustoneTask* stone = Stone();
        stone->Update();
        EXPECT_EQ(stone->state, c.drops ? CrustoneTask::kFalling : CrustoneTask::kWaiting)
            << c.playerX << " camera y " << c.cameraY;
        EXPECT_EQ(stone->y, 100.0);
    }
}

TEST_F(CrustoneTest, FallsFasterUpTo12LandsWithAQuakeRestsAndRisesHome) {
    Ground(15);  // floor at y 300
    playerX = 210.0;
    CrustoneTask* stone = Stone();
    Frame();
    ASSERT_EQ(stone->state, CrustoneTask::kFalling);
    ClearCalls();
    double lastSpeed = 0.0;
    int frames = 0;
    while (stone->state == CrustoneTask::kFalling && frames < 100) {
        Frame();
        ++frames;
        if (stone->state != CrustoneTask::kFalling) break;
        EXPECT_NEAR(stone->SpeedY(), std::min(lastSpeed + 0.6, 12.0), 1e-9);
        EXPECT_LE(stone->y + 50, 300.0);
        EXPECT_EQ(stone->stripY, 0);
        lastSpeed = stone->SpeedY();
    }
    EXPECT_EQ(stone->state, CrustoneTask::kRising);
    EXPECT_EQ(stone->y, 250.0);  // resting on the floor
    EXPECT_EQ(EffectsPlayed(), std::vector<int>{kSeImpact});
    const auto quakes = TasksOf<QuakeTask>(kGroupNoCollision);
    ASSERT_EQ(quakes.size(), 1u);
    EXPECT_EQ(quakes[0]->duration, 12);
    EXPECT_EQ(quakes[0]->vertical, 1);
    // It rests until its counter reaches 31, then rises 2 a frame and stops exactly at home.
    for (int f = 1; f < 31; ++f) {
        Frame();
        EXPECT_EQ(stone->y, 250.0);
        EXPECT_EQ(stone->stripY, f % 7 * 5);
    }
    frames = 0;
    double lowestY = stone->y;
    while (stone->state == CrustoneTask::kRising && frames < 200) {
        Frame();
        ++frames;
        lowestY = std::min(lowestY, stone->y);
    }
    EXPECT_EQ(stone->state, CrustoneTask::kWaiting);
    EXPECT_EQ(stone->y, 100.0);
    EXPECT_EQ(lowestY, 100.0) << "it never rises past home";
    EXPECT_EQ(frames, 75);  // 148 pixels in 74 steps of 2, then the last 2 onto home
    playerX = 1000.0;
    for (int f = 0; f < 10; ++f) Frame();
    EXPECT_EQ(stone->y, 100.0);
    EXPECT_EQ(stone->state, CrustoneTask::kWaiting);
}

TEST_F(CrustoneTest, WithoutFloorBelowItKeepsFallingAt12) {
    playerX = 210.0;
    CrustoneTask* stone = Stone();
    for (int f = 0; f < 40; ++f) Frame();
    for (int f = 0; f < 5; ++f) {
        const double before = stone->y;
        Frame();
        EXPECT_EQ(stone->SpeedY(), 12.0);
        EXPECT_EQ(stone->y, before + 12.0);
    }
    EXPECT_EQ(stone->state, CrustoneTask::kFalling);
}

TEST_F(CrustoneTest, AStrikeOnlyFlashesItAndPlaysTheRefusal) {
    playerX = 1000.0;
    CrustoneTask* stone = Stone();
    std::vector<int> flashes;
    for (const int hit : {3, 3, -1, -1, 1, 3, -1, -1}) {
        stone->hitCode = hit;
        stone->Update();
        flashes.push_back(stone->flashCounter);
    }
    EXPECT_EQ(flashes, (std::vector<int>{1, 2, 0, 0, 0, 1, 2, 0}));
    EXPECT_EQ(EffectsPlayed(), (std::vector<int>{kSeInvalid, kSeInvalid}));
    EXPECT_EQ(stone->health, 1);
    EXPECT_EQ(stone->dead, 0);
    EXPECT_TRUE(TasksOf<Character>(kGroupNoCollision).empty());
}

TEST_F(CrustoneTest, DrawsBodyAndStripFromTheFlashRowsWhileFlashing) {
    playerX = 1000.0;
    cameraX = 20;
    cameraY = 10;
    CrustoneTask* stone = Stone();
    for (int f = 0; f < 4; ++f) stone->Update();  // counter 3 when drawn: strip frame 15
    stone->flip = 1;
    for (const int flash : {0, 2}) {
        stone->flashCounter = flash;
        ClearCalls();
        stone->Draw();
        const auto draws = recording::Named("DrawImagePart");
        ASSERT_EQ(draws.size(), 2u);
        const int shift = flash ? 60 : 0;
        EXPECT_EQ(draws[0].args, (std::vector<int64_t>{180, 90, 0, shift, 60, 50, kCrustoneGraphic, 1, 1}));
        EXPECT_EQ(draws[1].args,
                  (std::vector<int64_t>{180, 85, 60, 15 + shift, 60, 5, kCrustoneGraphic, 1, 0}));
    }
}

TEST_F(CrustoneTest, CircleFollowsThePlayerHeightWithinItsBody) {
    playerX = 1000.0;
    CrustoneTask* stone = Stone();
    for (const auto& [py, boxY] : std::vector<std::pair<double, int>>{
             {0.0, 20}, {100.0, 20}, {110.0, 30}, {110.9, 30}, {114.0, 34}, {300.0, 34}}) {
        playerY = py;
        stone->Update();
        EXPECT_EQ(stone->boxY, boxY) << py;
    }
}

}  // namespace
