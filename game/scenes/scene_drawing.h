// Pieces the menu and scene-card screens share: whole-screen covers, red text, times shown as
// minutes, seconds and frames, and the confirm input.
#pragma once

#include <cstdint>

struct FrameTime {
    int32_t minutes, seconds, frames;
};

// A time in frames as minutes, seconds and frames; 100 minutes or more show as 99, 59, 59.
FrameTime SplitFrameTime(int32_t frames);
// The three parts as 2-digit numbers at x, x + 30 and x + 60.
void DrawFrameTime(const FrameTime& time, int x, int y);

// A box of the colour over the whole 400 x 300 screen in the blend mode; blend back to (0, 0).
void DrawScreenCover(int blendMode, int alpha, uint32_t color);
// Bitmap text in red, then the bright back to white.
void DrawRedText(int x, int y, const char* text);
// An outline box in the colour.
void DrawOutline(int x1, int y1, int x2, int y2, uint32_t color);

// START or ATTACK of the current assignment newly pressed.
bool ConfirmPressed();
