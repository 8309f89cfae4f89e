#include "game/player/boost_effects.h"

#include <numbers>

#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"

namespace {

constexpr double kQuarterTurn = std::numbers::pi / 2;
constexpr double kHalfTurn = std::numbers::pi;

constexpr int kSurfaceCount = 4;

// The burst.
constexpr int kBurstFirstX = 180;
constexpr int kBurstFrameStep = 40;
constexpr int kBurstFollowUpFrame = 5;
constexpr int kBurstBlend = 160;

// The caption.
constexpr double kRiseStart = -2.0;
constexpr double kRiseSlowdown = 0.1;
constexpr double kLevelFourRaise = -6.0;
constexpr int kCaptionFrames = 60;
constexpr int kCaptionLineGap = 6;
constexpr int kCaptionLineHeight = 5;

struct Strip {
    int srcX, srcY, width;
};

// Caption lines by boost level 2, 3 and 4; a zero width ends the caption.
constexpr Strip kCaptions[3][3] = {
    {{200, 160, 20}, {200, 172, 24}, {0, 0, 0}},
    {{200, 166, 20}, {200, 172, 24}, {0, 0, 0}},
    {{200, 160, 20}, {200, 166, 20}, {200, 172, 24}},
};

// The after-image.
constexpr int kShadowFrameShift = 260;
constexpr int kShadowFade = 12;

struct Point {
    int x, y;
};

// The angle of a sprite drawn on each surface; the floor draws unturned.
constexpr double kSurfaceAngles[kSurfaceCount] = {0.0, -kQuarterTurn, kQuarterTurn, kHalfTurn};
// Centres of the upper and lower pieces of a two-piece sprite turned with the surface, from (x, y).
constexpr Point kUpperCentres[kSurfaceCount] = {{20, 10}, {10, 20}, {30, 20}, {20, 30}};
constexpr Point kLowerCentres[kSurfaceCount] = {{20, 35}, {35, 20}, {5, 20}, {20, 5}};

int ScreenX(double x) {
    return static_cast<int>(x) - cameraX;
}
int ScreenY(double y) {
    return static_cast<int>(y) - cameraY;
}

bool ValidSurface(int surface) {
    return surface >= 0 && surface < kSurfaceCount;
}

}  // namespace

BoostEffectTask::BoostEffectTask(int surface_, int flip_, int followUp_, int boostLevel_)
    : Character(-1, 0.0, 0.0),
      surface(surface_),
      boostLevel(boostLevel_),
      followUp(static_cast<uint8_t>(followUp_)) {
    graphic = playerGraphic;
    flip = static_cast<uint8_t>(flip_);
    srcX = kBurstFirstX;
    srcY = boostLevel <= 2 ? 220 : 300;
    if (boostLevel < 1 || boostLevel > 4) dead = 1;
    w = 40;
    h = 80;
    drawLayer = 7;
    RegisterInGroup(kGroupNoCollision);
}

// Five pictures of two frames each (the first one frame); a first burst starts a second one on its
// sixth frame.
void BoostEffectTask::Update() {
    if (surface == 0 || surface == 3) {
        x = playerX;
        y = playerY - 20;
    } else {
        x = playerX + 20;
        y = playerY + 20;
    }
    if (counter % 2 == 1) srcX -= kBurstFrameStep;
    if (srcX < 0) dead = 1;
    if (followUp == 0 && counter == kBurstFollowUpFrame) CreateBoostEffectTask(surface, flip, 1, boostLevel);
    ++counter;
    AppendToDrawLayer();
}

void BoostEffectTask::Draw() {
    // The frame after the last picture lies left of the graphic: nothing to show.
    if (srcX < 0 || boostLevel < 1 || boostLevel > 4 || !ValidSurface(surface)) return;
    SetBlend(kBlendAdd, kBurstBlend);
    const int sx = ScreenX(x), sy = ScreenY(y);
    const int mirrored = flip ? 1 : 0;
    switch (surface) {
        case 0:
            DrawImagePart(sx, sy, srcX, srcY, w, h, graphic, 1, mirrored);
            break;
        case 3:
            DrawImagePart(sx, sy, srcX, srcY, w, h, graphic, 1, 1 - mirrored);
            break;
        case 2:
            DrawImagePartRotated(sx, sy, srcX, srcY, w, h, 1.0, kQuarterTurn, graphic, 1, mirrored);
            break;
        default:
            DrawImagePartRotated(sx, sy, srcX, srcY, w, h, 1.0, kQuarterTurn, graphic, 1, 1 - mirrored);
            break;
    }
    SetBlend(kBlendNone, 0);
}

Character* CreateBoostEffectTask(int surface, int flip, int followUp, int boostLevel) {
    return CreateTask<BoostEffectTask>(surface, flip, followUp, boostLevel);
}

BoostTextTask::BoostTextTask(int boostLevel_)
    : Character(-1, 0.0, 0.0), boostLevel(boostLevel_), riseOffset(boostLevel_ == 4 ? kLevelFourRaise : 0.0) {
    graphic = playerGraphic;
    RiseSpeed() = kRiseStart;
    drawLayer = 6;
    RegisterInGroup(kGroupNoCollision);
}

// Rises while its speed slows to 0, then blinks two frames on and two off for 61 frames.
void BoostTextTask::Update() {
    riseOffset += RiseSpeed();
    if (RiseSpeed() < 0.0) {
        RiseSpeed() += kRiseSlowdown;
        if (RiseSpeed() > 0.0) RiseSpeed() = 0.0;
    }
    if (RiseSpeed() >= 0.0) {
        if (counter >= kCaptionFrames) dead = 1;
        ++counter;
    }
    x = playerX + 10;
    y = playerY + riseOffset;
    if (counter % 4 <= 1) AppendToDrawLayer();
}

void BoostTextTask::Draw() {
    if (boostLevel < 2 || boostLevel > 4) return;
    const int sx = ScreenX(x), sy = ScreenY(y);
    for (int line = 0; line < 3; ++line) {
        const Strip& strip = kCaptions[boostLevel - 2][line];
        if (strip.width == 0) break;
        DrawImagePart(sx, sy + line * kCaptionLineGap, strip.srcX, strip.srcY, strip.width,
                      kCaptionLineHeight, graphic, 1, 0);
    }
}

Character* CreateBoostTextTask(int boostLevel) {
    return CreateTask<BoostTextTask>(boostLevel);
}

BoostShadowTask::BoostShadowTask(double x_, double y_, int surface_, int flip_, int srcX_, int srcY_,
                                 int lowerSrcX_, int lowerSrcY_, int twoPiece_)
    : Character(-1, x_, y_),
      surface(surface_),
      lowerSrcX(lowerSrcX_ + kShadowFrameShift),
      lowerSrcY(lowerSrcY_),
      twoPiece(static_cast<uint8_t>(twoPiece_)) {
    graphic = playerGraphic;
    flip = static_cast<uint8_t>(flip_);
    srcX = srcX_ + kShadowFrameShift;
    srcY = srcY_;
    w = h = 40;
    drawLayer = 8;
    RegisterInGroup(kGroupNoCollision);
}

void BoostShadowTask::Update() {
    alpha -= kShadowFade;
    if (alpha < 1) {
        alpha = 0;
        dead = 1;
    }
    AppendToDrawLayer();
}

void BoostShadowTask::Draw() {
    SetBright(255, 33, 0);
    SetBlend(kBlendAdd, alpha);
    const int sx = ScreenX(x), sy = ScreenY(y);
    const int mirrored = flip ? 1 : 0;
    if (!ValidSurface(surface)) {
        // An unknown surface shows nothing.
    } else if (twoPiece == 0 && surface == 0) {
        DrawImagePart(sx, sy, srcX, srcY, 40, 40, graphic, 1, mirrored);
    } else if (twoPiece == 0) {
        DrawImagePartRotated(sx + 20, sy + 20, srcX, srcY, 40, 40, 1.0, kSurfaceAngles[surface], graphic, 1,
                             mirrored);
    } else if (surface == 0) {
        DrawImagePart(sx, sy - 10, srcX, 0, 40, 40, graphic, 1, mirrored);
        DrawImagePart(sx, sy + 20, lowerSrcX, lowerSrcY, 40, 30, graphic, 1, mirrored);
    } else {
        const Point upper = kUpperCentres[surface], lower = kLowerCentres[surface];
        const double angle = kSurfaceAngles[surface];
        DrawImagePartRotated(sx + upper.x, sy + upper.y, srcX, 0, 40, 40, 1.0, angle, graphic, 1, mirrored);
        DrawImagePartRotated(sx + lower.x, sy + lower.y, lowerSrcX, lowerSrcY, 40, 30, 1.0, angle, graphic, 1,
                             mirrored);
    }
    SetBlend(kBlendNone, 0);
    SetBright(255, 255, 255);
}

Character* CreateBoostShadowTask(double x, double y, int surface, int flip, int srcX, int srcY, int lowerSrcX,
                                 int lowerSrcY, int twoPiece) {
    return CreateTask<BoostShadowTask>(x, y, surface, flip, srcX, srcY, lowerSrcX, lowerSrcY, twoPiece);
}
