// The Direct3D untextured shapes and the caller's vertex lists: filled and outlined boxes and one-pixel
// lines through the batch on whole-pixel coordinates, and a vertex array drawn at once.
#pragma once

#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/handles/graphic_records.h"

// x2, y2 exclusive; corners in any order. 0 (also when empty); -1 without a device.
int D3DFillBox(int x1, int y1, int x2, int y2, uint32_t colour);
// Four one-pixel strips along the border; a box without width or height draws nothing. 0; -1 without a
// device.
int D3DOutlineBox(int x1, int y1, int x2, int y2, uint32_t colour);
// The end point is not drawn. 0; -1 without a device.
int D3DDrawLine(int x1, int y1, int x2, int y2, uint32_t colour);
// Draws `count` vertices as primitiveType (1 point list .. 6 triangle fan) with the graphic's texture
// tileIndex (graphic null: untextured). 0, also when the count makes no primitive; -1 without a device, for
// another type or a tile the graphic does not have.
int D3DDrawVertices(int tileIndex, int use3D, const GraphicEntry* graphic, const Vertex2DTex* vertices,
                    int count, int primitiveType, uint32_t extraFlags);

// Primitives that `count` vertices make as the type (0 when not one); -1 for a type outside 1 to 6.
int PrimitiveCount(int primitiveType, int count);
// Drops the stage-0 texture from the cache (the batch drawn first) so that an untextured draw rebuilds the
// stage setup.
void DropStageTexture();
