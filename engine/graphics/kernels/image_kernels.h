// The Direct3D point and stretched image draws: one textured quad per draw tile, appended to the vertex
// batch, cut to the draw area when the graphic straddles its edge.
#pragma once

#include "engine/graphics/handles/graphic_records.h"

// 0, or -1 without a device.
int D3DDrawImageAt(const GraphicEntry* blendGraphic, int x, int y, float xf, float yf,
                   const GraphicEntry* graphic, int transparent, int oneToOne);
// x2, y2 exclusive; reversed corners mirror. 0; -1 without a device or for an empty rectangle.
int D3DDrawImageStretched(int x1, int y1, int x2, int y2, float x1f, float y1f, float x2f, float y2f,
                          const GraphicEntry* graphic, const GraphicEntry* blendGraphic, int transparent,
                          int oneToOneRequest);
