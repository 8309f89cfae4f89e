// Reading a graphic's pixels back into memory: a 32-bit image of a rectangle of the graphic, and the
// images the processor path of the image filters works on.
#pragma once

#include "platform/kernel/win_types.h"

struct GraphicFilterContext;
struct SoftImage;

// A new 32-bit ARGB image of rect (null: the whole graphic), read tile by tile from the graphic's
// textures or from its software image. -1 for an invalid graphic, a rectangle not inside it, or a read
// that fails (nothing left allocated then).
int ReadGraphicToImage(int graphic, SoftImage* image, const RECT* rect);
// The source rectangle, the blend graphic's rectangle when the pass blends, and the destination's
// rectangle or, with blankDestination, a blank width x height image. 0, or -1 with every image released.
int ReadFilterImages(GraphicFilterContext* context, int blankDestination, int width, int height);
