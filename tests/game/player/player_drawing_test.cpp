#include <cstring>

#include "tests/game/player_fixture.h"

namespace {

int64_t Bits(double value) {
    int64_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

struct DrawCase {
    const char* name;
    int surface, twoPiece, flip, attackTimer, width;
    std::vector<recording::Call> calls;
};

// The player at world (100.7, 160.2) under the camera (10, 5): screen (90, 155). Graphic 7; upper piece
// source x 120, lower piece (80, 40); one piece (200, 100).
recording::Call Part(int x, int y, int sx, int sy, int w, int h, int flip) {
    return {"DrawImagePart", {x, y, sx, sy, w, h, 7, 1, flip}, ""};
}
recording::Call Turned(int cx, int cy, int sx, int sy, int w, int h, double angle, int flip) {
    return {"DrawImagePartRotated", {cx, cy, sx, sy, w, h, Bits(1.0), Bits(angle), 7, 1, flip}, ""};
}

constexpr double kHalfPi = 1.5707963267948966;
constexpr double kPi = 3.141592653589793;

const DrawCase kDraws[] = {
    {"floor, two pieces",
     0,
     1,
     1,
     0,
     40,
     {Part(90, 145, 120, 0, 40, 40, 1), Part(90, 175, 80, 40, 40, 30, 1)}},
    {"floor, one piece, dying width", 0, 0, 0, 0, 43, {Part(90, 155, 200, 100, 43, 40, 0)}},
    {"floor, slash facing right",
     0,
     1,
     0,
     4,
     40,
     {Part(90, 145, 120, 0, 40, 40, 0), Part(90, 175, 80, 40, 40, 30, 0), Part(90, 135, 0, 160, 60, 60, 0)}},
    {"floor, slash facing left",
     0,
     0,
     1,
     7,
     40,
     {Part(90, 155, 200, 100, 40, 40, 1), Part(70, 135, 60, 160, 60, 60, 1)}},
    {"floor, no slash after frame 9", 0, 0, 1, 10, 40, {Part(90, 155, 200, 100, 40, 40, 1)}},
    {"right wall, two pieces",
     1,
     1,
     0,
     0,
     40,
     {Turned(100, 175, 120, 0, 40, 40, -kHalfPi, 0), Turned(125, 175, 80, 40, 40, 30, -kHalfPi, 0)}},
    {"left wall, two pieces",
     2,
     1,
     1,
     0,
     40,
     {Turned(120, 175, 120, 0, 40, 40, kHalfPi, 1), Turned(95, 175, 80, 40, 40, 30, kHalfPi, 1)}},
    {"ceiling, two pieces",
     3,
     1,
     0,
     0,
     40,
     {Turned(110, 185, 120, 0, 40, 40, kPi, 0), Turned(110, 160, 80, 40, 40, 30, kPi, 0)}},
    {"ceiling, one piece, slash with flip 1",
     3,
     0,
     1,
     8,
     40,
     {Turned(110, 175, 200, 100, 40, 40, kPi, 1), Turned(120, 185, 120, 160, 60, 60, kPi, 1)}},
    {"right wall, slash with flip 1",
     1,
     0,
     1,
     5,
     40,
     {Turned(110, 175, 200, 100, 40, 40, -kHalfPi, 1), Turned(100, 185, 0, 160, 60, 60, -kHalfPi, 1)}},
    {"left wall, slash with flip 0",
     2,
     0,
     0,
     9,
     40,
     {Turned(110, 175, 200, 100, 40, 40, kHalfPi, 0), Turned(120, 185, 120, 160, 60, 60, kHalfPi, 0)}},
};

class PlayerDrawingTest : public PlayerTest {};

TEST_F(PlayerDrawingTest, DrawTable) {
    BuildFloorMap();
    PlayerTask* player = MakePlayer(0, 0);
    cameraX = 10;
    cameraY = 5;
    player->x = 100.7;
    player->y = 160.2;
    for (const DrawCase& c : kDraws) {
        recording::Lib().calls.clear();
        player->surface = c.surface;
        player->twoPiece = static_cast<uint8_t>(c.twoPiece);
        player->flip = static_cast<uint8_t>(c.flip);
        player->attackTimer = c.attackTimer;
        player->w = c.width;
        player->srcX = c.twoPiece ? 120 : 200;
        player->srcY = c.twoPiece ? 0 : 100;
        player->lowerSrcX = 80;
        player->lowerSrcY = 40;
        player->Draw();
        const std::vector<recording::Call>& calls = recording::Lib().calls;
        ASSERT_EQ(calls.size(), c.calls.size()) << c.name;
        for (size_t i = 0; i < calls.size(); ++i) {
            EXPECT_EQ(calls[i].name, c.calls[i].name) << c.name << " #" << i;
            EXPECT_EQ(calls[i].args, c.calls[i].args) << c.name << " #" << i;
        }
    }
}

TEST_F(PlayerDrawingTest, AttackTimerSetsTheUpperPieceWhileWindingUp) {
    BuildFloorMap();
    PlayerTask* player = MakePlayer(100, 160);
    std::vector<int> frames;
    for (int timer = 0; timer <= 8; ++timer) {
        player->attackTimer = timer;
        player->SetPose();
        frames.push_back(player->srcX);
    }
    EXPECT_EQ(frames, (std::vector<int>{0, 40, 40, 40, 80, 80, 80, 80, 0}));
    player->ducking = 1;  // one piece: no wind-up frame
    player->attackTimer = 2;
    player->SetPose();
    EXPECT_EQ(player->srcX, 0);
    EXPECT_EQ(player->twoPiece, 0);
}

}  // namespace
