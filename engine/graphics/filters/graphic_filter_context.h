// What the filter operation hands to the routine of a kind for one pass: the graphics, the clipped
// rectangle and positions, and on the processor path the memory images (32-bit B, G, R, A).
#pragma once

#include <cstdint>

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

// Where a shader pass reads a picture: a texture and the texel at which the pass's rectangle starts.
struct FilterPassInput {
    uintptr_t texture;  // IDirect3DTexture9*; 0: none
    int graphic;        // the graphic whose block holds the texture (-1 for none)
    int x, y;
    int textureWidth, textureHeight;
};

// One shader pass: its inputs, the rectangle it reads from the source (width x height texels from the
// source input's x, y), and where it draws the result (the output graphic's block, at outputX, outputY).
struct FilterPassPlan {
    FilterPassInput source;  // stage 0
    FilterPassInput second;  // stage 1
    int width, height;
    int outputGraphic;
    int outputX, outputY;
    int outputIsWorkTarget;  // the result is copied into the destination after the last pass
};

inline constexpr int kFilterWorkTargetsPerRun = 4;

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
    // The shader path.
    int passCount;
    int lookupGraphic;  // a graphic the pass reads besides its inputs (the gradient), else -1
    FilterPassPlan plan;
    FilterPassInput runSource;                  // the first pass's source, kept for the passes after it
    int busyTargets[kFilterWorkTargetsPerRun];  // work targets this run holds; 0: free slot
};
