#include "game/scenes/demo_ufo_task.h"

#include "engine/graphics/graphics.h"
#include "engine/sound/sound.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr double kStartX = 200.0, kStartY = 60.0;
constexpr double kStartSpeedX = 4.0;
constexpr double kRiseSpeed = -0.2;
constexpr double kSwing = 0.15;
constexpr double kGrowth = 0.002;
constexpr double kFarScale = 0.8;
constexpr double kDescentSpeed = 1.0;
constexpr double kLandingY = 50.0;
constexpr int kHalfHeight = 35;
constexpr int kDrawLayer = 12;

constexpr int kHatchFrames = 20;
constexpr int kHatchPeriod = 3;
constexpr int kHatchStep = 40;
constexpr int kHatchOpen = 200;
constexpr int kOpenSoundFrame = 3;
constexpr int kDropPeriod = 60;
constexpr int kDropPhase = 20;
constexpr int kLandedFrames = 400;

constexpr int kStepLand = 1;
constexpr int kStepLanded = 2;

}  // namespace

DemoUfoTask::DemoUfoTask(MapData* map_, int32_t* scriptStep_)
    : Character(-1, kStartX, kStartY), scriptStep(scriptStep_ != nullptr ? scriptStep_ : &ownStep) {
    map = map_;
    graphic = map != nullptr ? map->FindGraphic("ufo") : 0;
    srcX = 180;
    srcY = 80;
    w = 120;
    h = 70;
    shape = 0;
    SpeedX() = kStartSpeedX;
    drawLayer = kDrawLayer;
    RegisterInGroup(kGroupNoCollision);
}

void DemoUfoTask::KeepHumming() const {
    if (QuerySoundPlaying(soundEffects[kSeUfo]) == 1) return;
    SetSoundEffectVolume(kSeUfo, static_cast<int>(scale * 255.0));
    PlaySoundEffect(kSeUfo);
}

void DemoUfoTask::Approach() {
    SpeedY() = kRiseSpeed;
    SpeedX() += x > kStartX ? -kSwing : kSwing;
    if (scale < kFarScale) scale += kGrowth;
    if (y + kHalfHeight < 0) {
        counter = 0;
        scale = 1.0;
        SpeedY() = kDescentSpeed;
        x = kStartX;
        SpeedX() = 0.0;
        state = kDescending;
    }
    KeepHumming();
}

void DemoUfoTask::Descend() {
    if (y < kLandingY) {
        KeepHumming();
    } else {
        SpeedY() = 0.0;
    }
    if (*scriptStep == kStepLand) {
        counter = 0;
        state = kLanded;
    }
}

void DemoUfoTask::Land() {
    if (counter < kHatchFrames) {
        if (counter % kHatchPeriod == 0 && hatch < kHatchOpen) hatch += kHatchStep;
        if (counter == kOpenSoundFrame) PlaySoundEffect(kSeOpen);
    } else if (counter % kDropPeriod == kDropPhase && counter < kLandedFrames) {
        CreateTwiggerTaskAt(x - 20, y - 15, map, 0.0);
    }
    if (counter == kLandedFrames) {
        counter = 0;
        state = kDone;
        *scriptStep = kStepLanded;
    }
}

void DemoUfoTask::Update() {
    switch (state) {
        case kApproaching:
            Approach();
            break;
        case kDescending:
            Descend();
            break;
        case kLanded:
            Land();
            break;
        default:
            break;
    }
    x += SpeedX();
    y += SpeedY();
    ++counter;
    AppendToDrawLayer();
}

// The scene does not scroll: positions are screen positions.
void DemoUfoTask::Draw() {
    const int sx = static_cast<int>(x), sy = static_cast<int>(y);
    if (state == kLanded || state == kDone) {
        DrawImagePart(sx - 30, sy + 5, 120, hatch, 60, 30, graphic, 1, 0);
        DrawImagePart(sx - 60, sy - 15, 0, 0, 120, 50, graphic, 1, 0);
        DrawImagePart(sx - 60, sy - 35, 0, 60, 120, 30, graphic, 1, 0);
        return;
    }
    const int bright = static_cast<int>(scale * 255.0);
    SetBright(bright, bright, bright);
    DrawImagePartRotated(sx, sy, srcX, srcY, w, h, scale, 0.0, graphic, 1, 0);
    SetBright(255, 255, 255);
}
