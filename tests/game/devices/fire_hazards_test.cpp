// The fire hazards: the map's fireball emitter and its fireballs, the boss's fire shot and the pillar it
// raises, and the eruption's magma column, run frame by frame over a small in-memory map.
#include <cmath>
#include <deque>
#include <string>
#include <vector>

#include "game/devices/fire_ball_maker_task.h"
#include "game/devices/fire_ball_task.h"
#include "game/devices/funka_magma_task.h"
#include "game/devices/slide_smork_task.h"
#include "game/enemies/fire_pillar_bullet_task.h"
#include "game/enemies/fire_pillar_task.h"
#include "game/frame/collision.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/scenes/stage_clear_task.h"
#include "tests/game/scene_fixture.h"
#include "tests/game/task_queries.h"

namespace {

constexpr int kFireGraphic = 41, kUfoGraphic = 42;
constexpr int kEmitterType = 37;

class FireHazardTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        UseTestSoundEffects();
        map_.Clear();
        map_.width = 40;
        map_.height = 20;
        map_.graphics = new MapGraphicEntry[2]{{"fire", kFireGraphic}, {"ufo", kUfoGraphic}};
        map_.graphicCount = 2;
        map_.layers = new LayerData[1];
        map_.layerCount = 1;
        map_.layers[0].width = 40;
        map_.layers[0].height = 20;
        map_.layers[0].parallax = 6;
    }
    void TearDown() override {
        DeleteAllTasks();
        map_.Unload();
        SceneTest::TearDown();
    }

    void SetCell(int column, int row, int id) {
        map_.layers[0].tiles[row * 40 + column] = static_cast<uint8_t>(id);
    }
    // Solid ground on rows 12 and below: its top at y 240.
    void LayGround() {
        for (int row = 12; row < 20; ++row) {
            for (int column = 0; column < 40; ++column) SetCell(column, row, 1);
        }
    }
    // One update of the task alone, with the draw layers emptied first.
    static void Tick(Character& task) {
        ClearDrawLayers();
        task.Update();
    }

    MapData map_{};
    std::deque<MapObjectRecord> records_;
};

// ---- The emitter ----

TEST_F(FireHazardTest, EmitterSpawnsFromItsRecordAsAnInvisibleTouchObject) {
    records_.push_back({kEmitterType, 0, 200, 100, 20, 30, 0});
    Character* task = SpawnMapObject(&map_, &records_.back());
    auto* emitter = dynamic_cast<FireBallMakerTask*>(task);
    ASSERT_NE(emitter, nullptr);
    EXPECT_EQ(emitter->group, kGroupTouchObject);
    EXPECT_EQ(emitter->map, &map_);
    EXPECT_EQ((std::vector<int>{emitter->boxX, emitter->boxY, emitter->boxW, emitter->boxH, emitter->w,
                                emitter->h}),
              (std::vector<int>{0, 0, 20, 30, 20, 30}));
    EXPECT_EQ(emitter->timer, 20);
    for (int i = 0; i < 30; ++i) {
        Tick(*emitter);
        for (int layer = 0; layer < kDrawLayerCount; ++layer) ASSERT_FALSE(InLayer(emitter, layer));
    }
}

TEST_F(FireHazardTest, EmitterInViewThrowsAfterTwentyFramesAndThenEveryHundredAndTwenty) {
    auto* emitter =
        CreateTask<FireBallMakerTask>(MapObjectRecord{kEmitterType, 0, 200, 100, 20, 20, 0}, &map_);
    std::vector<int> thrown;
    for (int frame = 0; frame < 400; ++frame) {
        const int before = taskCounts[kGroupHarmful];
        Tick(*emitter);
        if (taskCounts[kGroupHarmful] > before) thrown.push_back(frame);
    }
    EXPECT_EQ(thrown, (std::vector<int>{20, 140, 260, 380}));
    const auto balls = TasksOf<FireBallTask>(kGroupHarmful);
    ASSERT_EQ(balls.size(), 4u);
    EXPECT_EQ(balls[0]->x, 200.0);
    EXPECT_EQ(balls[0]->y, 90.0);  // ten above the emitter
    EXPECT_EQ(balls[0]->map, &map_);
    EXPECT_EQ(emitter->counter, 400 - 380);  // the counter restarts at each throw
}

TEST_F(FireHazardTest, EmitterComingBackIntoViewWaitsAtMostTwentyFramesUnlessItsTimerIsNearer) {
    struct Case {
        int inFirst, outFrames;
        int throwAt;  // in-view frames after coming back until the throw
        const char* what;
    };
    const Case cases[] = {
        {0, 30, 19, "out from the start"},
        {100, 50, 19, "out long enough to fall back to the short wait"},
        {100, 5, 35, "out briefly: the running wait is kept"},
        {30, 1, 109, "out for one frame after a throw"},
    };
    for (const Case& c : cases) {
        DeleteAllTasks();
        auto* emitter =
            CreateTask<FireBallMakerTask>(MapObjectRecord{kEmitterType, 0, 200, 100, 20, 20, 0}, &map_);
        cameraX = 0;
        for (int i = 0; i < c.inFirst; ++i) Tick(*emitter);
        cameraX = 1000;
        for (int i = 0; i < c.outFrames; ++i) Tick(*emitter);
        const int thrownBefore = taskCounts[kGroupHarmful];
        EXPECT_EQ(TasksOf<FireBallTask>(kGroupHarmful).size(), static_cast<size_t>(thrownBefore)) << c.what;
        cameraX = 0;
        int frame = 0;
        while (taskCounts[kGroupHarmful] == thrownBefore && frame < 200) {
            Tick(*emitter);
            ++frame;
        }
        EXPECT_EQ(frame - 1, c.throwAt) << c.what;
    }
}

TEST_F(FireHazardTest, EmitterViewTestIsStrictOnEverySide) {
    // The emitter's centre point (x + 10, y + 10) is (210, 110).
    struct Case {
        int cameraX, cameraY;
        bool inView;
    };
    const Case cases[] = {
        {0, 0, true},   {209, 0, true},  {210, 0, false}, {-189, 0, true},  {-190, 0, false},
        {0, 109, true}, {0, 110, false}, {0, -189, true}, {0, -190, false},
    };
    for (const Case& c : cases) {
        DeleteAllTasks();
        auto* emitter =
            CreateTask<FireBallMakerTask>(MapObjectRecord{kEmitterType, 0, 200, 100, 20, 20, 0}, &map_);
        cameraX = c.cameraX;
        cameraY = c.cameraY;
        emitter->timer = 5;
        Tick(*emitter);
        // In view the wait runs down; out of view it is raised to 20 first.
        EXPECT_EQ(emitter->timer, c.inView ? 4 : 19) << c.cameraX << " " << c.cameraY;
    }
}

// ---- Fireballs ----

TEST_F(FireHazardTest, FireballSimmersRisingTenPixelsThenJumpsAndEndsBackAtItsStart) {
    auto* ball = CreateTask<FireBallTask>(200, 300, &map_);
    ASSERT_NE(ball, nullptr);
    EXPECT_EQ(ball->group, kGroupHarmful);
    EXPECT_EQ(ball->graphic, kFireGraphic);
    EXPECT_EQ(ball->shape, kShapeCircle);
    EXPECT_EQ((std::vector<int>{ball->boxX, ball->boxY, ball->boxW, ball->w, ball->h, ball->srcY}),
              (std::vector<int>{10, 20, 7, 20, 40, 0}));
    EXPECT_EQ(ball->y, 290.0);
    EXPECT_EQ(ball->startHeight, 290.0);

    std::vector<int> trembling;
    for (int f = 0; f < 20; ++f) {
        Tick(*ball);
        EXPECT_TRUE(InLayer(ball, 10)) << f;
        if (f < 8) trembling.push_back(ball->srcX);
    }
    EXPECT_EQ(trembling, (std::vector<int>{21, 20, 19, 20, 21, 20, 19, 20}));
    EXPECT_EQ(ball->y, 280.0);  // rose one a frame for ten frames
    EXPECT_EQ(ball->state, FireBallTask::kSimmering);
    EXPECT_EQ(CountPlayed(kSeFire), 0);

    Tick(*ball);  // the jump
    EXPECT_EQ(ball->state, FireBallTask::kJumping);
    EXPECT_EQ(ball->SpeedY(), -6.0);
    EXPECT_EQ(ball->y, 274.0);
    EXPECT_EQ(ball->srcX, 0);
    EXPECT_EQ(CountPlayed(kSeFire), 1);

    // Rising fast: frames 0 and 20 alternate every three frames; near the top 40; falling 60 and 80.
    std::vector<int> rising;
    double highest = ball->y, lastY = ball->y, beforeLastY = ball->y;
    int frames = 0, apexFrames = 0;
    std::vector<int> falling;
    while (!ball->dead && frames < 200) {
        beforeLastY = lastY;
        lastY = ball->y;
        Tick(*ball);
        ++frames;
        highest = std::min(highest, ball->y);
        if (frames <= 8) rising.push_back(ball->srcX);
        const double speed = ball->SpeedY();
        if (speed > -1.0 && speed < 1.0) {
            EXPECT_EQ(ball->srcX, 40) << frames;
            ++apexFrames;
        } else if (speed >= 1.0 && !ball->dead) {
            falling.push_back(ball->srcX);
        }
        EXPECT_LE(speed, 6.0);
    }
    EXPECT_EQ(rising, (std::vector<int>{0, 0, 20, 20, 20, 0, 0, 0}));
    // Speeds -0.8 to 0.8, and the sum of the 0.2 steps that should make 1.0 may fall just short of it.
    EXPECT_GE(apexFrames, 9);
    EXPECT_LE(apexFrames, 10);
    ASSERT_GE(falling.size(), 6u);
    for (int v : falling) EXPECT_TRUE(v == 60 || v == 80) << v;
    EXPECT_NE(std::count(falling.begin(), falling.end(), 60), 0);
    EXPECT_NE(std::count(falling.begin(), falling.end(), 80), 0);
    // Six frames at -6 after the 6 of the jump frame, then -5.8 up to 0 by 0.2: 139 above the start height.
    EXPECT_NEAR(highest, 290.0 - 139.0, 1e-9);
    EXPECT_EQ(ball->dead, 1);
    // It ends on the first frame that begins below the start height.
    EXPECT_GT(lastY, 290.0);
    EXPECT_LE(beforeLastY, 290.0);
    EXPECT_EQ(TasksOf<SlideSmorkTask>(kGroupNoCollision).size(), 0u);  // it sinks back without smoke
}

TEST_F(FireHazardTest, FireballStruckWhileSimmeringIsPutOutAtOnce) {
    auto* ball = CreateTask<FireBallTask>(200, 300, &map_);
    for (int f = 0; f < 3; ++f) Tick(*ball);
    ball->hitCode = kHitByPlayerAttack;
    Tick(*ball);
    EXPECT_EQ(ball->dead, 1);
    const auto smoke = TasksOf<SlideSmorkTask>(kGroupNoCollision);
    ASSERT_EQ(smoke.size(), 1u);
    EXPECT_EQ(smoke[0]->x, 205.0);
    EXPECT_EQ(smoke[0]->y, 287.0 + 15.0);
    EXPECT_EQ(ball->y, 287.0);  // it moves no further
    EXPECT_EQ(CountPlayed(kSeFire), 0);
}

TEST_F(FireHazardTest, AttackedShotsReadTheirHitCodeEdgeTriggered) {
    struct Case {
        int previous, code;
        bool putOut;
    };
    const Case cases[] = {
        {-1, kHitByPlayerAttack, true},
        {kHitByPlayerAttack, kHitByPlayerAttack, false},  // still the same strike
        {kHitTouchedByPlayer, kHitByPlayerAttack, true},
        {-1, kHitTouchedByPlayer, false},
        {-1, -1, false},
    };
    for (const Case& c : cases) {
        DeleteAllTasks();
        Character* shots[] = {CreateTask<FireBallTask>(200, 300, &map_),
                              CreateTask<FirePillarBulletTask>(100, 20, &map_, 0.0)};
        for (Character* shot : shots) {
            shot->code2 = c.previous;
            shot->hitCode = c.code;
            Tick(*shot);
            EXPECT_EQ(shot->dead, c.putOut ? 1 : 0) << c.previous << " " << c.code;
            EXPECT_EQ(shot->hitCode, -1);
            EXPECT_EQ(shot->code2, c.code);
        }
        EXPECT_EQ(TasksOf<SlideSmorkTask>(kGroupNoCollision).size(), c.putOut ? 2u : 0u);
    }
}

TEST_F(FireHazardTest, FireballMeetingSomethingSolidIsPutOutFromItsSixthFrame) {
    enum Solid { kTile, kBox, kNothing };
    for (Solid solid : {kTile, kBox, kNothing}) {
        DeleteAllTasks();
        solidBoxCount = 0;
        std::fill_n(map_.layers[0].tiles, 800, 0);
        // Right at the ball's probe point (x + 10, y + 20) from its first frame on.
        if (solid == kTile) SetCell(10, 15, 7);
        if (solid == kBox) AddSolidBox(200, 300, 240, 320);
        auto* ball = CreateTask<FireBallTask>(200, 300, &map_);
        int frame = 0;
        while (!ball->dead && frame < 30) {
            Tick(*ball);
            ++frame;
        }
        const auto smoke = TasksOf<SlideSmorkTask>(kGroupNoCollision);
        if (solid == kNothing) {
            EXPECT_EQ(ball->dead, 0);
            EXPECT_TRUE(smoke.empty());
            continue;
        }
        EXPECT_EQ(frame, 7) << solid;  // frame counter 6
        ASSERT_EQ(smoke.size(), 1u) << solid;
        EXPECT_EQ(smoke[0]->x, 205.0);
        EXPECT_EQ(smoke[0]->y, ball->y + 15.0);
    }
}

// ---- The boss's fire shot and its pillar ----

TEST_F(FireHazardTest, FireShotFallsAndRaisesAPillarWhereItLands) {
    LayGround();
    Character* made = CreateFirePillarBulletTask(100, 40, &map_, 2.0);
    auto* shot = dynamic_cast<FirePillarBulletTask*>(made);
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->group, kGroupHarmful);
    EXPECT_EQ(shot->graphic, kUfoGraphic);
    EXPECT_EQ((std::vector<int>{shot->srcX, shot->srcY, shot->w, shot->h, shot->boxX, shot->boxY, shot->boxW,
                                shot->drawLayer}),
              (std::vector<int>{40, 180, 20, 20, 10, 10, 4, 14}));
    EXPECT_EQ(shot->shape, kShapeCircle);
    std::vector<int> pictures;
    double landedFrom = 0.0;
    int frames = 0;
    while (!shot->dead && frames < 200) {
        landedFrom = shot->x;
        const double yBefore = shot->y;
        Tick(*shot);
        ++frames;
        EXPECT_TRUE(InLayer(shot, 14));
        EXPECT_EQ(shot->x, landedFrom + 2.0);
        EXPECT_EQ(shot->y, yBefore + shot->SpeedY());
        EXPECT_LE(shot->SpeedY(), 6.0);
        if (frames <= 9) pictures.push_back(shot->srcX);
    }
    EXPECT_EQ(pictures, (std::vector<int>{40, 40, 40, 40, 60, 60, 60, 60, 40}));
    ASSERT_EQ(shot->dead, 1);
    // It lands when its centre is about to reach the ground's top at 240.
    EXPECT_GE(shot->y + 10.0, 240.0);
    EXPECT_LT(shot->y - shot->SpeedY() + 10.0, 240.0);
    const auto pillars = TasksOf<FirePillarTask>(kGroupHarmful);
    ASSERT_EQ(pillars.size(), 1u);
    EXPECT_EQ(pillars[0]->x, static_cast<int>(landedFrom));
    EXPECT_EQ(pillars[0]->y, 240.0);
    EXPECT_EQ(pillars[0]->graphic, kUfoGraphic);
    EXPECT_EQ(CountPlayed(kSeFire2), 1);
    EXPECT_TRUE(TasksOf<SlideSmorkTask>(kGroupNoCollision).empty());
}

TEST_F(FireHazardTest, FireShotLandingOnAMovingPlatformRaisesThePillarAtItsFixedHeight) {
    AddSolidBox(0, 100, 400, 120);
    auto* shot = CreateTask<FirePillarBulletTask>(60, 0, &map_, 0.0);
    int frames = 0;
    while (!shot->dead && frames < 200) {
        Tick(*shot);
        ++frames;
    }
    EXPECT_LT(shot->y, 100.0);
    const auto pillars = TasksOf<FirePillarTask>(kGroupHarmful);
    ASSERT_EQ(pillars.size(), 1u);
    for (int i = 0; i < 10; ++i) Tick(*pillars[0]);
    EXPECT_EQ(pillars[0]->y, 190.0);
    EXPECT_EQ(pillars[0]->height, 50);
}

TEST_F(FireHazardTest, StruckFireShotIsPutOutWithoutAPillar) {
    LayGround();
    auto* shot = CreateTask<FirePillarBulletTask>(100, 40, &map_, -1.5);
    Tick(*shot);
    Tick(*shot);
    const double x = shot->x, y = shot->y;
    shot->hitCode = kHitByPlayerAttack;
    Tick(*shot);
    EXPECT_EQ(shot->dead, 1);
    EXPECT_TRUE(TasksOf<FirePillarTask>(kGroupHarmful).empty());
    const auto smoke = TasksOf<SlideSmorkTask>(kGroupNoCollision);
    ASSERT_EQ(smoke.size(), 1u);
    EXPECT_EQ(smoke[0]->x, static_cast<int>(x) + 5);
    EXPECT_EQ(smoke[0]->y, static_cast<int>(y) + 5);
    EXPECT_EQ(CountPlayed(kSeFire2), 0);
}

TEST_F(FireHazardTest, PillarRisesBurnsForSixtyFramesAndSinks) {
    auto* pillar = CreateTask<FirePillarTask>(100, &map_);
    ASSERT_NE(pillar, nullptr);
    EXPECT_EQ(pillar->group, kGroupHarmful);
    EXPECT_EQ((std::vector<int>{pillar->srcY, pillar->w, pillar->h, pillar->boxX, pillar->boxY, pillar->boxW,
                                pillar->boxH, pillar->drawLayer}),
              (std::vector<int>{170, 20, 0, 4, 14, 12, 0, 10}));
    std::vector<int> heights, boxes;
    for (int f = 0; f < 10; ++f) {
        Tick(*pillar);
        heights.push_back(pillar->height);
        boxes.push_back(pillar->boxH);
        EXPECT_EQ(pillar->h, pillar->height);
        EXPECT_EQ(pillar->y, 240.0 - pillar->height);
        EXPECT_TRUE(InLayer(pillar, 10));
    }
    EXPECT_EQ(heights, (std::vector<int>{5, 10, 15, 20, 25, 30, 35, 40, 45, 50}));
    EXPECT_EQ(boxes, (std::vector<int>{0, 0, 5, 10, 15, 20, 25, 30, 35, 40}));
    EXPECT_EQ(pillar->state, FirePillarTask::kBurning);
    int burning = 0;
    while (pillar->height == 50 && burning < 100) {
        Tick(*pillar);
        ++burning;
    }
    EXPECT_EQ(burning, 61);  // it starts sinking on the frame after frame 60
    std::vector<int> sinking = {pillar->height};
    while (!pillar->dead && sinking.size() < 20) {
        Tick(*pillar);
        sinking.push_back(pillar->height);
        EXPECT_EQ(pillar->y, 240.0 - pillar->height);
        EXPECT_EQ(pillar->h, pillar->height);
    }
    EXPECT_EQ(sinking, (std::vector<int>{45, 40, 35, 30, 25, 20, 15, 10, 5, 0}));
    EXPECT_EQ(pillar->boxH, 0);
    EXPECT_EQ(pillar->dead, 1);
}

TEST_F(FireHazardTest, PillarBurnsThePlayerOnlyInItsLowerFortyPixels) {
    auto* pillar = CreateTask<FirePillarTask>(100, &map_);
    for (int f = 0; f < 10; ++f) Tick(*pillar);
    struct Case {
        double y;
        bool burnt;
    };
    // The harmful box: x 104 to 116, y 204 to 244.
    const Case cases[] = {{160.0, false}, {165.0, true}, {243.0, true}, {244.0, false}};
    for (const Case& c : cases) {
        Character player(-1, 90.0, c.y);
        player.boxW = player.boxH = 40;
        EXPECT_EQ(ShapesOverlap(player, *pillar), c.burnt) << c.y;
    }
    // Animated in two frames of four updates.
    std::vector<int> pictures;
    for (int f = 0; f < 8; ++f) {
        Tick(*pillar);
        pictures.push_back(pillar->srcX);
    }
    EXPECT_EQ(pictures, (std::vector<int>{0, 0, 0, 20, 20, 20, 20, 0}));
}

// ---- The magma column ----

TEST_F(FireHazardTest, MagmaRisesUntilItsTopPassesThreeHundredAboveTheMap) {
    Character* made = CreateFunkaMagmaTask(3800, 300, &map_, -8.0);
    auto* magma = dynamic_cast<FunkaMagmaTask*>(made);
    ASSERT_NE(magma, nullptr);
    EXPECT_EQ(magma->group, kGroupNoCollision);
    EXPECT_EQ(magma->shape, 0);
    EXPECT_EQ(magma->graphic, kTestCommonGraphic);
    EXPECT_EQ(magma->srcY, 180);
    std::vector<int> pictures;
    for (int f = 0; f < 75; ++f) {
        Tick(*magma);
        EXPECT_TRUE(InLayer(magma, 2));
        if (f < 9) pictures.push_back(magma->srcX);
    }
    EXPECT_EQ(pictures, (std::vector<int>{0, 0, 0, 0, 20, 20, 20, 20, 0}));
    EXPECT_EQ(magma->y, -300.0);
    for (int f = 0; f < 10; ++f) Tick(*magma);
    EXPECT_EQ(magma->y, -300.0);
}

TEST_F(FireHazardTest, MagmaDrawsASurfaceRowOverBodyRowsDownToTheViewsBottom) {
    map_.cameraX = cameraX = 3700;
    map_.cameraY = cameraY = 40;
    auto* magma = CreateTask<FunkaMagmaTask>(3800, 250, &map_, -8.0);
    magma->srcX = 20;
    struct Row {
        int y, srcY;
    };
    auto rows = [&] {
        ClearCalls();
        magma->Draw();
        std::vector<std::vector<int64_t>> draws;
        for (const auto& call : recording::Named("DrawImagePart")) draws.push_back(call.args);
        return draws;
    };
    const auto draws = rows();
    // Rows 250, 270, ..., 330 (the view ends at 340), seven tiles each from x 100.
    ASSERT_EQ(draws.size(), 5u * 7u);
    for (size_t i = 0; i < draws.size(); ++i) {
        const int row = static_cast<int>(i / 7), column = static_cast<int>(i % 7);
        EXPECT_EQ(draws[i], (std::vector<int64_t>{100 + 20 * column, 210 + 20 * row, 20, row == 0 ? 180 : 200,
                                                  20, 20, kTestCommonGraphic, 1, 0}))
            << i;
    }
    EXPECT_EQ(magma->srcY, 180);

    // A column whose top is at or below the view's bottom draws nothing.
    magma->y = 340.0;
    EXPECT_TRUE(rows().empty());
    magma->y = 339.0;
    EXPECT_EQ(rows().size(), 7u);

    // High above the view only the rows that can be seen are drawn, all of them body.
    magma->y = -300.0;
    const auto high = rows();
    ASSERT_EQ(high.size(), 15u * 7u);
    for (const auto& draw : high) {
        EXPECT_EQ(draw[3], 200);
        EXPECT_GE(draw[1], -19);
        EXPECT_LT(draw[1], 300);
    }
    magma->y = -1e9;
    EXPECT_EQ(rows().size(), 15u * 7u);
}

TEST_F(FireHazardTest, BossAreaClearBoardFinaleRaisesTheMagmaColumn) {
    fullGameMode = 1;
    map_.kind = kBossMapKind;
    StageClearTask* clear = CreateTask<StageClearTask>(&map_);
    Steps(*clear, 211);
    Step(*clear, kStart);
    ASSERT_EQ(clear->state, StageClearTask::kFinale);
    Steps(*clear, 359);
    EXPECT_TRUE(TasksOf<FunkaMagmaTask>(kGroupNoCollision).empty());
    Step(*clear);
    const auto magma = TasksOf<FunkaMagmaTask>(kGroupNoCollision);
    ASSERT_EQ(magma.size(), 1u);
    EXPECT_EQ(magma[0]->x, 3800.0);
    EXPECT_EQ(magma[0]->y, 300.0);
    EXPECT_EQ(magma[0]->map, &map_);
    Step(*magma[0]);
    EXPECT_EQ(magma[0]->y, 292.0);
    EXPECT_EQ(EffectsPlayed().back(), kSeFunka);
}

}  // namespace
