#include "tests/game/player_fixture.h"

namespace {

struct CameraCase {
    const char* name;
    double x, y, moveX, moveY;
    uint32_t input;
    int knockedBack, slideTimer, surface, kind;
    int cameraX, cameraY;  // expected, from (1000, 400)
};

// The camera starts at (1000, 400): the screen centre is (1200, 550).
const CameraCase kCases[] = {
    {"inside both dead zones", 1180, 530, 0.0, 0.0, 0, 0, 0, 0, 1, 1000, 400},
    {"slow, right of the dead zone", 1241, 530, 1.0, 0.0, 0, 0, 0, 0, 1, 1002, 400},
    {"slow, on the dead zone's right edge", 1240, 530, 1.0, 0.0, 0, 0, 0, 0, 1, 1000, 400},
    {"slow, left of the dead zone", 1119, 530, -1.0, 0.0, 0, 0, 0, 0, 1, 998, 400},
    {"knocked back, right of the dead zone", 1241, 530, 3.0, 0.0, 0, 1, 0, 0, 1, 1005, 400},
    {"knocked back, below the dead zone", 1180, 591, 0.0, 3.0, 0, 1, 0, 0, 1, 1000, 405},
    {"slow, above the dead zone", 1180, 469, 0.0, -1.0, 0, 0, 0, 0, 1, 1000, 398},
    {"leading right", 1200, 530, 3.0, 0.0, kInputRight, 0, 0, 0, 1, 1006, 400},
    {"leading right, truncated", 1200, 530, 2.75, 0.0, kInputRight, 0, 0, 0, 1, 1005, 400},
    {"leading right, near the right edge", 1330, 530, 3.0, 0.0, kInputRight, 0, 0, 0, 1, 1010, 400},
    {"leading left, near the left edge", 1030, 530, -3.0, 0.0, kInputLeft, 0, 0, 0, 1, 990, 400},
    {"sliding leads without input", 1200, 530, 3.0, 0.0, 0, 0, 5, 0, 1, 1006, 400},
    {"coasting right past 260", 1241, 530, 3.0, 0.0, 0, 0, 0, 0, 1, 1001, 400},
    {"coasting right before 260", 1240, 530, 3.0, 0.0, 0, 0, 0, 0, 1, 1000, 400},
    {"coasting left past 140", 1119, 530, -3.0, 0.0, 0, 0, 0, 0, 1, 999, 400},
    {"holding left, moving right", 1241, 530, 3.0, 0.0, kInputLeft, 0, 0, 0, 1, 1001, 400},
    {"falling past 210", 1180, 591, 0.0, 3.0, 0, 0, 0, 0, 1, 1000, 401},
    {"rising past 90", 1180, 469, 0.0, -3.0, 0, 0, 0, 0, 1, 1000, 399},
    {"running down a wall leads", 1180, 530, 0.0, 4.0, kInputDown, 0, 0, 1, 1, 1000, 408},
    {"running up a wall near the top", 1180, 430, 0.0, -4.0, kInputUp, 0, 0, 2, 1, 1000, 390},
    {"running down a wall near the bottom", 1180, 630, 0.0, 4.0, kInputDown, 0, 0, 1, 1, 1000, 410},
    {"down held on the floor does not lead", 1180, 530, 0.0, 4.0, kInputDown, 0, 0, 0, 1, 1000, 400},
    {"map kind 4 holds the player 40 px from the left", 1500.7, 700, 3.0, 3.0, kInputRight, 0, 0, 0, 4, 1460,
     400},
};

class CameraTest : public PlayerTest {};

TEST_F(CameraTest, CameraRules) {
    BuildFloorMap(150, 60);
    PlayerTask* player = MakePlayer(0, 0);
    for (const CameraCase& c : kCases) {
        map_.kind = c.kind;
        map_.cameraX = 1000;
        map_.cameraY = 400;
        player->x = c.x;
        player->y = c.y;
        player->MoveX() = c.moveX;
        player->MoveY() = c.moveY;
        player->knockedBack = static_cast<uint8_t>(c.knockedBack);
        player->slideTimer = c.slideTimer;
        player->surface = c.surface;
        inputNow = c.input;
        player->MoveCamera();
        EXPECT_EQ(map_.cameraX, c.cameraX) << c.name;
        EXPECT_EQ(map_.cameraY, c.cameraY) << c.name;
    }
}

TEST_F(CameraTest, FrozenCameraStaysAndTheMapClampsIt) {
    BuildFloorMap(150, 60);
    PlayerTask* player = MakePlayer(0, 0);
    map_.cameraX = 1000;
    map_.cameraY = 400;
    player->x = 1500;
    player->y = 900;
    player->MoveX() = 3.0;
    player->MoveY() = 3.0;
    cameraFrozen = 1;
    player->MoveCamera();
    EXPECT_EQ(map_.cameraX, 1000);
    EXPECT_EQ(map_.cameraY, 400);
    cameraFrozen = 0;
    map_.lockFlags = kLockRight;
    player->MoveCamera();
    EXPECT_EQ(map_.cameraX, 1000);  // a move to the right refused by the lock
    EXPECT_EQ(map_.cameraY, 710);
    player->x = 10;
    player->MoveX() = -3.0;
    player->MoveCamera();
    EXPECT_EQ(map_.cameraX, 0);  // never left of the map
}

TEST_F(CameraTest, UpdatePublishesTheMapCamera) {
    BuildFloorMap(150, 15);
    PlayerTask* player = MakePlayer(700, 160);
    map_.SetCamera(400, 0);
    Step(0);
    EXPECT_EQ(cameraX, map_.cameraX);
    EXPECT_EQ(cameraY, map_.cameraY);
    EXPECT_EQ(cameraX, 402);  // the slow dead zone: 720 - 60 > 400 + 200
    EXPECT_EQ(player->y, 160.0);
}

}  // namespace
