// What the filter operation hands to the routine of a kind for one pass: the graphics, the clipped
// rectangle and positions, and on the processor path the memory images (32-bit B, G, R, A).
#pragma once

#include "engine/image/soft_image.h"

enum FilterKind {
    kFilterMono = 0,
    kFilterGaussBlur = 1,
    kFilterDownScale = 2,
    kFilterBrightClip = 3,
    kFilterHsb = 4,
    kFilterInvert = 5,
    kFilterLevel = 6,
    kFilterTwoColor = 7,
    kFilterGradientMap = 8,
    kFilterPremultipliedAlpha = 9,
};

struct GraphicFilterContext {
    int sourceHandle;
    int destinationHandle;
    int blendHandle;
    float blendRatio;  // 0.0-1.0
    int x1, y1, x2, y2;
    int blendX, blendY;
    int thirteenth;  // carried unchanged
    int destinationX, destinationY;
    int blendFlag;
    int kind;
    int pass;
    int resultWidth, resultHeight;
    SoftImage sourceImage;
    SoftImage blendImage;
    SoftImage destinationImage;
};
