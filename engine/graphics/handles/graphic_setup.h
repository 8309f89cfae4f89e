// Setting a graphic up: its image block (textures in Direct3D mode, one software image otherwise), the
// per-texture draw tiles or the software view of its rectangle, and the set-up of a derived graphic that
// shows a rectangle of another graphic's block.
#pragma once

#include "engine/graphics/handles/graphic_create_params.h"

struct GraphicImageBlock;

// Builds the block for a width x height image and the entry's draw info. relaxed: a load job on a
// graphic that is still loading (device calls then go through the main thread, and a failure leaves the
// handle for its owner). Other failures delete the handle. 0 or -1.
int SetupGraphicFromImage(const GraphicCreateParams& params, int handle, int width, int height, int unused,
                          int alpha, int oneChannel, int formatCode, int mipLevels, int relaxed);
// The block's software image (blend image, or 16 or 32 bits keyed with the block's transparent colour) from
// its description and size; sets the block's format. 0, or -1 (logged).
int FillSoftwareImageBlock(GraphicImageBlock* block);
// The entry's draw tiles from its position and size in the block, or its software view. 0, or -1 (the
// entry then has no draw tiles).
int BuildGraphicDrawInfo(int handle, int relaxed);
// The new graphic shows (x, y, width, height) of the source, sharing its block and reload source. 0 or -1.
int SetupDerivedGraphic(int source, int handle, int x, int y, int width, int height, int relaxed);
