#include "game/scenes/scene_drawing.h"

#include "engine/graphics/graphics.h"
#include "game/frame/input_mask.h"
#include "game/frame/key_config.h"
#include "game/frame/main_loop.h"
#include "game/sound_text/text_drawing.h"

namespace {

constexpr int kTextLimit = 120;
constexpr int32_t kShownMinutesLimit = 100;

}  // namespace

FrameTime SplitFrameTime(int32_t frames) {
    FrameTime time = {frames / 3600, frames / 60 % 60, frames % 60};
    if (time.minutes >= kShownMinutesLimit) time = {99, 59, 59};
    return time;
}

void DrawFrameTime(const FrameTime& time, int x, int y) {
    DrawNumber(time.minutes, 2, x, y);
    DrawNumber(time.seconds, 2, x + 30, y);
    DrawNumber(time.frames, 2, x + 60, y);
}

void DrawScreenCover(int blendMode, int alpha, uint32_t color) {
    SetBlend(blendMode, alpha);
    DrawBoxShape(0, 0, kLogicalWidth, kLogicalHeight, color, 1);
    SetBlend(kBlendNone, 0);
}

void DrawRedText(int x, int y, const char* text) {
    SetBright(255, 0, 0);
    DrawBitmapText(x, y, text, kTextLimit);
    SetBright(255, 255, 255);
}

void DrawOutline(int x1, int y1, int x2, int y2, uint32_t color) {
    DrawBoxShape(x1, y1, x2, y2, color, 0);
}

bool ConfirmPressed() {
    return InputPressed(static_cast<uint32_t>(keyConfig.padStart)) ||
           InputPressed(static_cast<uint32_t>(keyConfig.padAttack));
}
