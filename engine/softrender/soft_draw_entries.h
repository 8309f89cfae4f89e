// The software draw entries: the graphics subsystem's software path calls one of these per draw,
// and each hands the current software target (and blend image) to one kernel. Every entry returns 0.
//
// The entries take the graphic's surface (its own record or its view); the graphic's width and height
// are that surface's.
#pragma once

#include <cstdint>

#include "engine/softrender/mem_img.h"

// The surfaces the graphics subsystem keeps current: the surface of the draw screen, and the blend
// graphic's surface (null when none is set).
struct SoftDrawSurfaces {
    MEMIMG* target;
    MEMIMG* blendImage;
};

extern SoftDrawSurfaces g_softDrawSurfaces;

int SoftTargetDrawImage(int x, int y, MEMIMG* image, int transparentFlag);
int SoftTargetDrawImageStretched(int x1, int y1, int x2, int y2, MEMIMG* image, int transparentFlag);
int SoftTargetDrawImageRotated(float x, float y, double scale, double angle, MEMIMG* image,
                               int transparentFlag, int mirrorFlag);
int SoftTargetDrawImageQuad(int x0, int y0, int x1, int y1, int x2, int y2, int x3, int y3, MEMIMG* image,
                            int transparentFlag);
int SoftTargetDrawImageQuadF(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3,
                             MEMIMG* image, int transparentFlag);
int SoftTargetFillRect(int x1, int y1, int x2, int y2, uint32_t colour);
int SoftTargetDrawLine(int x1, int y1, int x2, int y2, uint32_t colour);
int SoftTargetDrawCircle(int x, int y, int radius, uint32_t colour, int fill);
