// The triangle, image-quad and rotated-image kernels: a triangle filled with one colour or mapped from
// a source, a source drawn onto a free quadrilateral, and a source turned and scaled about a centre.
#pragma once

#include <cstdint>

#include "engine/softrender/mem_img.h"

// Destination position (whole pixels) and source position (whole texels) of a triangle's corner.
struct TriangleVertex {
    int32_t x, y, u, v;
};

struct QuadCorner {
    int32_t x, y;
};

// source null: the triangle is filled with `colour` (a pixel value of the destination's format).
// Coordinates beyond +-2^24 are refused.
void SoftDrawTriangle(MEMIMG* dest, const MEMIMG* source, const TriangleVertex* vertices, int transparentFlag,
                      const MEMIMG* blendImage, uint32_t colour);
// corners: the destination points of the source's top-left, top-right, bottom-left and bottom-right.
void SoftDrawImageQuad(MEMIMG* dest, const MEMIMG* source, const QuadCorner* corners, int transparentFlag,
                       const MEMIMG* blendImage);
// Sources and blend images taller than 4096 rows are refused.
void SoftDrawImageRotated(MEMIMG* dest, const MEMIMG* source, int x, int y, float angle, float scale,
                          int transparentFlag, int mirrorFlag, const MEMIMG* blendImage);
