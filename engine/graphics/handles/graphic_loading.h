// Making graphics: sized graphics and draw targets, graphics from image files, from file images in
// memory and from in-memory images, each at once or as an asynchronous load job, and the entries that
// put an image into an existing graphic at a source position.
#pragma once

#include "engine/graphics/handles/graphic_create_params.h"
#include "engine/image/soft_image.h"

// A width x height graphic; asynchronous (and not from a job): a job makes its block. Handle or -1.
int CreateGraphicFromParams(const GraphicCreateParams& params, int width, int height, int unused, int async,
                            int fromJob);
int MakeDrawTarget(int width, int height, int alpha);
int LoadGraphFile(const char* fileName, int flag);
int LoadGraphFromMemory(const void* image, int size);
int CreateGraphicFromSoftImages(const SoftImage* base, const SoftImage* alpha, int unused);

// The block of a graphic sized for the images (an alpha image must have the base image's size). 0 or -1.
int SetupGraphicForImages(const GraphicCreateParams& params, int graphic, const SoftImage* base,
                          const SoftImage* alpha, int unused, int relaxed);
// The graphic's rectangle at (srcX, srcY) of the images goes to (0, 0) of the graphic, which keeps the
// position as its place in its source. 0 or -1.
int TransferImageToGraphicCore(const SoftImage* base, const SoftImage* alpha, int srcX, int srcY, int graphic,
                               int colourKey, int relaxed);
// As the core with the colour key, then keeps copies of the images as the graphic's reload source
// (unless keeping is switched off). The transfer's result.
int CreateGraphicKeepImage(const SoftImage* base, const SoftImage* alpha, int srcX, int srcY, int graphic);
// The glyph cache's upload: source (null: the whole image) to (destX, destY). 0 or -1.
int TransferImageToGraphic(const SoftImage* base, const SoftImage* alpha, const RECT* source, int destX,
                           int destY, int graphic);
// Keeping copies of in-memory images for the restore (1, the start) or not (0).
int SetKeepGraphicImages(int flag);
// The colour-key option of the library's own transfers.
constexpr int kTransferColourKey = 1;
