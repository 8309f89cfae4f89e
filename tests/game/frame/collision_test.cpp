#include <cmath>

#include "game/frame/collision.h"
#include "tests/game/game_fixture.h"

namespace {

Character Box(double x, double y, int w, int h) {
    Character c(0, x, y);
    c.shape = kShapeBox;
    c.boxW = w;
    c.boxH = h;
    return c;
}

Character Circle(double cx, double cy, int r) {
    Character c(0, cx, cy);
    c.shape = kShapeCircle;
    c.boxW = r;
    return c;
}

Character Segment(double x, double y, int dx, int dy) {
    Character c(0, x, y);
    c.shape = kShapeSegment;
    c.boxW = dx;
    c.boxH = dy;
    return c;
}

TEST(CollisionShapesTest, PairRulesOverTheShapeMatrix) {
    const struct {
        const char* what;
        Character a, b;
        bool overlap;
    } cases[] = {
        {"boxes overlapping", Box(0, 0, 10, 10), Box(5, 5, 10, 10), true},
        {"boxes sharing an edge", Box(0, 0, 10, 10), Box(10, 0, 10, 10), false},
        {"boxes sharing a bottom edge", Box(0, 0, 10, 10), Box(0, 10, 10, 10), false},
        {"box offset by boxX",
         [] {
             auto c = Box(0, 0, 10, 10);
             c.boxX = 20;
             return c;
         }(),
         Box(15, 0, 4, 4), false},
        {"circles overlapping", Circle(0, 0, 5), Circle(9, 0, 5), true},
        {"circles touching", Circle(0, 0, 5), Circle(10, 0, 5), false},
        {"box and circle beside the edge", Box(0, 0, 10, 10), Circle(14, 5, 5), true},
        {"box and circle touching the edge", Box(0, 0, 10, 10), Circle(15, 5, 5), false},
        {"box and circle near a corner", Box(0, 0, 10, 10), Circle(13, 13, 5), true},
        {"box and circle just off a corner", Box(0, 0, 10, 10), Circle(14, 14, 5), false},
        {"circle and box (swapped)", Circle(14, 5, 5), Box(0, 0, 10, 10), true},
        {"circle touching a segment at its radius", Circle(5, 5, 5), Segment(0, 10, 20, 0), true},
        {"circle short of a segment", Circle(5, 4, 5), Segment(0, 10, 20, 0), false},
        {"circle beyond the segment's end", Circle(-4, 10, 5), Segment(0, 10, 20, 0), true},
        {"circle beyond the segment's far end", Circle(26, 10, 5), Segment(0, 10, 20, 0), false},
        {"segment and circle (swapped)", Segment(0, 10, 20, 0), Circle(5, 5, 5), true},
        {"crossing segments", Segment(0, 0, 10, 10), Segment(0, 10, 10, -10), true},
        {"parallel segments", Segment(0, 0, 10, 10), Segment(0, 1, 10, 10), false},
        {"vertical against sloped", Segment(5, -5, 0, 20), Segment(0, 0, 10, 10), true},
        {"two verticals", Segment(5, 0, 0, 10), Segment(5, 0, 0, 10), false},
        {"segments meeting at an end", Segment(0, 0, 10, 0), Segment(10, -5, 0, 10), true},
        {"segments apart", Segment(0, 0, 10, 10), Segment(20, 0, 10, 10), false},
        {"box and segment starting inside", Box(0, 0, 10, 10), Segment(5, 5, 100, 0), true},
        {"box and segment crossing through", Box(0, 0, 10, 10), Segment(-5, 5, 30, 1), true},
        {"box and segment passing by", Box(0, 0, 10, 10), Segment(-5, 20, 30, 1), false},
        {"segment and box (swapped)", Segment(-5, 5, 30, 1), Box(0, 0, 10, 10), true},
        {"box with an unknown shape",
         [] {
             auto c = Box(0, 0, 10, 10);
             c.shape = 0;
             return c;
         }(),
         Box(0, 0, 10, 10), false},
        {"unknown shape as second", Box(0, 0, 10, 10),
         [] {
             auto c = Box(0, 0, 10, 10);
             c.shape = 3;
             return c;
         }(),
         false},
    };
    for (const auto& c : cases) EXPECT_EQ(ShapesOverlap(c.a, c.b), c.overlap) << c.what;
}

TEST(CollisionShapesTest, SegmentsIntersectStoresTheCrossingPoint) {
    CrossPoint p = {-1, -1};
    ASSERT_TRUE(SegmentsIntersect(&p, 0, 0, 10, 10, 0, 10, 10, 0));
    EXPECT_DOUBLE_EQ(p.x, 5.0);
    EXPECT_DOUBLE_EQ(p.y, 5.0);
    ASSERT_TRUE(SegmentsIntersect(&p, 3, 0, 3, 10, 0, 1, 10, 1));
    EXPECT_DOUBLE_EQ(p.x, 3.0);
    EXPECT_DOUBLE_EQ(p.y, 1.0);
}

TEST(CollisionShapesTest, BoxSegmentTruncatesTheBoxToIntegers) {
    // The box at x 9.9 counts from 9, so its left edge at 9 meets a segment that ends at x 9.5.
    Character box = Box(9.9, 0, 10, 10);
    EXPECT_TRUE(ShapesOverlap(box, Segment(0.5, 5, 9, 0)));
    EXPECT_FALSE(ShapesOverlap(box, Segment(-0.5, 5, 9, 0)));
    EXPECT_TRUE(RectSegmentOverlap(0, 0, 10, 10, 10, 10, 50, 50));
}

using CollisionPassTest = GameTest;

Character* Add(int group, Character shape) {
    Character* task = new Character(shape);
    if (!task->RegisterInGroup(group)) {
        delete task;
        return nullptr;
    }
    return task;
}

TEST_F(CollisionPassTest, PlayerSpeedDecidesWhoIsHit) {
    const struct {
        double speed;
        int playerCode, enemyCode;
    } cases[] = {{6.5, 2, -1}, {-6.5, 2, -1}, {6.6, -1, 1}, {-6.6, -1, 1}, {0.0, 2, -1}};
    for (const auto& c : cases) {
        DeleteAllTasks();
        Character* player = Add(kGroupPlayer, Box(0, 0, 20, 20));
        Character* enemy = Add(kGroupEnemy, Box(10, 10, 20, 20));
        playerSpeed = c.speed;
        RunCollisionPass();
        EXPECT_EQ(player->hitCode, c.playerCode) << c.speed;
        EXPECT_EQ(enemy->hitCode, c.enemyCode) << c.speed;
    }
}

TEST_F(CollisionPassTest, CodesByGroup) {
    Character* player = Add(kGroupPlayer, Box(0, 0, 20, 20));
    Character* touch = Add(kGroupTouchObject, Circle(25, 10, 8));
    Character* block = Add(kGroupSwitchBlock, Box(-5, -5, 6, 6));
    Character* effect = Add(kGroupNoCollision, Box(0, 0, 20, 20));
    Character* control = Add(kGroupSceneControl, Box(0, 0, 20, 20));
    Character* far = Add(kGroupTouchObject, Box(500, 500, 20, 20));
    RunCollisionPass();
    EXPECT_EQ(player->hitCode, -1);
    EXPECT_EQ(touch->hitCode, kHitTouchedByPlayer);
    EXPECT_EQ(block->hitCode, kHitTouchedByPlayer);
    EXPECT_EQ(effect->hitCode, -1);
    EXPECT_EQ(control->hitCode, -1);
    EXPECT_EQ(far->hitCode, -1);

    Character* bullet = Add(kGroupHarmful, Segment(-10, 10, 40, 0));
    RunCollisionPass();
    EXPECT_EQ(player->hitCode, kHitPlayerByHarmful);
    EXPECT_EQ(bullet->hitCode, -1);
}

TEST_F(CollisionPassTest, WideAttackBoxesSkipSwitchBlocks) {
    for (int width : {399, 400}) {
        DeleteAllTasks();
        Character* attack = Add(kGroupPlayerAttack, Box(0, 0, width, 10));
        attack->w = width;
        Character* enemy = Add(kGroupEnemy, Box(100, 0, 10, 10));
        Character* harmful = Add(kGroupHarmful, Circle(200, 5, 3));
        Character* block = Add(kGroupSwitchBlock, Box(300, 0, 10, 10));
        RunCollisionPass();
        EXPECT_EQ(enemy->hitCode, kHitByPlayerAttack) << width;
        EXPECT_EQ(harmful->hitCode, kHitByPlayerAttack) << width;
        EXPECT_EQ(block->hitCode, width < 400 ? kHitByPlayerAttack : -1) << width;
    }
}

TEST_F(CollisionPassTest, LaterOverlapOverwritesEarlierCode) {
    Character* player = Add(kGroupPlayer, Box(0, 0, 20, 20));
    Add(kGroupEnemy, Box(0, 0, 20, 20));
    Add(kGroupHarmful, Box(0, 0, 20, 20));
    playerSpeed = 0.0;
    RunCollisionPass();
    EXPECT_EQ(player->hitCode, kHitPlayerByHarmful);
}

TEST_F(CollisionPassTest, DebugOutlineFollowsTheShape) {
    cameraX = 10;
    cameraY = 20;
    Character box = Box(30.7, 40.2, 8, 6);
    DrawCollisionShape(box);
    Character circle = Circle(50, 60, 7);
    DrawCollisionShape(circle);
    Character segment = Segment(15, 25, 5, -5);
    DrawCollisionShape(segment);
    const int64_t red = 0xFF0000;
    EXPECT_EQ(recording::Named("DrawBoxShape")[0].args, (std::vector<int64_t>{20, 20, 28, 26, red, 0}));
    EXPECT_EQ(recording::Named("DrawCircleShape")[0].args, (std::vector<int64_t>{40, 40, 7, red, 0}));
    EXPECT_EQ(recording::Named("DrawLineShape")[0].args, (std::vector<int64_t>{5, 5, 10, 0, red, 1}));
}

TEST(AimingTest, SignedAngleBetween) {
    EXPECT_EQ(SignedAngleBetween(0, 0, 1, 0), kNoAngle);
    EXPECT_EQ(SignedAngleBetween(1, 0, 0, 0), kNoAngle);
    EXPECT_DOUBLE_EQ(SignedAngleBetween(1, 0, 0, 1), M_PI / 2);
    EXPECT_DOUBLE_EQ(SignedAngleBetween(0, 1, 1, 0), -M_PI / 2);
    EXPECT_DOUBLE_EQ(SignedAngleBetween(1, 0, -1, 0), M_PI);
}

TEST(AimingTest, ParallelVectorsNeverGiveNotANumber) {
    // Rounding carries the cosine of these parallel pairs past 1 (or below -1).
    int checked = 0;
    for (int i = 1; i < 200; ++i) {
        const double ax = 0.1 * i, ay = 0.3 * i;
        for (double k : {3.0, 7.0, -3.0, -7.0}) {
            const double angle = SignedAngleBetween(ax, ay, ax * k, ay * k);
            ASSERT_FALSE(std::isnan(angle)) << i << " " << k;
            EXPECT_NEAR(std::fabs(angle), k > 0 ? 0.0 : M_PI, 1e-6);
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

TEST(AimingTest, VelocityToward) {
    double vx, vy;
    VelocityToward(0, 0, 3, 4, 10, &vx, &vy);
    EXPECT_DOUBLE_EQ(vx, 6.0);
    EXPECT_DOUBLE_EQ(vy, 8.0);
    VelocityToward(5, 5, 5, 5, 2.5, &vx, &vy);
    EXPECT_EQ(vx, 0.0);
    EXPECT_EQ(vy, 2.5);
}

}  // namespace
