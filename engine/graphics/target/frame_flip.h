// Showing the finished frame, and the draw-target copies, blend graphic, texture filter and fog settings
// that go with the draw target.
#pragma once

#include "platform/kernel/win_types.h"

// rect: the window rectangle to present into, or null. 0; -1 before init or once the end is requested.
int FlipFrame(const RECT* rect);

// The rectangle (x1, y1)-(x2, y2) of source (a graphic, else the screen) into graphic at (destX, destY).
// 0, or -1 (nothing copied) when the rectangle leaves the source or does not fit the destination.
int CopyDrawScreenRect(int source, int x1, int y1, int x2, int y2, int destX, int destY, int graphic);

// graphic < 1: no blend graphic. kind 0 reads params[0], kind 1 params[0] and params[1]. 0 or -1.
int SetBlendGraphicCore(int graphic, int kind, const int* params);
// The same with the parameters that kind needs following on the argument list.
int SetBlendGraphicKind(int graphic, int kind, ...);

// Fog: mode 0 none, 1 exponential, 2 squared exponential, 3 linear; colour; start and end distance.
void SetDrawFogMode(int mode);
void SetDrawFogColour(int red, int green, int blue);
void SetDrawFogRange(float start, float end);
