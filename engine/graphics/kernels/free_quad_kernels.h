// The Direct3D free-quad draws: a whole graphic mapped onto four corners. Without a blend graphic the
// quad is cut over the draw tiles by bilinear interpolation, each tile drawn as one batch quad when it is
// a parallelogram, else as an 8 x 8 vertex grid; with one, two affine maps place every tile's corners and
// each tile is drawn at once as a four-vertex strip. Corners in kernel order: top-left, top-right,
// bottom-left, bottom-right.
#pragma once

#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/handles/graphic_records.h"

// 0; -1 without a device; the stretched draw's or the dispatch's result where they draw.
int D3DDrawImageQuad(const GraphicEntry* graphic, int x1, int y1, int x2, int y2, int x3, int y3, int x4,
                     int y4, const GraphicEntry* blendGraphic, int transparent, int blendQuadFlag);
// 0; -1 without a device.
int D3DDrawImageQuadDispatch(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                             const GraphicEntry* graphic, const GraphicEntry* blendGraphic, int transparent,
                             int blendQuadFlag);
// One draw tile onto its screen corners (a kind-1 batch).
void D3DDrawTileQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                     const GraphicDrawTile* drawTile, int noSubdivide);
// rows x columns vertices stored row by row, drawn as one indexed strip per at most 1000 indices. 0 (also
// without a device); -1 below 2 rows or columns, or above 499 columns (a row pair would not fit).
int DrawVertexGrid(int columns, const Vertex2DTex* vertices, int rows);

// 1 when opposite edges of the quad agree within a pixel in x and y.
int IsParallelogram(const float x[4], const float y[4]);
