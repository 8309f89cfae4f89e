// Shapes put on the current software target from the software line and triangle kernels.
#pragma once

#include <cstdint>

struct SoftQuadCorner {
    int x, y;
};

// Four lines along (x1, y1) - (x2 - 1, y2 - 1) under the current blend parameter. 0.
int SoftOutlineBox(int x1, int y1, int x2, int y2, uint32_t colour);
// Corners in the order top left, top right, bottom left, bottom right: two triangles when fill is set,
// else the four edges as lines. 0.
int SoftFillOrOutlineQuad(const SoftQuadCorner* corners, uint32_t colour, int fill);
