// What the font cache needs of the window and of graphics: whether the main window is gone, the screen's
// colour depth, whether drawing goes through Direct3D (the texture cache), and the cache textures. The
// defaults ask graphics where it is linked in (and answer "no window trouble, 16 bits, no Direct3D,
// no textures" where it is not); graphics, and tests, install their own calls.
#pragma once

#include "engine/image/soft_image.h"

struct FontEnvironment {
    int (*mainWindowDestroyed)();
    int (*screenColorDepth)();
    int (*direct3DDrawing)();
    int (*graphicsStarted)();
    int (*drawingSuspended)();
    // A graphic for a cache texture: 16 or 32 bits; alpha channel (grey fonts) or alpha test. -1 on failure.
    int (*createCacheTexture)(int width, int height, int bits, int alphaChannel, int async);
    // A graphic showing the rectangle of another (the edge layer's half). -1 on failure.
    int (*createPartGraphic)(int graphic, int x, int y, int width, int height);
    // The flag is set to 1 when the graphic is deleted.
    int (*setGraphicDeletedFlag)(int graphic, int* flag);
    int (*fillGraphic)(int graphic, int red, int green, int blue, int alpha);
    int (*transferImageToGraphic)(const SoftImage* image, int x, int y, int width, int height, int graphic,
                                  int destX, int destY);
    int (*deleteGraphic)(int graphic);
};

const FontEnvironment& GetFontEnvironment();
// Null restores the defaults.
void SetFontEnvironment(const FontEnvironment* environment);
