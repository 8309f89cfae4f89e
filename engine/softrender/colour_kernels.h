// Kernels that draw one colour under the render state: rectangle fill, lines and circles.
#pragma once

#include <cstdint>

#include "engine/softrender/mem_img.h"

struct SoftLineRecord {
    int32_t x1, y1, x2, y2;
    int32_t colour;
    int32_t parameter;  // the caller's blend parameter; the render state's applies
};

void SoftFillRect(MEMIMG* dest, const int32_t* rect, uint32_t colour);
void SoftDrawLine(MEMIMG* dest, int x1, int y1, int x2, int y2, uint32_t colour);
void SoftDrawLines(MEMIMG* dest, const SoftLineRecord* records, int count);
void SoftDrawCircle(MEMIMG* dest, int cx, int cy, int radius, uint32_t colour, int fill);
