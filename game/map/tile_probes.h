// Probes along a span of layer 0 for the solids the player and the actors meet: tiles, the corners
// beyond the layer, and the solid boxes of moving platforms. Positions are world pixels; each probe
// tests every 8 pixels from the start to the end (the end always), and the last solid point met gives
// the answer. All return whether anything solid was met; without a layer 0 nothing is.
#pragma once

#include "game/map/map_data.h"

// Floor along [x0, x1] at y: the top of the tile row holding y, or a box's top.
bool ScanTilesAlongX(const MapData* map, int x0, int x1, int y, int* out, bool platform);
// Ceiling along [x0, x1] at y: the bottom of the tile row holding y, or a box's bottom.
bool ScanTilesAlongXB(const MapData* map, int x0, int x1, int y, int* out, bool platform);
// Wall along [y0, y1] at x met at its right side: the right of the tile column holding x, or a box's right.
bool ScanTilesAlongY(const MapData* map, int y0, int y1, int x, int* out);
// Wall along [y0, y1] at x met at its left side: the left of the tile column holding x, or a box's left.
bool ScanTilesAlongYB(const MapData* map, int y0, int y1, int x, int* out);
