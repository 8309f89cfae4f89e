#include "game/scenes/ed_yopaga_task.h"

#include <algorithm>

#include "engine/graphics/graphics.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr double kStartX = 270.0, kStartY = 81.0;
constexpr double kTopX = 200.0, kTopY = -40.0;
constexpr double kRiseFrames = 120.0;
constexpr double kGrowth = 0.006;
constexpr double kGlowPerScale = 40.0;
constexpr int kReturnSoundFrame = 8;
constexpr double kFallSpeed = 1.0;
constexpr double kGroundY = 170.0;
constexpr double kGlowShrink = 2.0;
constexpr int kSize = 60;
constexpr int kDrawLayer = 11;
constexpr int kGlowBlend = 120;

constexpr int32_t kStepLanded = 11;

}  // namespace

EdYopagaTask::EdYopagaTask(MapData* map_, int32_t* sceneStep_)
    : Character(-1, kStartX, kStartY), sceneStep(sceneStep_ != nullptr ? sceneStep_ : &ownStep) {
    map = map_;
    graphic = map != nullptr ? map->FindGraphic("demo") : 0;
    srcX = 320;
    srcY = 60;
    w = h = kSize;
    shape = 0;
    drawLayer = kDrawLayer;
    RegisterInGroup(kGroupNoCollision);
}

// Grows out of the distance while it flies to (200, -40) in 120 frames.
void EdYopagaTask::Rise() {
    scale = counter * kGrowth;
    glowRadius = scale * kGlowPerScale;
    if (counter == 0) {
        SpeedX() = (kTopX - x) / kRiseFrames;
        SpeedY() = (kTopY - y) / kRiseFrames;
    }
    if (counter == kReturnSoundFrame) PlaySoundEffect(kSeReturn);
    if (y <= kTopY) {
        counter = 0;
        SpeedX() = 0.0;
        SpeedY() = kFallSpeed;
        scale = 1.0;
        glowRadius = kGlowPerScale;
        state = kComingDown;
    }
}

void EdYopagaTask::ComeDown() {
    if (y < kGroundY) return;
    srcY = 0;
    SpeedY() = 0.0;
    y = kGroundY;
    if (glowRadius > 0.0) glowRadius = std::max(0.0, glowRadius - kGlowShrink);
    if (glowRadius == 0.0) {
        *sceneStep = kStepLanded;
        state = kLanded;
    }
}

void EdYopagaTask::Update() {
    if (state == kRising) {
        Rise();
    } else if (state == kComingDown) {
        ComeDown();
    }
    x += SpeedX();
    y += SpeedY();
    ++counter;
    AppendToDrawLayer();
}

// The scene does not scroll: positions are screen positions.
void EdYopagaTask::Draw() {
    const int sx = static_cast<int>(x), sy = static_cast<int>(y);
    DrawImagePartRotated(sx, sy, srcX, srcY, w, h, scale, 0.0, graphic, 1, 0);
    if (glowRadius < 1.0) return;
    SetBlend(kBlendAdd, kGlowBlend);
    DrawCircleShape(sx - 1, sy - 1, static_cast<int>(glowRadius), PackColor(82, 231, 50), 1);
    SetBlend(kBlendNone, 0);
}
