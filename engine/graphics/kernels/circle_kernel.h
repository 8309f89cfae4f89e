// The Direct3D circle: a filled disc as horizontal lines, or a one-pixel outline as points, on the
// pixels of the software renderer's midpoint walk, drawn at once in small calls outside the batch.
#pragma once

#include <cstdint>

// fill non-zero: a disc. 0; -1 without a device.
int G_D3D_DrawCircle(int cx, int cy, int r, uint32_t colour, int fill);
