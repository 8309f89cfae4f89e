// The game's whole life: start-up, the phase loop (title, area play, opening demo) one frame at a
// time, and shutdown.
#pragma once

#include <cstdint>

#include "game/map/map_data.h"
#include "platform/kernel/win_types.h"

// The map of the area (or scene) being played.
extern MapData areaMap;

// The command line, taken whole, names a replay to play. -1 when the library does not start, else 0.
int WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int show);

// The player's shared values at an area start; a new game (codes 0, 1, 5, 6) also resets the stock,
// the elements, the bombs and the check point.
void ResetPlayerState(int code);
// After the screen-mode setting changed; with modeOnly 0 the draw target is set up again too.
void ApplyScreenMode(int modeOnly);

constexpr int kLogicalWidth = 400;
constexpr int kLogicalHeight = 300;
constexpr int64_t kFrameMicroseconds = 16666;
