#include "game/player/player_gauge_task.h"

#include <cmath>
#include <cstdlib>

#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/task_registry.h"
#include "game/sound_text/text_drawing.h"

namespace {

constexpr int kMaxHealthCells = 3;
constexpr int kEnergyCells = 5;
constexpr int kEnergyPerCell = 30;
constexpr int kBarLeft = 40;
constexpr int kBarY = 280;
constexpr int kPiece = 10;
// 130 px of bar is the speed 6.5 from which the player is dangerous.
constexpr int kFastBar = 130;
constexpr double kPixelsPerSpeed = 20.0;
constexpr int kLabelChars = 120;

void Piece(int x, int y, int srcX, int srcY, int width, int height) {
    DrawImagePart(x, y, srcX, srcY, width, height, commonGraphic, 1, 0);
}

void DrawLives() {
    Piece(10, 5, 20, 20, 30, 20);
    DrawNumber(playerStock, 2, 20, 11);
}

void DrawHealth() {
    for (int i = 0; i < kMaxHealthCells; ++i) Piece(40 + 20 * i, 5, i < playerHealth ? 50 : 30, 20, 20, 20);
    Piece(100, 5, 70, 20, 10, 20);
}

void DrawElementsAndBomb() {
    Piece(120, 5, 20, 0, 20, 20);
    DrawNumber(elementCount, 2, 140, 11);
    if (bombHeld == 1) Piece(170, 5, 80, 20, 20, 20);
}

void DrawBoostEnergy() {
    DrawBitmapText(10, 270, "BST", kLabelChars);
    for (int i = 0; i < kEnergyCells; ++i) {
        const int x = 40 + kEnergyPerCell * i;
        Piece(x, 270, 100, 40, 30, 10);
        if (i < boostEnergy / kEnergyPerCell) {
            Piece(x, 270, 160, 40, 30, 10);
        } else if (kEnergyPerCell * i < boostEnergy) {
            Piece(x, 270, 130, 40, boostEnergy % kEnergyPerCell, 10);
        }
    }
}

// The frame is as long as the maximum speed (150 px at 7.5); its pieces change where the player turns
// dangerous.
void DrawSpeedFrame(int length) {
    DrawBitmapText(10, kBarY, "SPD", kLabelChars);
    for (int k = 0; k < length; k += kPiece) {
        if (k == 0) {
            Piece(kBarLeft, kBarY, 100, 0, kPiece, kPiece);
        } else if (k == length - kPiece) {
            Piece(length + 30, kBarY, 120, 10, kPiece, kPiece);
        } else {
            Piece(kBarLeft + k, kBarY, 110, k < kFastBar ? 0 : 10, kPiece, kPiece);
        }
    }
    Piece(165, kBarY, 160, 0, kPiece, kPiece);
}

// The fill's row: below the dangerous speed, at or above it, at the maximum.
void DrawSpeedFill(int length, int speed) {
    const int row = speed < kFastBar ? 0 : speed < length ? 10 : 20;
    for (int k = 0; k < length; k += kPiece) {
        const int srcX = k == 0 ? 130 : k == length - kPiece ? 150 : 140;
        const bool full = speed >= k + kPiece;
        Piece(kBarLeft + k, kBarY, srcX, row, full ? kPiece : speed % kPiece, kPiece);
        if (!full) break;
    }
}

}  // namespace

PlayerGaugeTask::PlayerGaugeTask() : Character(-1, 0.0, 0.0) {
    graphic = commonGraphic;
    drawLayer = 2;
    RegisterInGroup(kGroupNoCollision);
}

// Not drawn while a scene holds the controls.
void PlayerGaugeTask::Update() {
    ++counter;
    if (inputEnabled == 1) AppendToDrawLayer();
}

void PlayerGaugeTask::Draw() {
    DrawLives();
    DrawHealth();
    DrawElementsAndBomb();
    DrawBoostEnergy();
    const int length = static_cast<int>(playerMaxSpeed * kPixelsPerSpeed);
    const int speed = std::abs(static_cast<int>(playerSpeed * kPixelsPerSpeed));
    DrawSpeedFrame(length);
    DrawSpeedFill(length, speed);
}
