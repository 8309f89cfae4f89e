#include <algorithm>
#include <vector>

#include "game/player/player_gauge_task.h"
#include "game/sound_text/text_drawing.h"
#include "tests/game/player_fixture.h"

namespace {

struct Piece {
    int x, y, srcX, srcY, w, h;
    bool operator==(const Piece&) const = default;
};

class PlayerGaugeTest : public PlayerTest {
  protected:
    void SetUp() override {
        PlayerTest::SetUp();
        fontGraphic = 9;
        gauge_ = new PlayerGaugeTask();
    }
    // The pieces of the common graphic one Draw makes, in order.
    std::vector<Piece> DrawnPieces() {
        recording::Reset();
        gauge_->Draw();
        std::vector<Piece> pieces;
        for (const auto& call : recording::Named("DrawImagePart")) {
            if (call.args[6] != commonGraphic) continue;
            EXPECT_EQ(call.args[7], 1);  // transparent
            EXPECT_EQ(call.args[8], 0);  // not turned
            pieces.push_back({static_cast<int>(call.args[0]), static_cast<int>(call.args[1]),
                              static_cast<int>(call.args[2]), static_cast<int>(call.args[3]),
                              static_cast<int>(call.args[4]), static_cast<int>(call.args[5])});
        }
        return pieces;
    }
    // The pieces drawn in one row of the screen.
    std::vector<Piece> Row(int y) {
        std::vector<Piece> row;
        for (const Piece& piece : DrawnPieces()) {
            if (piece.y == y) row.push_back(piece);
        }
        return row;
    }
    std::vector<Piece> SpeedFill() {
        std::vector<Piece> fill;
        for (const Piece& piece : Row(280)) {
            if (piece.srcX >= 130 && piece.srcX <= 150) fill.push_back(piece);
        }
        return fill;
    }
    std::vector<Piece> SpeedFrame() {
        std::vector<Piece> frame;
        for (const Piece& piece : Row(280)) {
            if (piece.srcX >= 100 && piece.srcX <= 120) frame.push_back(piece);
        }
        return frame;
    }

    PlayerGaugeTask* gauge_ = nullptr;
};

TEST_F(PlayerGaugeTest, EnergyCellsFillByThirty) {
    struct Case {
        int energy;
        std::vector<Piece> fills;
    };
    const Case cases[] = {
        {0, {}},
        {45, {{40, 270, 160, 40, 30, 10}, {70, 270, 130, 40, 15, 10}}},
        {150,
         {{40, 270, 160, 40, 30, 10},
          {70, 270, 160, 40, 30, 10},
          {100, 270, 160, 40, 30, 10},
          {130, 270, 160, 40, 30, 10},
          {160, 270, 160, 40, 30, 10}}},
    };
    for (const Case& c : cases) {
        boostEnergy = c.energy;
        std::vector<Piece> empty, fills;
        for (const Piece& piece : Row(270)) (piece.srcX == 100 ? empty : fills).push_back(piece);
        EXPECT_EQ(empty.size(), 5u) << "energy " << c.energy;
        EXPECT_EQ(fills, c.fills) << "energy " << c.energy;
    }
}

TEST_F(PlayerGaugeTest, SpeedFrameIsAsLongAsTheMaximumSpeed) {
    struct Case {
        double maxSpeed;
        int end;
    };
    for (const Case c : {Case{7.5, 190}, Case{10.0, 240}}) {
        playerMaxSpeed = c.maxSpeed;
        const std::vector<Piece> frame = SpeedFrame();
        ASSERT_EQ(static_cast<int>(frame.size()), (c.end - 40) / 10) << "maximum " << c.maxSpeed;
        EXPECT_EQ(frame.front(), (Piece{40, 280, 100, 0, 10, 10}));
        EXPECT_EQ(frame.back(), (Piece{c.end - 10, 280, 120, 10, 10, 10}));
        for (size_t i = 1; i + 1 < frame.size(); ++i) {
            EXPECT_EQ(frame[i].x, 40 + 10 * static_cast<int>(i));
            EXPECT_EQ(frame[i].srcY, frame[i].x - 40 < 130 ? 0 : 10) << "at " << frame[i].x;
        }
    }
    const std::vector<Piece> row = Row(280);
    EXPECT_NE(std::find(row.begin(), row.end(), Piece{165, 280, 160, 0, 10, 10}), row.end());  // the tick
}

TEST_F(PlayerGaugeTest, SpeedFillStopsInThePieceHoldingTheSpeed) {
    struct Case {
        double speed;
        int pieces, lastWidth, row;
    };
    for (const Case c :
         {Case{0.0, 1, 0, 0}, Case{-3.25, 7, 5, 0}, Case{6.5, 14, 0, 10}, Case{7.5, 15, 10, 20}}) {
        playerMaxSpeed = 7.5;
        playerSpeed = c.speed;
        const std::vector<Piece> fill = SpeedFill();
        ASSERT_EQ(static_cast<int>(fill.size()), c.pieces) << "speed " << c.speed;
        EXPECT_EQ(fill.back().w, c.lastWidth) << "speed " << c.speed;
        for (size_t i = 0; i < fill.size(); ++i) {
            EXPECT_EQ(fill[i].x, 40 + 10 * static_cast<int>(i));
            EXPECT_EQ(fill[i].srcY, c.row) << "speed " << c.speed;
            EXPECT_EQ(fill[i].srcX, i == 0 ? 130 : i == 14 ? 150 : 140);
        }
    }
}

TEST_F(PlayerGaugeTest, LivesHealthElementsAndBomb) {
    playerHealth = 2;
    bombHeld = 1;
    const std::vector<Piece> top = Row(5);
    const std::vector<Piece> expected = {
        {10, 5, 20, 20, 30, 20},  {40, 5, 50, 20, 20, 20}, {60, 5, 50, 20, 20, 20},  {80, 5, 30, 20, 20, 20},
        {100, 5, 70, 20, 10, 20}, {120, 5, 20, 0, 20, 20}, {170, 5, 80, 20, 20, 20},
    };
    EXPECT_EQ(top, expected);
    bombHeld = 0;
    EXPECT_EQ(Row(5).size(), expected.size() - 1);
    // The numbers: lives at (20, 11) and elements at (140, 11), two digits each.
    int digits = 0;
    for (const auto& call : recording::Named("DrawImagePart")) {
        if (call.args[6] != fontGraphic || call.args[1] != 11) continue;
        EXPECT_TRUE(call.args[0] == 20 || call.args[0] == 30 || call.args[0] == 140 || call.args[0] == 150);
        ++digits;
    }
    EXPECT_EQ(digits, 4);
}

TEST_F(PlayerGaugeTest, NotDrawnUnderScriptedInput) {
    inputEnabled = 0;
    Step(0);
    EXPECT_EQ(drawLayerCounts[2], 0);
    inputEnabled = 1;
    Step(0);
    ASSERT_EQ(drawLayerCounts[2], 1);
    EXPECT_EQ(drawLayers[2][0], gauge_);
}

TEST_F(PlayerGaugeTest, ThePlayerMakesItsGaugeAndEndsItWithItself) {
    BuildFloorMap();
    PlayerTask* player = MakePlayer(100, 160);
    EXPECT_EQ(player->gauge, nullptr);
    Step(0);
    ASSERT_NE(player->gauge, nullptr);
    Character* gauge = player->gauge;
    EXPECT_EQ(gauge->group, kGroupNoCollision);
    EXPECT_EQ(gauge->drawLayer, 2);
    Step(0);
    EXPECT_EQ(player->gauge, gauge);
    inputEnabled = 0;
    playerLeftTop = 1;
    Step(0);  // the player ends itself
    ASSERT_EQ(player->dead, 1);
    const std::vector<Character*> before = Effects();
    ASSERT_NE(std::find(before.begin(), before.end(), gauge), before.end());
    Step(0);  // swept, and its gauge with it in the same sweep
    const std::vector<Character*> after = Effects();
    EXPECT_EQ(std::find(after.begin(), after.end(), gauge), after.end());
    EXPECT_EQ(after.size(), before.size() - 1);
}

}  // namespace
