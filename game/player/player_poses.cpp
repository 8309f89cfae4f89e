// The player's collision box and sprite frame for its surface and pose.
#include <cmath>

#include "game/frame/input_mask.h"
#include "game/player/player_task.h"

namespace {

constexpr int kOnePieceSrcY = 100;
constexpr int kDyingWidth = 43;

struct Box {
    int x, y, w, h;
};

enum class Pose { kClinging, kRunning, kSliding };

// Boxes on the walls and the ceiling by surface (1-3) and pose.
constexpr Box kTurnedBoxes[3][3] = {
    {{20, 14, 16, 12}, {6, 14, 30, 12}, {22, 14, 14, 12}},  // right wall
    {{0, 14, 16, 12}, {4, 14, 30, 12}, {4, 14, 14, 12}},    // left wall
    {{14, 0, 12, 16}, {14, 4, 12, 30}, {14, 4, 12, 14}},    // ceiling
};

// Upper piece for each running-legs frame (lower x / 40).
constexpr int kRunUpper[6] = {120, 120, 160, 200, 200, 160};

}  // namespace

void PlayerTask::SetPose() {
    ChoosePoseFrame();
    SetAttackFrame();
}

void PlayerTask::ChoosePoseFrame() {
    const auto onePiece = [this](int sx) {
        twoPiece = 0;
        srcX = sx;
        srcY = kOnePieceSrcY;
    };
    const auto twoPieces = [this](int upper, int lowerX, int lowerY) {
        twoPiece = 1;
        srcX = upper;
        srcY = 0;
        lowerSrcX = lowerX;
        lowerSrcY = lowerY;
    };
    const auto fastRun = [&] {
        const int lowerX = ((runCounter / 3 % 4) * 5 + 5) * 8;
        twoPieces(120, lowerX == 160 ? 80 : lowerX, 40);
    };
    const auto setBoxY = [this](int by, int bh) {
        boxY = by;
        boxH = bh;
    };
    if (surface != kSurfaceFloor) {
        const Pose pose = clingTimer > 0 ? Pose::kClinging : sliding ? Pose::kSliding : Pose::kRunning;
        const Box& box = kTurnedBoxes[surface - 1][static_cast<int>(pose)];
        boxX = box.x;
        boxY = box.y;
        boxW = box.w;
        boxH = box.h;
        if (pose == Pose::kClinging) {
            onePiece(0);
        } else if (pose == Pose::kSliding) {
            onePiece(120);
        } else {
            fastRun();
        }
        return;
    }
    w = 40;
    boxX = 14;
    boxW = 12;
    const bool running = (InputHeld(kInputRight) && speedX > 0.0) || (InputHeld(kInputLeft) && speedX < 0.0);
    if (deathTimer >= 1) {
        onePiece(200);
        w = kDyingWidth;
    } else if (knockedBack) {
        onePiece(160);
    } else if (clingTimer > 0) {
        setBoxY(20, 16);
        onePiece(0);
    } else if (airborne) {
        setBoxY(6, 30);
        twoPieces(0, 160, 40);
    } else if (sliding) {
        setBoxY(22, 14);
        onePiece(120);
    } else if (ducking) {
        setBoxY(20, 16);
        onePiece(runCounter / 6 % 2 * 40);
    } else if (std::fabs(speedX) >= kPlayerFastSpeed) {
        setBoxY(6, 30);
        fastRun();
    } else if (running) {
        setBoxY(6, 30);
        const int frame = (runCounter + 12) / 6 % 6;
        twoPieces(kRunUpper[frame], frame * 40, 70);
    } else {
        setBoxY(6, 30);
        twoPieces(0, 0, 40);
    }
}

// The knife swing's upper piece while the swing winds up.
void PlayerTask::SetAttackFrame() {
    if (twoPiece != 1 || attackTimer < 1 || attackTimer > 7) return;
    srcX = attackTimer <= 3 ? 40 : 80;
}
