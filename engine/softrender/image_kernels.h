// The image kernels: a source surface drawn 1:1, or stretched into a rectangle, onto a destination
// under the render state.
#pragma once

#include <cstdint>

#include "engine/softrender/mem_img.h"

void SoftDrawImage(MEMIMG* dest, const MEMIMG* source, int x, int y, int transparentFlag,
                   const MEMIMG* blendImage);

// rect: {x1, y1, x2, y2}; corners given in reverse order mirror the picture. Sides of 65536 or more,
// and sources wider or higher than 65536, are refused.
void SoftDrawImageStretched(MEMIMG* dest, const MEMIMG* source, const int32_t* rect, int transparentFlag,
                            const MEMIMG* blendImage);
