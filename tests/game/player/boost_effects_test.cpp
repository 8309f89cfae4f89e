#include <cstring>
#include <numbers>
#include <vector>

#include "game/frame/game_state.h"
#include "game/player/boost_effects.h"
#include "tests/game/effects_fixture.h"

namespace {

constexpr double kQuarter = std::numbers::pi / 2;

int64_t Bits(double value) {
    int64_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

class BoostEffectsTest : public EffectsTest {
  protected:
    void SetUp() override {
        EffectsTest::SetUp();
        playerX = 100.0;
        playerY = 80.0;
    }
    static std::vector<BoostEffectTask*> Bursts() {
        std::vector<BoostEffectTask*> bursts;
        for (int i = 0; i < taskCounts[kGroupNoCollision]; ++i) {
            if (auto* burst = dynamic_cast<BoostEffectTask*>(taskGroups[kGroupNoCollision][i]))
                bursts.push_back(burst);
        }
        return bursts;
    }
    // The calls one Draw makes.
    static std::vector<recording::Call> DrawCalls(IDraw* task) {
        recording::Reset();
        task->Draw();
        return recording::Lib().calls;
    }
};

TEST_F(BoostEffectsTest, BurstShowsFivePicturesAndStartsOneSecondBurst) {
    auto* burst = new BoostEffectTask(0, 1, 0, 1);
    EXPECT_EQ(burst->srcY, 220);
    EXPECT_EQ(burst->drawLayer, 7);
    std::vector<int> shown;
    while (Registered(burst, kGroupNoCollision)) {
        Frame();
        if (!Registered(burst, kGroupNoCollision)) break;
        EXPECT_EQ(LayerOf(burst), 7);
        shown.push_back(burst->srcX);
    }
    EXPECT_EQ(shown, (std::vector<int>{180, 140, 140, 100, 100, 60, 60, 20, 20, -20}));
    // The second burst started on the first's sixth frame and spawns none of its own.
    std::vector<BoostEffectTask*> bursts = Bursts();
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(bursts[0]->followUp, 1);
    EXPECT_EQ(bursts[0]->counter, 6);  // updated from the frame it was made in, five frames behind
    EXPECT_EQ(bursts[0]->flip, 1);
    EXPECT_EQ(bursts[0]->boostLevel, 1);
    for (int i = 0; i < 20; ++i) Frame();
    EXPECT_TRUE(Bursts().empty());
}

TEST_F(BoostEffectsTest, BurstFollowsThePlayerBySurface) {
    struct Case {
        int surface;
        double x, y;
    };
    for (const Case c :
         {Case{0, 100.0, 60.0}, Case{3, 100.0, 60.0}, Case{1, 120.0, 100.0}, Case{2, 120.0, 100.0}}) {
        ResetGame();
        playerX = 100.0;
        playerY = 80.0;
        auto* burst = new BoostEffectTask(c.surface, 0, 1, 3);
        EXPECT_EQ(burst->srcY, 300);
        Frame();
        EXPECT_EQ(burst->x, c.x) << "surface " << c.surface;
        EXPECT_EQ(burst->y, c.y) << "surface " << c.surface;
        playerX = 150.0;
        Frame();
        EXPECT_EQ(burst->x, c.x + 50.0) << "surface " << c.surface;
    }
}

TEST_F(BoostEffectsTest, BurstOfAnUnknownLevelIsDeadAtOnceAndDrawsNothing) {
    for (const int level : {0, 5}) {
        ResetGame();
        auto* burst = new BoostEffectTask(0, 0, 0, level);
        EXPECT_EQ(burst->dead, 1);
        EXPECT_TRUE(DrawCalls(burst).empty());
        Frame();
        Frame();
        EXPECT_EQ(taskCounts[kGroupNoCollision], 0);
    }
}

TEST_F(BoostEffectsTest, BurstDrawsAddedAndTurnedWithItsSurface) {
    struct Case {
        int surface, flip;
        const char* call;
        int turn;
    };
    for (const Case c : {Case{0, 1, "DrawImagePart", 1}, Case{3, 1, "DrawImagePart", 0},
                         Case{2, 1, "DrawImagePartRotated", 1}, Case{1, 1, "DrawImagePartRotated", 0},
                         Case{1, 0, "DrawImagePartRotated", 1}}) {
        ResetGame();
        cameraX = 10;
        cameraY = 5;
        auto* burst = new BoostEffectTask(c.surface, c.flip, 1, 2);
        burst->x = 50.7;
        burst->y = 30.2;
        const auto calls = DrawCalls(burst);
        ASSERT_EQ(calls.size(), 3u);
        EXPECT_EQ(calls[0].name, "SetBlend");
        EXPECT_EQ(calls[0].args, (std::vector<int64_t>{2, 160}));
        EXPECT_EQ(calls[1].name, c.call) << "surface " << c.surface;
        EXPECT_EQ(calls[1].args[0], 40);
        EXPECT_EQ(calls[1].args[1], 25);
        EXPECT_EQ(calls[1].args[2], 180);
        EXPECT_EQ(calls[1].args[3], 220);
        EXPECT_EQ(calls[1].args.back(), c.turn) << "surface " << c.surface << " flip " << c.flip;
        if (calls[1].name == "DrawImagePartRotated") {
            EXPECT_EQ(calls[1].args[7], Bits(kQuarter));
        }
        EXPECT_EQ(calls[2].args, (std::vector<int64_t>{0, 0}));
    }
}

TEST_F(BoostEffectsTest, CaptionRisesTwentyOnePixelsThenBlinks) {
    auto* caption = new BoostTextTask(2);
    std::vector<double> heights;
    std::vector<int> drawn;
    while (Registered(caption, kGroupNoCollision)) {
        Frame();
        if (!Registered(caption, kGroupNoCollision)) break;
        heights.push_back(caption->y);
        drawn.push_back(LayerOf(caption) == 6);
        EXPECT_EQ(caption->x, 110.0);
    }
    ASSERT_EQ(heights.size(), 80u);
    EXPECT_EQ(heights[0], 78.0);
    EXPECT_NEAR(heights[20], 80.0 - 21.0, 1e-9);
    EXPECT_NEAR(heights.back(), 59.0, 1e-9);
    // Always shown while rising; then two frames on and two off.
    for (int f = 0; f < 19; ++f) EXPECT_TRUE(drawn[f]) << "frame " << f;
    for (int f = 19; f < 80; ++f) EXPECT_EQ(drawn[f], (f - 18) % 4 <= 1) << "frame " << f;
}

TEST_F(BoostEffectsTest, LevelFourCaptionStartsSixPixelsHigherWithThreeLines) {
    auto* two = new BoostTextTask(2);
    auto* four = new BoostTextTask(4);
    Frame();
    EXPECT_EQ(two->y - four->y, 6.0);
    cameraX = 20;
    cameraY = 10;
    struct Case {
        int level;
        std::vector<std::vector<int64_t>> lines;  // source x, y, width
    };
    const Case cases[] = {
        {2, {{200, 160, 20}, {200, 172, 24}}},
        {3, {{200, 166, 20}, {200, 172, 24}}},
        {4, {{200, 160, 20}, {200, 166, 20}, {200, 172, 24}}},
    };
    for (const Case& c : cases) {
        // Tasks register themselves: the registry owns and deletes them.
        auto& caption = *new BoostTextTask(c.level);
        caption.x = 110.5;
        caption.y = 70.9;
        const auto calls = DrawCalls(&caption);
        ASSERT_EQ(calls.size(), c.lines.size()) << "level " << c.level;
        for (size_t i = 0; i < calls.size(); ++i) {
            const std::vector<int64_t>& line = c.lines[i];
            EXPECT_EQ(calls[i].args, (std::vector<int64_t>{90, 60 + 6 * static_cast<int64_t>(i), line[0],
                                                           line[1], line[2], 5, 7, 1, 0}))
                << "level " << c.level << " line " << i;
        }
    }
    EXPECT_TRUE(DrawCalls(new BoostTextTask(1)).empty());
}

TEST_F(BoostEffectsTest, AfterImageFadesByTwelveOverTenFrames) {
    auto* shadow = new BoostShadowTask(60.0, 40.0, 0, 0, 120, 0, 80, 40, 1);
    EXPECT_EQ(shadow->srcX, 380);
    EXPECT_EQ(shadow->lowerSrcX, 340);
    std::vector<int> alphas;
    while (Registered(shadow, kGroupNoCollision)) {
        Frame();
        if (!Registered(shadow, kGroupNoCollision)) break;
        alphas.push_back(shadow->alpha);
        EXPECT_EQ(LayerOf(shadow), 8);
        EXPECT_EQ(shadow->x, 60.0);
    }
    EXPECT_EQ(alphas, (std::vector<int>{108, 96, 84, 72, 60, 48, 36, 24, 12, 0}));
}

TEST_F(BoostEffectsTest, AfterImageDrawsRedTintedPiecesTurnedAboutTheSpriteCentre) {
    struct Piece {
        const char* call;
        int x, y;
    };
    struct Case {
        int surface, twoPiece;
        double angle;
        std::vector<Piece> pieces;
    };
    const Case cases[] = {
        {0, 0, 0.0, {{"DrawImagePart", 50, 30}}},
        {1, 0, -kQuarter, {{"DrawImagePartRotated", 70, 50}}},
        {0, 1, 0.0, {{"DrawImagePart", 50, 20}, {"DrawImagePart", 50, 50}}},
        {1, 1, -kQuarter, {{"DrawImagePartRotated", 60, 50}, {"DrawImagePartRotated", 85, 50}}},
        {2, 1, kQuarter, {{"DrawImagePartRotated", 80, 50}, {"DrawImagePartRotated", 55, 50}}},
        {3, 1, std::numbers::pi, {{"DrawImagePartRotated", 70, 60}, {"DrawImagePartRotated", 70, 35}}},
        {4, 1, 0.0, {}},
    };
    for (const Case& c : cases) {
        cameraX = 10;
        cameraY = 10;
        auto& shadow = *new BoostShadowTask(60.0, 40.0, c.surface, 1, 120, 100, 80, 70, c.twoPiece);
        shadow.alpha = 48;
        const auto calls = DrawCalls(&shadow);
        ASSERT_EQ(calls.size(), 4 + c.pieces.size()) << "surface " << c.surface;
        EXPECT_EQ(calls[0].name, "SetBright");
        EXPECT_EQ(calls[0].args, (std::vector<int64_t>{255, 33, 0}));
        EXPECT_EQ(calls[1].args, (std::vector<int64_t>{2, 48}));
        for (size_t i = 0; i < c.pieces.size(); ++i) {
            const recording::Call& draw = calls[2 + i];
            EXPECT_EQ(draw.name, c.pieces[i].call) << "surface " << c.surface << " piece " << i;
            EXPECT_EQ(draw.args[0], c.pieces[i].x) << "surface " << c.surface << " piece " << i;
            EXPECT_EQ(draw.args[1], c.pieces[i].y) << "surface " << c.surface << " piece " << i;
            const bool upper = i == 0;
            EXPECT_EQ(draw.args[2], upper ? 380 : 340);
            EXPECT_EQ(draw.args[3], c.twoPiece == 0 ? 100 : upper ? 0 : 70);
            EXPECT_EQ(draw.args[5], upper ? 40 : 30);
            if (draw.name == "DrawImagePartRotated") {
                EXPECT_EQ(draw.args[7], Bits(c.angle));
            }
            EXPECT_EQ(draw.args.back(), 1);  // mirrored
        }
        EXPECT_EQ(calls[calls.size() - 2].args, (std::vector<int64_t>{0, 0}));
        EXPECT_EQ(calls.back().args, (std::vector<int64_t>{255, 255, 255}));
    }
}

}  // namespace
