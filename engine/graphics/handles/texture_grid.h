// The division of an image into textures the device accepts: piece sizes along one edge, and the grid of
// tiles built from the pieces of both edges.
#pragma once

#include <vector>

#include "engine/graphics/handles/graphic_records.h"

// Piece sizes for one edge of `size` pixels with textures of at most `maximum` texels. exactAllowed:
// the device takes a texture of exactly the size (a render target on a device with non-power-of-two
// textures). The pieces are appended to `pieces`; their count is returned.
int ChooseTextureEdgeSize(int size, int maximum, bool exactAllowed, std::vector<int>* pieces);

// Tiles row by row over the pieces of both edges. squareOnly: each tile that is not square is cut into
// squares of its shorter edge; the first keeps its place, the others follow all tiles, and none starts
// at or past the image's edge.
std::vector<GraphicTextureTile> BuildTextureGrid(int width, int height, const std::vector<int>& columns,
                                                 const std::vector<int>& rows, bool squareOnly);
