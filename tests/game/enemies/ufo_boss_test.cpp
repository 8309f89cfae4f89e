// The boss of the last area and its pilot, frame by frame: the pilot's boarding, the UFO's entrance,
// its attack rotation and attacks, hits through its body boxes, knock-back, destruction, the crash, and
// the pilot's escape up to the clear board.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "game/devices/explode_task.h"
#include "game/devices/falling_object_task.h"
#include "game/devices/quake_task.h"
#include "game/enemies/alien_task.h"
#include "game/enemies/fire_pillar_bullet_task.h"
#include "game/enemies/ufo_task.h"
#include "game/frame/collision.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/key_config.h"
#include "game/frame/only_collision_task.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/map/map_loop_task.h"
#include "game/scenes/stage_clear_task.h"
#include "tests/game/scene_fixture.h"
#include "tests/game/task_queries.h"

namespace {

constexpr int kUfoGraphic = 42;

class UfoBossTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        UseTestSoundEffects();
        map_.Clear();
        map_.kind = kBossMapKind;
        map_.graphics = new MapGraphicEntry[1]{};
        std::snprintf(map_.graphics[0].name, kMapNameLength, "ufo");
        map_.graphics[0].graphic = kUfoGraphic;
        map_.graphicCount = 1;
        map_.layers = new LayerData[1];
        map_.layerCount = 1;
        map_.layers[0].width = 220;
        map_.layers[0].height = 15;
    }
    void TearDown() override {
        DeleteAllTasks();
        map_.Unload();
        SceneTest::TearDown();
    }

    // One frame as the main loop runs it; scriptedInput afterwards holds what the tasks scripted.
    static void Frame() {
        scriptedInput = 0;
        SweepDeadTasks();
        ClearDrawLayers();
        RunCollisionPass();
        UpdateAllTasks();
    }

    // The tasks of the group that are of the type and are no hit box of the UFO's.
    static std::vector<Character*> Spawned(int group, int type) {
        std::vector<Character*> found;
        for (Character* task : TasksOf<Character>(group)) {
            if (task->type == type && dynamic_cast<OnlyCollisionTask*>(task) == nullptr &&
                dynamic_cast<UfoTask*>(task) == nullptr)
                found.push_back(task);
        }
        return found;
    }
    static bool Drawn(const IDraw* task) {
        for (int layer = 1; layer < kDrawLayerCount; ++layer) {
            for (int i = 0; i < drawLayerCounts[layer]; ++i) {
                if (drawLayers[layer][i] == task) return true;
            }
        }
        return false;
    }

    // A UFO whose boxes exist, placed at (x, y) in the state from counter 0, with the camera at 0.
    UfoTask* UfoIn(int state, double x = 300.0, double y = 80.0) {
        UfoTask* ufo = CreateTask<UfoTask>(&pilot_, &map_);
        EXPECT_NE(ufo, nullptr);
        Step(*ufo);
        ufo->x = x;
        ufo->y = y;
        ufo->SpeedX() = ufo->SpeedY() = 0.0;
        ufo->state = state;
        ufo->counter = 0;
        ClearCalls();
        return ufo;
    }

    MapData map_{};
    int32_t pilot_ = 0;
};

// --- The pilot ---

TEST_F(UfoBossTest, PilotSpawnsFromItsMapRecordAndBringsItsCraft) {
    MapObjectRecord records[] = {{38, 0, 120, 120, 40, 40, 0}};
    map_.objects = new MapObjectRecord[1];
    map_.objects[0] = records[0];
    map_.objectCount = 1;
    map_.SpawnObjectsInView();
    const auto pilots = TasksOf<AlienTask>(kGroupNoCollision);
    ASSERT_EQ(pilots.size(), 1u);
    AlienTask& pilot = *pilots[0];
    EXPECT_EQ(pilot.type, 38);
    EXPECT_EQ(pilot.x, 120.0);
    EXPECT_EQ(pilot.w, 40);
    EXPECT_EQ(pilot.graphic, kUfoGraphic);
    EXPECT_EQ(pilot.srcX, 0);
    EXPECT_EQ(pilot.srcY, 100);
    EXPECT_EQ(pilot.flip, 1);
    EXPECT_TRUE(TasksOf<UfoTask>(kGroupEnemy).empty());

    runTimerStopped = 0;
    Frame();
    const auto ufos = TasksOf<UfoTask>(kGroupEnemy);
    ASSERT_EQ(ufos.size(), 1u);
    const UfoTask& ufo = *ufos[0];
    EXPECT_EQ(ufo.pilotState, &pilot.state);
    EXPECT_EQ(ufo.x, 260.0);
    EXPECT_EQ(ufo.y, 120.0);
    EXPECT_EQ(ufo.health, 3);
    EXPECT_EQ(ufo.graphic, kUfoGraphic);
    EXPECT_EQ(ufo.shape, kShapeCircle);
    EXPECT_EQ(ufo.boxW, 30);
    EXPECT_EQ(ufo.speedCap, 7.5);
    EXPECT_EQ(inputEnabled, 0);
    EXPECT_EQ(runTimerStopped, 1);
    EXPECT_EQ(pilot.drawLayer, 11);
    EXPECT_TRUE(Drawn(&pilot));
}

TEST_F(UfoBossTest, PilotJumpsOntoTheSeatFromWhereverItStands) {
    const struct {
        double x, y;
    } starts[] = {{100.0, 120.0}, {40.0, 60.0}, {200.0, 200.0}, {500.0, 100.0}, {60.0, 280.0}};
    for (const auto& start : starts) {
        DeleteAllTasks();
        ClearCalls();
        MapObjectRecord record = {38, 0, 0, 0, 40, 40, 0};
        AlienTask* pilot = CreateTask<AlienTask>(record, &map_);
        ASSERT_NE(pilot, nullptr);
        pilot->x = start.x;
        pilot->y = start.y;
        Steps(*pilot, 300);
        EXPECT_EQ(pilot->state, AlienTask::kWaiting);
        EXPECT_TRUE(EffectsPlayed().empty());
        Step(*pilot);
        EXPECT_EQ(pilot->state, AlienTask::kJumping);
        EXPECT_EQ(pilot->srcX, 40);
        EXPECT_EQ(EffectsPlayed(), std::vector<int>{kSeJump});
        bool wasFalling = false;
        for (int f = 0; f < 200 && pilot->state == AlienTask::kJumping; ++f) {
            Step(*pilot);
            EXPECT_TRUE(std::isfinite(pilot->x));
            if (pilot->state == AlienTask::kJumping && pilot->SpeedY() > 0.0) {
                wasFalling = true;
                EXPECT_EQ(pilot->drawLayer, 14);
            }
        }
        EXPECT_EQ(pilot->state, AlienTask::kReady) << start.x << ", " << start.y;
        EXPECT_EQ(pilot->x, 300.0);
        EXPECT_EQ(pilot->y, 120.0);
        EXPECT_EQ(pilot->srcX, 0);
        EXPECT_TRUE(wasFalling || start.y >= 120.0);
    }
}

// Under the jump's own gravity the chosen horizontal speed lands the pilot at x 300 as it comes down
// through y 120, up to the rounding of the frame steps.
TEST_F(UfoBossTest, JumpSpeedCarriesThePilotOverTheSeat) {
    for (double sx : {0.0, 120.0, 260.0, 420.0}) {
        for (double sy : {40.0, 120.0, 200.0}) {
            const double vx = AlienJumpSpeedX(sx, sy);
            double x = sx, y = sy, vy = -8.0;
            while (!(vy > 0.0 && y >= 120.0)) {
                vy += 0.3;
                x += vx;
                y += vy;
            }
            EXPECT_NEAR(x, 300.0, std::fabs(vx) * 1.5) << sx << ", " << sy;
        }
    }
    // Too low to rise to the seat: a finite speed all the same.
    EXPECT_TRUE(std::isfinite(AlienJumpSpeedX(0.0, 400.0)));
    EXPECT_NEAR(AlienJumpSpeedX(0.0, 400.0), 300.0 / (8.0 / 0.3), 1e-9);
}

TEST_F(UfoBossTest, PilotBoardsAndTheUfoOpensTheFightOnceTheControlsAreBack) {
    MapObjectRecord record = {38, 0, 200, 120, 40, 40, 0};
    AlienTask* pilot = CreateTask<AlienTask>(record, &map_);
    Frame();
    UfoTask* ufo = TasksOf<UfoTask>(kGroupEnemy).at(0);
    while (pilot->state != AlienTask::kReady) Frame();
    EXPECT_EQ(ufo->state, UfoTask::kWaiting);
    ClearCalls();
    Frame();
    ASSERT_EQ(ufo->state, UfoTask::kEntrance);
    int aboardAt = -1, loopAt = -1;
    for (int f = 1; f <= 200 && ufo->state == UfoTask::kEntrance; ++f) {
        Frame();
        const int c = f;  // the UFO's counter during this frame
        EXPECT_EQ(ufo->extension, std::min(30, std::max(0, 2 * (c - 19)))) << "counter " << c;
        if (pilot->state == AlienTask::kAboard && aboardAt < 0) aboardAt = c;
        if (area4IntroShown == 1 && loopAt < 0) loopAt = c;
        if (c == 100) inputEnabled = 1;  // the title card hands the controls back
    }
    EXPECT_EQ(aboardAt, 34);
    EXPECT_EQ(loopAt, 50);
    EXPECT_EQ(TasksOf<MapLoopTask>(kGroupSceneControl).size(), 1u);
    const std::vector<int> played = EffectsPlayed();
    EXPECT_EQ(std::count(played.begin(), played.end(), kSeCock), 1);
    EXPECT_EQ(ufo->state, UfoTask::kApproach);
    EXPECT_EQ(ufo->counter, 1);
    EXPECT_EQ(pilot->drawLayer, 0);
    EXPECT_FALSE(Drawn(pilot));
    EXPECT_EQ(runTimerStopped, 1);  // only the title card starts the timer after the intro
    EXPECT_EQ(recording::Count("pxtone_Tune_Load"), 0);
}

TEST_F(UfoBossTest, AfterAMissInTheBossMapTheUfoReleasesTheControlsItself) {
    for (int respawned : {0, 1}) {
        DeleteAllTasks();
        ClearCalls();
        currentTune[0] = '\0';
        inputEnabled = 0;
        runTimerStopped = 1;
        respawnInBossMap = static_cast<uint8_t>(respawned);
        pilot_ = 2;
        UfoTask* ufo = CreateTask<UfoTask>(&pilot_, &map_);
        Step(*ufo);
        ASSERT_EQ(ufo->state, UfoTask::kEntrance);
        Steps(*ufo, 69);  // counters 1 to 69
        EXPECT_EQ(ufo->state, UfoTask::kEntrance);
        Step(*ufo);  // counter 70
        EXPECT_EQ(inputEnabled, respawned);
        EXPECT_EQ(runTimerStopped, respawned ? 0 : 1);
        EXPECT_EQ(ufo->state, respawned ? UfoTask::kApproach : UfoTask::kEntrance);
        const auto loads = recording::Named("pxtone_Tune_Load");
        ASSERT_EQ(loads.size(), static_cast<size_t>(respawned));
        if (respawned) {
            EXPECT_EQ(loads[0].text, "./bgm/boss2.pttune");
            EXPECT_EQ(recording::Named("pxtone_Tune_SetLoop").at(0).args, std::vector<int64_t>{1});
        }
    }
}

// --- Cruise and the attack rotation ---

TEST_F(UfoBossTest, ApproachSettlesAtHeight80AndTheRotationRepeats) {
    const struct {
        double cap;
        std::vector<int> attacks;
    } cases[] = {
        {7.5, {3, 4, 3, 5, 6, 4, 3, 5, 4, 6, 3, 4, 3}},
        {12.0, {3, 4, 3, 5, 3, 4, 3, 5, 4, 3, 3, 4, 3}},
        {13.5, {3, 4, 3, 5, 3, 4, 3, 5, 4, 3, 3, 4, 3}},
    };
    for (const auto& c : cases) {
        DeleteAllTasks();
        UfoTask* ufo = UfoIn(UfoTask::kApproach, 300.0, 150.0);
        ufo->speedCap = c.cap;
        Step(*ufo);  // counter 0
        Steps(*ufo, 60);
        EXPECT_NEAR(ufo->y, 80.0, 1e-9);
        std::vector<int> attacks;
        int previous = ufo->state;
        for (int f = 0; f < 4000 && attacks.size() < c.attacks.size(); ++f) {
            Step(*ufo);
            if (ufo->state != previous && ufo->state != UfoTask::kCruise) attacks.push_back(ufo->state);
            if (ufo->state == UfoTask::kCruise || ufo->state == UfoTask::kApproach) {
                EXPECT_LE(ufo->counter, 62);
                EXPECT_NEAR(ufo->y, 80.0, 1e-9);
            }
            previous = ufo->state;
        }
        EXPECT_EQ(attacks, c.attacks) << "cap " << c.cap;
    }
    EXPECT_EQ(UfoAttackAt(4, 11.9), UfoTask::kWalkers);
    EXPECT_EQ(UfoAttackAt(9, 12.0), UfoTask::kBullets);
    EXPECT_EQ(UfoAttackAt(14, 7.5), UfoTask::kWalkers);
    EXPECT_EQ(UfoAttackAt(-1, 7.5), UfoTask::kWalkers);
}

TEST_F(UfoBossTest, StationKeepingStepsByThePlayersRunUpToTheCap) {
    const struct {
        double gap;  // x - camera x
        double player, speed, cap;
        double speedAfter, step;
    } cases[] = {
        {300.0, 5.0, 4.0, 7.5, 4.0, 7.5},     // together above the cap
        {300.0, 2.0, 1.0, 7.5, 1.0, 3.0},     // carried by the run
        {300.0, -3.0, 1.0, 7.5, 1.0, 1.0},    // running back: its own speed alone
        {300.0, 0.0, -1.0, 7.5, -1.0, -1.0},  // standing player
        {250.0, 0.0, 7.4, 7.5, 7.5, 7.5},     // behind its station: speeds up, at most the cap
        {250.0, 0.0, 2.0, 7.5, 2.15, 2.15},
        {350.0, 0.0, -1.8, 7.5, -1.875, -1.875},  // ahead: slows down, at least a quarter cap back
        {350.0, 0.0, 1.0, 8.0, 0.85, 0.85},
    };
    for (const auto& c : cases) {
        DeleteAllTasks();
        cameraX = 1000;
        playerSpeed = c.player;
        UfoTask* ufo = UfoIn(UfoTask::kCruise, 1000.0 + c.gap);
        ufo->speedCap = c.cap;
        ufo->SpeedX() = c.speed;
        Step(*ufo);
        EXPECT_NEAR(ufo->SpeedX(), c.speedAfter, 1e-9) << c.gap << " " << c.player << " " << c.speed;
        EXPECT_NEAR(ufo->effectiveSpeed, c.step, 1e-9);
        EXPECT_NEAR(ufo->x, 1000.0 + c.gap + c.step, 1e-9);
    }
}

TEST_F(UfoBossTest, NeverFallsBehindTheLeftEdgeOfTheView) {
    for (int state : {UfoTask::kApproach, UfoTask::kCruise, UfoTask::kBullets, UfoTask::kFirePillars,
                      UfoTask::kLaser, UfoTask::kWalkers}) {
        DeleteAllTasks();
        cameraX = 0;
        playerSpeed = -7.5;
        UfoTask* ufo = UfoIn(state, 20.0);
        ufo->SpeedX() = -1.875;
        for (int f = 0; f < 120; ++f) {
            cameraX += 14;  // the view runs away faster than the UFO may go
            Step(*ufo);
            EXPECT_GE(ufo->x, cameraX) << "state " << state << " frame " << f;
        }
    }
    // Outside station keeping it moves by its own speed only.
    DeleteAllTasks();
    cameraX = 500;
    UfoTask* ufo = UfoIn(UfoTask::kKnocked, 100.0);
    ufo->SpeedX() = 20.0;
    Step(*ufo);
    EXPECT_NEAR(ufo->x, 100.0 + 20.0 - 0.15, 1e-9);
}

// --- Attacks ---

// Each shot flies at 3 toward the player's centre turned by a whole number of degrees from -2 to 2 (up to
// the whole-pixel aim point), with the player's forward run added.
TEST_F(UfoBossTest, BulletAttackFiresFiveAimedShotsWithTheLightBlinking) {
    for (double run : {0.0, 1.5, -2.0}) {
        DeleteAllTasks();
        playerSpeed = run;
        playerX = 480.0;
        playerY = 260.0;
        UfoTask* ufo = UfoIn(UfoTask::kBullets);
        for (int c = 0; c <= 90; ++c) {
            cameraX = static_cast<int>(ufo->x) - 300;
            const double x = ufo->x, y = ufo->y;
            const size_t before = Spawned(kGroupHarmful, -3).size();
            ClearCalls();
            Step(*ufo);
            const auto shots = Spawned(kGroupHarmful, -3);
            const bool fires = c == 20 || c == 36 || c == 52 || c == 68 || c == 84;
            ASSERT_EQ(shots.size(), before + (fires ? 1 : 0)) << "counter " << c;
            EXPECT_EQ(EffectsPlayed(), fires ? std::vector<int>{kSeShot} : std::vector<int>{});
            EXPECT_EQ(ufo->bulletLight, c < 84 && c % 4 < 2 ? 1 : 0) << "counter " << c;
            if (!fires) continue;
            Character& shot = *shots.back();
            EXPECT_EQ(shot.x, x + 50.0);
            EXPECT_EQ(shot.y, y + 32.0);
            const double vx = shot.param - std::max(0.0, run), vy = shot.real1;
            EXPECT_NEAR(std::hypot(vx, vy), 3.0, 1e-9);
            const double aimX = playerX + 20.0 - (shot.x + 10.0), aimY = playerY + 20.0 - (shot.y + 10.0);
            const double degrees =
                (std::atan2(vy, vx) - std::atan2(aimY, aimX)) * 180.0 / 3.14159265358979323846;
            EXPECT_NEAR(degrees, std::round(degrees), 0.3) << "counter " << c;
            EXPECT_LE(std::fabs(std::round(degrees)), 2.0);
        }
        EXPECT_EQ(ufo->state, UfoTask::kCruise);
        EXPECT_EQ(ufo->counter, 21);
        EXPECT_EQ(ufo->bulletLight, 0);
    }
}

TEST_F(UfoBossTest, FirePillarAttackDropsTwoShotsCarriedByTheStep) {
    playerSpeed = 2.0;
    UfoTask* ufo = UfoIn(UfoTask::kFirePillars);
    ufo->SpeedX() = 1.0;
    std::vector<double> xs;
    for (int c = 0; c <= 70; ++c) {
        cameraX = static_cast<int>(ufo->x) - 300;
        xs.push_back(ufo->x);
        const size_t before = Spawned(kGroupHarmful, -1).size();
        Step(*ufo);
        const auto shots = Spawned(kGroupHarmful, -1);
        const bool fires = c == 20 || c == 60;
        ASSERT_EQ(shots.size(), before + (fires ? 1 : 0)) << "counter " << c;
        if (fires) {
            EXPECT_EQ(shots.back()->x, static_cast<int>(xs.back()) + 12);
            EXPECT_EQ(shots.back()->y, 138.0);
            const auto* shot = dynamic_cast<FirePillarBulletTask*>(shots.back());
            ASSERT_NE(shot, nullptr);
            EXPECT_EQ(shot->real1, 3.0);  // the step of the frame before
        }
        const bool lit = (c < 20 || (c > 40 && c < 60)) && c % 4 < 2;
        EXPECT_EQ(ufo->pillarLight, lit ? 1 : 0) << "counter " << c;
        EXPECT_EQ(ufo->effectiveSpeed, 3.0);
    }
    EXPECT_EQ(xs[20], 360.0);
    EXPECT_EQ(ufo->state, UfoTask::kCruise);
    EXPECT_EQ(ufo->counter, 41);
}

TEST_F(UfoBossTest, LaserChargesThenSweepsTwiceWithAHarmfulBeam) {
    UfoTask* ufo = UfoIn(UfoTask::kLaser);
    OnlyCollisionTask* beam = ufo->boxes[UfoTask::kLaserBox];
    ASSERT_NE(beam, nullptr);
    EXPECT_EQ(beam->group, kGroupHarmful);
    std::vector<int> laserPlays;
    int bottoms = 0;
    double lowest = 0.0;
    int c = 0;
    for (; c < 1000 && ufo->state == UfoTask::kLaser; ++c) {
        ClearCalls();
        recording::Lib().playingSounds.clear();
        if (c >= 60 && c < 70) recording::Lib().playingSounds.push_back(soundEffects[kSeLaser]);
        const double speedBefore = ufo->SpeedY();
        Step(*ufo);
        for (int id : EffectsPlayed()) {
            if (id == kSeLaser) laserPlays.push_back(c);
            if (id == kSeCharge) {
                EXPECT_EQ(c, 10);
            }
        }
        EXPECT_EQ(ufo->chargeLight, c >= 10 && ufo->state == UfoTask::kLaser ? 1 : 0) << c;
        if (ufo->state == UfoTask::kLaser) {
            EXPECT_EQ(ufo->laserOn, c >= 50 ? 1 : 0) << c;
            if (c >= 50) {
                EXPECT_EQ(beam->shape, kShapeBox);
                EXPECT_EQ(beam->x, 0.0);
                EXPECT_EQ(beam->y, ufo->y + 40.0);
                EXPECT_EQ(beam->boxW, 320);
                EXPECT_EQ(beam->boxH, 8);
            } else {
                EXPECT_EQ(beam->shape, 0);
            }
        }
        if (speedBefore > 0.0 && ufo->SpeedY() < 0.0) ++bottoms;
        lowest = std::max(lowest, ufo->y);
        if (c < 71) {
            EXPECT_EQ(ufo->y, 80.0);
        }
    }
    EXPECT_EQ(bottoms, 2);
    EXPECT_GT(lowest, 166.0);
    EXPECT_LE(lowest, 170.0);
    EXPECT_LE(ufo->y, 81.0);
    EXPECT_EQ(ufo->state, UfoTask::kCruise);
    EXPECT_EQ(ufo->counter, 41);
    EXPECT_EQ(ufo->SpeedY(), 0.0);
    EXPECT_EQ(ufo->laserOn, 0);
    EXPECT_EQ(ufo->chargeLight, 0);
    EXPECT_EQ(ufo->sweepCount, 0);
    // Started whenever it was not playing: every frame from 50 except while it still sounded.
    ASSERT_FALSE(laserPlays.empty());
    EXPECT_EQ(laserPlays.front(), 50);
    EXPECT_EQ(static_cast<int>(laserPlays.size()), c - 1 - 50 + 1 - 10);
    for (int frame : laserPlays) EXPECT_TRUE(frame < 60 || frame >= 70) << frame;
    Step(*ufo);
    EXPECT_EQ(beam->shape, 0);
}

TEST_F(UfoBossTest, LaserBeamHurtsAPlayerInItsRow) {
    UfoTask* ufo = UfoIn(UfoTask::kLaser);
    for (int c = 0; c < 50; ++c) Step(*ufo);
    OnlyCollisionTask* player = CreateTask<OnlyCollisionTask>(kShapeBox, 0.0, 0.0, kGroupPlayer);
    player->SetShape(kShapeBox, 40, 40, 100.0, 100.0);  // the beam lies at y 120 to 128
    RunCollisionPass();
    EXPECT_EQ(player->hitCode, -1);  // not yet on
    Step(*ufo);
    RunCollisionPass();
    EXPECT_EQ(player->hitCode, kHitPlayerByHarmful);
    player->hitCode = -1;
    player->SetShape(kShapeBox, 40, 40, 100.0, 130.0);
    RunCollisionPass();
    EXPECT_EQ(player->hitCode, -1);
}

TEST_F(UfoBossTest, WalkerAttackOpensTheHatchAndDropsThreeWalkers) {
    playerSpeed = 1.5;
    UfoTask* ufo = UfoIn(UfoTask::kWalkers);
    ufo->SpeedX() = 0.5;
    std::vector<int> hatch;
    for (int c = 0; c < 300 && ufo->state == UfoTask::kWalkers; ++c) {
        cameraX = static_cast<int>(ufo->x) - 300;
        const double x = ufo->x, y = ufo->y;
        const size_t before = Spawned(kGroupEnemy, 30).size();
        ClearCalls();
        Step(*ufo);
        hatch.push_back(ufo->hatchOpening);
        const auto walkers = Spawned(kGroupEnemy, 30);
        const bool drops = c == 20 || c == 50 || c == 80;
        ASSERT_EQ(walkers.size(), before + (drops ? 1 : 0)) << "counter " << c;
        if (drops) {
            EXPECT_EQ(walkers.back()->x, x + 40.0);
            EXPECT_EQ(walkers.back()->y, y + 20.0);
            EXPECT_EQ(walkers.back()->real1, 2.0);
        }
        EXPECT_EQ(EffectsPlayed(), c == 3 ? std::vector<int>{kSeOpen} : std::vector<int>{});
    }
    const std::vector<int> opening = {40, 40, 40, 80, 80, 80, 120, 120, 120, 160, 160, 160, 200};
    EXPECT_EQ(std::vector<int>(hatch.begin(), hatch.begin() + 13), opening);
    EXPECT_EQ(hatch[110], 200);
    EXPECT_EQ(hatch[111], 160);
    EXPECT_EQ(hatch.size(), 124u);  // closed on counter 123
    EXPECT_EQ(hatch.back(), 0);
    EXPECT_EQ(ufo->state, UfoTask::kCruise);
    EXPECT_EQ(ufo->counter, 41);
}

// --- Hits ---

TEST_F(UfoBossTest, StrikesByAttackOrRamCountOthersDoNot) {
    const struct {
        int code;
        bool counts;
    } cases[] = {{kHitByPlayerAttack, true},
                 {kHitTouchedByPlayer, true},
                 {kHitPlayerByEnemy, false},
                 {kHitPlayerByHarmful, false},
                 {-1, false}};
    for (const auto& c : cases) {
        DeleteAllTasks();
        ClearCalls();
        pilot_ = 0;
        playerMaxSpeed = 7.5;
        UfoTask* ufo = CreateTask<UfoTask>(&pilot_, &map_);
        Frame();
        Frame();
        ClearCalls();
        ufo->hatchOpening = 120;
        ufo->bulletLight = ufo->laserOn = 1;
        ufo->sweepCount = 1;
        ufo->hitCode = c.code;
        Frame();
        EXPECT_EQ(ufo->hitCode, -1);
        EXPECT_EQ(ufo->health, c.counts ? 2 : 3) << "code " << c.code;
        EXPECT_EQ(ufo->state, c.counts ? UfoTask::kKnocked : UfoTask::kWaiting);
        if (!c.counts) continue;
        EXPECT_EQ(ufo->invulnerable, 11);
        EXPECT_NEAR(ufo->SpeedX(), 7.5 + 9.0 - 0.15, 1e-9);
        EXPECT_EQ(ufo->SpeedY(), 0.0);
        EXPECT_EQ(ufo->hatchOpening, 0);
        EXPECT_EQ(ufo->bulletLight + ufo->laserOn, 0);
        EXPECT_EQ(ufo->sweepCount, 0);
        EXPECT_EQ(EffectsPlayed().at(0), kSeExplode);
        EXPECT_EQ(areaCleared, 0);
    }
}

TEST_F(UfoBossTest, AttackOnABodyBoxCountsThroughTheCollisionPass) {
    pilot_ = 0;
    UfoTask* ufo = CreateTask<UfoTask>(&pilot_, &map_);
    Frame();
    ASSERT_NE(ufo->boxes[UfoTask::kRightPod], nullptr);
    EXPECT_EQ(ufo->boxes[UfoTask::kRightPod]->shape, 0);  // made this frame, placed from the next
    Frame();
    const OnlyCollisionTask& pod = *ufo->boxes[UfoTask::kRightPod];
    EXPECT_EQ(pod.shape, kShapeCircle);
    EXPECT_EQ(pod.x, 260.0 + 97.0);
    EXPECT_EQ(pod.y, 120.0 + 44.0);
    EXPECT_EQ(pod.boxW, 17);
    const OnlyCollisionTask& hull = *ufo->boxes[UfoTask::kHullBox];
    EXPECT_EQ(hull.shape, kShapeBox);
    EXPECT_EQ(hull.x, 276.0);
    EXPECT_EQ(hull.y, 149.0);
    EXPECT_EQ(hull.boxW, 88);
    EXPECT_EQ(hull.boxH, 34);
    EXPECT_EQ(ufo->boxes[UfoTask::kLeftPod]->x, 283.0);
    EXPECT_EQ(ufo->boxes[UfoTask::kLaserBox]->shape, 0);

    // A knife box beside the right pod, clear of the hull box and of the UFO's own circle.
    OnlyCollisionTask* knife = CreateTask<OnlyCollisionTask>(kShapeBox, 0.0, 0.0, kGroupPlayerAttack);
    knife->SetShape(kShapeBox, 10, 10, 260.0 + 105.0, 120.0 + 50.0);
    int struckAt = -1;
    for (int f = 0; f < 3 && struckAt < 0; ++f) {
        Frame();
        if (ufo->health == 2) struckAt = f;
    }
    EXPECT_EQ(struckAt, 1);  // the pod keeps the code for the UFO's next update
    EXPECT_EQ(ufo->state, UfoTask::kKnocked);
}

TEST_F(UfoBossTest, HitsAreIgnoredBeforeTheBoxesExistAndDuringInvulnerability) {
    pilot_ = 0;
    UfoTask* ufo = CreateTask<UfoTask>(&pilot_, &map_);
    ufo->hitCode = kHitByPlayerAttack;
    Frame();
    EXPECT_EQ(ufo->health, 3);
    Frame();
    ufo->hitCode = kHitByPlayerAttack;
    Frame();
    ASSERT_EQ(ufo->health, 2);
    for (int f = 1; f <= 11; ++f) {
        ufo->hitCode = kHitByPlayerAttack;
        Frame();
        EXPECT_EQ(ufo->health, 2) << "frame " << f << " after the hit";
    }
    ufo->hitCode = kHitByPlayerAttack;
    Frame();
    EXPECT_EQ(ufo->health, 1);
}

TEST_F(UfoBossTest, EachHitRaisesTheCapTowardThePlayersTopSpeed) {
    const struct {
        double playerMax;
        double capAfter;
    } cases[] = {{7.5, 7.5}, {7.55, 7.5}, {8.0, 8.0}, {9.5, 8.0}};
    for (const auto& c : cases) {
        DeleteAllTasks();
        playerMaxSpeed = c.playerMax;
        UfoTask* ufo = UfoIn(UfoTask::kCruise);
        ufo->hitCode = kHitByPlayerAttack;
        Step(*ufo);
        EXPECT_EQ(ufo->speedCap, c.capAfter) << c.playerMax;
        EXPECT_NEAR(ufo->SpeedX(), c.capAfter + 9.0 - 0.15, 1e-9);
    }
}

TEST_F(UfoBossTest, KnockBackEndsAtTheCapOrPastTheViewAndExplodesAtFirst) {
    const struct {
        int health;
        double x;
        int endState;
    } cases[] = {
        {2, 300.0, UfoTask::kApproach}, {2, 450.0, UfoTask::kApproach}, {0, 300.0, UfoTask::kDestroyed}};
    for (const auto& c : cases) {
        DeleteAllTasks();
        ClearCalls();
        UfoTask* ufo = UfoIn(UfoTask::kKnocked, c.x);
        ufo->health = c.health;
        ufo->SpeedX() = 7.5 + 9.0;
        std::vector<int> blastFrames, soundFrames;
        int frames = 0;
        while (ufo->state == UfoTask::kKnocked && frames < 200) {
            const size_t before = TasksOf<ExplodeTask>(kGroupNoCollision).size();
            ClearCalls();
            cameraX = c.x > 400.0 ? 0 : static_cast<int>(ufo->x) - 300;  // the view follows the push
            const double x = ufo->x, y = ufo->y;
            Step(*ufo);
            const auto blasts = TasksOf<ExplodeTask>(kGroupNoCollision);
            if (blasts.size() > before) {
                blastFrames.push_back(frames);
                ExplodeTask& blast = *blasts.back();
                EXPECT_GE(blast.x, static_cast<int>(x));
                EXPECT_LE(blast.x, x + 80.0);
                EXPECT_GE(blast.y, static_cast<int>(y));
                EXPECT_LE(blast.y, y + 30.0);
                EXPECT_EQ(blast.drawLayer, 11);
                EXPECT_EQ(blast.delay, 0);
                EXPECT_EQ(blast.SpeedX(), 0.0);
            }
            if (!EffectsPlayed().empty()) soundFrames.push_back(frames);
            ++frames;
        }
        EXPECT_EQ(ufo->state, c.endState);
        if (c.endState == UfoTask::kDestroyed) {
            EXPECT_EQ(ufo->SpeedX(), ufo->speedCap);
        } else {  // set to the cap, then one station-keeping step in the same frame
            EXPECT_NEAR(ufo->SpeedX(), ufo->speedCap, 0.15 + 1e-9);
        }
        EXPECT_EQ(ufo->counter, 1);
        if (c.x > 400.0) {
            EXPECT_EQ(frames, 1);
        } else {
            EXPECT_GE(frames, 60);
            EXPECT_LE(frames, 61);
        }
        std::vector<int> expectedBlasts, expectedSounds;
        for (int f = 0; f < frames; ++f) {
            if (f < 8 || (c.health < 1 && f % 2 == 0)) expectedBlasts.push_back(f);
            if (c.health < 1 && f % 8 == 0) expectedSounds.push_back(f);
        }
        EXPECT_EQ(blastFrames, expectedBlasts);
        EXPECT_EQ(soundFrames, expectedSounds);
    }
}

TEST_F(UfoBossTest, ThirdHitClearsTheAreaAndScriptsThePlayersRun) {
    pilot_ = 0;
    playerMaxSpeed = 9.0;
    runTimerStopped = 0;
    inputEnabled = 1;
    UfoTask* ufo = UfoIn(UfoTask::kCruise);
    ufo->health = 1;
    ufo->hitCode = kHitTouchedByPlayer;
    scriptedInput = 0;
    Step(*ufo);
    EXPECT_EQ(ufo->health, 0);
    EXPECT_EQ(areaCleared, 1);
    EXPECT_EQ(inputEnabled, 0);
    EXPECT_EQ(runTimerStopped, 1);
    EXPECT_EQ(ufo->speedCap, 9.0);
    EXPECT_NEAR(ufo->SpeedX(), 8.0 + 9.0 - 0.15, 1e-9);  // knocked by the cap raised once
    EXPECT_EQ(ufo->state, UfoTask::kKnocked);
    EXPECT_EQ(scriptedInput, kInputRight);
    keyConfig.padJump = 256;
    for (int cameraAt : {3599, 3600, 4000}) {
        map_.cameraX = cameraAt;
        scriptedInput = 0;
        ufo->hitCode = kHitByPlayerAttack;
        Step(*ufo);
        EXPECT_EQ(scriptedInput, cameraAt >= 3600 ? kInputRight | 256u : uint32_t{kInputRight}) << cameraAt;
        EXPECT_EQ(ufo->health, 0);  // no further hits once beaten
    }
    keyConfig = kDefaultKeyConfig;
}

// --- Destruction, crash and wreck ---

TEST_F(UfoBossTest, DestroyedUfoFliesOffFadesTheMusicAndCrashesAtTheArenaEnd) {
    pilot_ = AlienTask::kAboard;
    area4IntroShown = 1;
    cameraX = 2400;
    UfoTask* ufo = UfoIn(UfoTask::kDestroyed, 2700.0, 100.0);
    ufo->health = 0;
    ufo->SpeedX() = 7.5;
    std::vector<int> explodeSounds;
    double adjust = 0.0;
    int crashAt = -1;
    for (int c = 0; c < 1000 && crashAt < 0; ++c) {
        cameraX = static_cast<int>(ufo->x) - 300;
        const double x = ufo->x, y = ufo->y;
        ClearCalls();
        Step(*ufo);
        for (int id : EffectsPlayed()) {
            if (id == kSeExplode) explodeSounds.push_back(c);
        }
        if (c == 121) {
            adjust = (cameraX + 140.0 - x) / 120.0;
            EXPECT_NEAR(ufo->SpeedX(), 7.5 + adjust, 1e-9);
            EXPECT_NEAR(ufo->SpeedY(), (80.0 - y) / 120.0, 1e-12);
        }
        EXPECT_EQ(recording::Count("pxtone_Tune_Fadeout"), c == 241 ? 1 : 0) << c;
        if (c == 241) {
            EXPECT_NEAR(ufo->SpeedX(), 7.5, 1e-9);
            EXPECT_EQ(ufo->SpeedY(), 0.0);
            EXPECT_NEAR(ufo->y, 80.0, 1e-6);
        }
        EXPECT_EQ(area4IntroShown, c < 280 ? 1 : 0) << c;
        if (ufo->state == UfoTask::kWreck) {
            crashAt = c;
            EXPECT_GE(c, 280);
            EXPECT_GT(x + 80.0, 3940.0);
            EXPECT_EQ(EffectsPlayed().back(), kSeClash);
        } else if (c >= 280) {
            EXPECT_LE(x + 80.0, 3940.0);
        }
    }
    ASSERT_GE(crashAt, 280);
    for (size_t i = 0; i < explodeSounds.size(); ++i) EXPECT_EQ(explodeSounds[i], static_cast<int>(16 * i));
    EXPECT_EQ(pilot_, AlienTask::kEscaping);
    EXPECT_EQ(ufo->SpeedX(), -4.0);
    EXPECT_EQ(ufo->SpeedY(), -2.0);
    EXPECT_EQ(ufo->counter, 1);
    EXPECT_EQ(TasksOf<QuakeTask>(kGroupNoCollision).size(), 2u);
    const auto pieces = TasksOf<FallingObjectTask>(kGroupNoCollision);
    ASSERT_EQ(pieces.size(), 8u);
    const double crashX = ufo->x + 4.0, crashY = ufo->y + 2.0;  // where it stood when it broke
    const struct {
        int dx, dy;
        double vx, vy;
    } expected[] = {{15, 45, -2.4, -5.0}, {15, 55, -1.6, -4.8}, {15, 65, -0.8, -4.6}, {15, 75, 0.0, -4.4},
                    {25, 45, -3.0, -3.4}, {25, 55, -2.0, -3.2}, {25, 65, -1.0, -3.0}, {25, 75, 0.0, -2.8}};
    for (size_t i = 0; i < 8; ++i) {
        const FallingObjectTask& piece = *pieces[i];
        EXPECT_EQ(piece.x, static_cast<int>(crashX) + expected[i].dx) << i;
        EXPECT_EQ(piece.y, static_cast<int>(crashY) + expected[i].dy) << i;
        EXPECT_EQ(piece.real1, expected[i].vx);
        EXPECT_EQ(piece.real2, expected[i].vy);
        EXPECT_EQ(piece.graphic, kUfoGraphic);
        EXPECT_EQ(piece.srcY, 60);
        EXPECT_EQ(piece.drawLayer, 2);
        EXPECT_TRUE(piece.srcX == 180 || piece.srcX == 190 || piece.srcX == 200 || piece.srcX == 210)
            << piece.srcX;
    }
}

TEST_F(UfoBossTest, WreckFallsSpinningAndSettlesSinking) {
    UfoTask* ufo = UfoIn(UfoTask::kWreck, 3800.0, 60.0);
    ufo->health = 0;
    ufo->SpeedX() = -4.0;
    ufo->SpeedY() = -2.0;
    double vx = -4.0, vy = -2.0, x = 3800.0, y = 60.0, spin = 0.0;
    for (int f = 0; f < 200; ++f) {
        if (y >= 220.0) {
            vx = 0.0;
            vy = 0.2;
        } else {
            if (vx < -1.0) vx += 0.15;
            vy += 0.3;
            spin += 3.14159265358979323846 / 160.0;
        }
        x += vx;
        y += vy;
        Step(*ufo);
        ASSERT_NEAR(ufo->x, x, 1e-9) << f;
        ASSERT_NEAR(ufo->y, y, 1e-9) << f;
        ASSERT_NEAR(ufo->spinAngle, spin, 1e-12) << f;
    }
    EXPECT_EQ(ufo->state, UfoTask::kWreck);
    EXPECT_EQ(ufo->dead, 0);
    EXPECT_EQ(ufo->SpeedY(), 0.2);
    EXPECT_GT(spin, 0.0);
}

// --- Drawing ---

TEST_F(UfoBossTest, DrawsHullHatchAndCockpitRedWhileInvulnerable) {
    cameraX = 100;
    cameraY = 10;
    for (int invulnerable : {0, 5}) {
        DeleteAllTasks();
        UfoTask* ufo = UfoIn(UfoTask::kCruise, 250.7, 90.2);
        ufo->invulnerable = invulnerable;
        ufo->hatchOpening = 80;
        ufo->extension = 12;
        ClearCalls();
        ufo->Draw();
        std::vector<std::string> names;
        for (const auto& call : recording::Lib().calls) names.push_back(call.name);
        std::vector<std::string> expectedNames = {"DrawImagePart", "DrawImagePart", "DrawImagePart",
                                                  "SetBright"};
        if (invulnerable) expectedNames.insert(expectedNames.begin(), "SetBright");
        EXPECT_EQ(names, expectedNames);
        const auto parts = recording::Named("DrawImagePart");
        EXPECT_EQ(parts[0].args, (std::vector<int64_t>{150, 100, 0, 0, 120, 50, kUfoGraphic, 1, 0}));
        EXPECT_EQ(parts[1].args, (std::vector<int64_t>{180, 120, 120, 80, 60, 30, kUfoGraphic, 1, 0}));
        EXPECT_EQ(parts[2].args, (std::vector<int64_t>{170, 98, 20, 78, 80, 12, kUfoGraphic, 1, 0}));
        const auto brights = recording::Named("SetBright");
        if (invulnerable) {
            EXPECT_EQ(brights.front().args, (std::vector<int64_t>{255, 0, 0}));
        }
        EXPECT_EQ(brights.back().args, (std::vector<int64_t>{255, 255, 255}));
    }
}

TEST_F(UfoBossTest, DrawsItsLightsAndTheBeamOverTheCraft) {
    cameraX = 100;
    cameraY = 0;
    UfoTask* ufo = UfoIn(UfoTask::kLaser, 300.0, 80.0);
    ufo->bulletLight = ufo->pillarLight = ufo->laserOn = ufo->chargeLight = 1;
    for (int counter : {0, 3}) {
        ufo->counter = counter;
        const int w = counter / 3 % 2;
        ClearCalls();
        ufo->Draw();
        const auto circles = recording::Named("DrawCircleShape");
        ASSERT_EQ(circles.size(), 4u);
        EXPECT_EQ(circles[0].args, (std::vector<int64_t>{259, 121, 6, 0xE763A5, 1}));
        EXPECT_EQ(circles[1].args, (std::vector<int64_t>{221, 143, 6, 0xE78400, 1}));
        EXPECT_EQ(circles[2].args, (std::vector<int64_t>{205, 123, 4 - w, 0xFFFFFF, 1}));
        EXPECT_EQ(circles[3].args, (std::vector<int64_t>{205, 123, 2 * (4 - w), 0xFFFFFF, 1}));
        const auto boxes = recording::Named("DrawBoxShape");
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].args, (std::vector<int64_t>{0, 119 + w, 205, 127 - w, 0xFFFFFF, 1}));
        EXPECT_EQ(boxes[1].args, (std::vector<int64_t>{0, 115 + 2 * w, 205, 131 - 2 * w, 0xFFFFFF, 1}));
        std::vector<std::vector<int64_t>> blends;
        for (const auto& call : recording::Named("SetBlend")) blends.push_back(call.args);
        const std::vector<std::vector<int64_t>> expectedBlends = {{2, 192}, {0, 0}, {2, 192}, {0, 0},
                                                                  {2, 120}, {0, 0}, {2, 120}, {0, 0}};
        EXPECT_EQ(blends, expectedBlends);
    }
    ufo->bulletLight = ufo->pillarLight = ufo->laserOn = ufo->chargeLight = 0;
    ClearCalls();
    ufo->Draw();
    EXPECT_EQ(recording::Count("SetBlend"), 0);
    EXPECT_EQ(recording::Count("DrawCircleShape"), 0);
}

TEST_F(UfoBossTest, WreckIsDrawnTurnedAboutItsCentre) {
    cameraX = 3700;
    cameraY = 0;
    UfoTask* ufo = UfoIn(UfoTask::kWreck, 3800.9, 150.5);
    ufo->spinAngle = 0.5;
    ClearCalls();
    ufo->Draw();
    const auto rotated = recording::Named("DrawImagePartRotated");
    ASSERT_EQ(rotated.size(), 1u);
    double angle;
    std::memcpy(&angle, &rotated[0].args[8], sizeof(angle));
    EXPECT_EQ(rotated[0].args[0], 160);
    EXPECT_EQ(rotated[0].args[1], 180);
    EXPECT_EQ(std::vector<int64_t>(rotated[0].args.begin() + 2, rotated[0].args.begin() + 6),
              (std::vector<int64_t>{180, 0, 120, 60}));
    EXPECT_EQ(recording::Count("DrawImagePart"), 0);
}

// --- The pilot's escape and the end of the area ---

TEST_F(UfoBossTest, PilotClimbsOutSinksAwayAndCallsTheClearBoard) {
    for (int recordedEarly : {0, 1}) {
        DeleteAllTasks();
        ClearCalls();
        currentTune[0] = '\0';
        areaTimeRecorded = 0;
        MapObjectRecord record = {38, 0, 300, 120, 40, 40, 0};
        AlienTask* pilot = CreateTask<AlienTask>(record, &map_);
        pilot->state = AlienTask::kAboard;
        pilot->counter = 500;
        Step(*pilot);
        EXPECT_EQ(pilot->drawLayer, 0);
        pilot->state = AlienTask::kEscaping;  // as the crash sets it
        Step(*pilot);
        EXPECT_EQ(pilot->state, AlienTask::kFleeing);
        EXPECT_EQ(pilot->drawLayer, 11);
        EXPECT_EQ(pilot->srcX, 80);
        EXPECT_EQ(pilot->x, 3900.0 - 2.0);
        EXPECT_EQ(pilot->y, 80.0 - 6.0);
        EXPECT_EQ(pilot->counter, 1);
        int landedAt = -1, upAt = -1, leaveAt = -1;
        for (int f = 0; f < 1000 && pilot->state == AlienTask::kFleeing; ++f) {
            if (recordedEarly && f == 10) areaTimeRecorded = 1;
            const double y = pilot->y;
            scriptedInput = 0;
            Step(*pilot);
            if (landedAt < 0 && pilot->SpeedY() == 0.2) landedAt = f;
            if (landedAt < 0) {
                EXPECT_LE(pilot->SpeedY(), 6.0);
                EXPECT_LE(pilot->SpeedX(), 0.0);
            }
            if (upAt < 0 && (scriptedInput & kInputUp)) upAt = f;
            EXPECT_EQ((scriptedInput & kInputUp) != 0, y - 10.0 > 260.0) << f;
            if (pilot->state == AlienTask::kLeaving) leaveAt = f;
        }
        ASSERT_GE(leaveAt, 0);
        if (recordedEarly) {
            EXPECT_EQ(leaveAt, 10);
            EXPECT_EQ(upAt, -1);
        } else {
            EXPECT_GE(landedAt, 0);
            EXPECT_EQ(leaveAt, upAt);  // gone below the ground
            EXPECT_EQ(pilot->SpeedX(), 0.0);
        }
        EXPECT_EQ(recording::Named("pxtone_Tune_Load").at(0).text, "./bgm/clear.pttune");
        EXPECT_EQ(recording::Named("pxtone_Tune_SetLoop").at(0).args, std::vector<int64_t>{0});
        Steps(*pilot, 87);  // counters 1 to 87
        EXPECT_TRUE(TasksOf<StageClearTask>(kGroupSceneControl).empty());
        EXPECT_EQ(pilot->dead, 0);
        Step(*pilot);
        const auto boards = TasksOf<StageClearTask>(kGroupSceneControl);
        ASSERT_EQ(boards.size(), 1u);
        EXPECT_EQ(boards[0]->map, &map_);
        EXPECT_EQ(pilot->dead, 1);
    }
}

// The whole fight through the registry: the pilot's spawn, boarding, three strikes, the flight to the
// arena's end, the crash, the pilot's escape and the clear board.
TEST_F(UfoBossTest, WholeFightFromTheRecordToTheClearBoard) {
    map_.objects = new MapObjectRecord[1]{{38, 0, 150, 120, 40, 40, 0}};
    map_.objectCount = 1;
    map_.SpawnObjectsInView();
    playerMaxSpeed = 7.5;
    UfoTask* ufo = nullptr;
    AlienTask* pilot = TasksOf<AlienTask>(kGroupNoCollision).at(0);
    bool cleared = false, introSeen = false;
    for (int f = 0; f < 20000 && !cleared; ++f) {
        if (ufo != nullptr) {
            if (area4IntroShown) introSeen = true;
            if (introSeen && ufo->state == UfoTask::kEntrance) inputEnabled = 1;
            cameraX = std::max(0, static_cast<int>(ufo->x) - 300);
            map_.cameraX = cameraX;
            if (ufo->state == UfoTask::kBullets && ufo->invulnerable == 0) ufo->hitCode = kHitByPlayerAttack;
        }
        Frame();
        if (ufo == nullptr) ufo = TasksOf<UfoTask>(kGroupEnemy).at(0);
        cleared = !TasksOf<StageClearTask>(kGroupSceneControl).empty();
        if (cleared) {
            EXPECT_EQ(pilot->dead, 1);
            EXPECT_EQ(pilot->ufo, ufo);
            EXPECT_EQ(ufo->pilotState, nullptr);  // the pilot is about to be deleted
        }
    }
    ASSERT_TRUE(cleared);
    for (int f = 0; f < 30; ++f) Frame();  // the wreck lives on after its pilot is gone
    EXPECT_TRUE(TasksOf<AlienTask>(kGroupNoCollision).empty());
    EXPECT_TRUE(introSeen);
    EXPECT_EQ(ufo->health, 0);
    EXPECT_EQ(ufo->state, UfoTask::kWreck);
    EXPECT_EQ(areaCleared, 1);
    EXPECT_EQ(area4IntroShown, 0);
}

}  // namespace
