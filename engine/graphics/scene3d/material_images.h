// The images behind a model material's texture: the colour file (or a white stand-in), an optional
// alpha file, an optional normal map made from the colour image's red channel, sides raised to powers
// of two within half the largest texture, an optional upside-down flip, and both images of one size.
#pragma once

#include "engine/image/soft_image.h"

struct MaterialImageRequest {
    const char* colourFile;  // null or empty: none
    const char* alphaFile;   // null or empty: none
    int normalMap;
    float normalScale;
    int flip;
    int maxTextureWidth;
    int maxTextureHeight;
};

// colour always receives an image, alpha only when hasAlpha becomes 1. 0, or -1 with nothing kept.
int BuildMaterialImage(const MaterialImageRequest& request, SoftImage* colour, SoftImage* alpha,
                       int* hasAlpha);

// A 32-bit XRGB image of the height map's normals (heights from red, neighbours wrapping around).
int MakeNormalMapImage(const SoftImage* heights, float scale, SoftImage* out);
// A side that is not a power of two raised to the next one, but not above limit / 2.
int MaterialTextureSide(int side, int limit);
// The image stretched to MaterialTextureSide of each side (nothing when they do not change), then
// flipped when asked. 0 or -1.
int FitMaterialImage(SoftImage* image, int maxWidth, int maxHeight, int flip);
// Both images to one size: the colour image to the alpha image's size when it is larger in neither
// direction, else the alpha image to the colour image's. 0 or -1.
int MatchMaterialImageSizes(SoftImage* colour, SoftImage* alpha);
