// The Direct3D side of applying the mask: the drawn rectangle of the mask screen texture drawn onto the
// real draw screen, with the mask image texture's alpha choosing the pixels through the alpha test.
#pragma once

#include "engine/core/helpers/vector_math.h"
#include "platform/d3d9/d3d9.h"

struct MaskCombine {
    IDirect3DSurface9* drawSurface;    // where the result goes
    IDirect3DTexture9* screenTexture;  // what was drawn
    IDirect3DTexture9* imageTexture;   // the mask bytes as alpha
    int textureWidth;
    int textureHeight;
    int reverse;  // 0: pixels pass where the mask alpha is 0; 1: where it is not
};

// Draws through fixed-function stages set directly on the device, then writes the state cache back so
// that later draws find the states they expect. Render target 0 is left at drawSurface.
void DrawMaskCombine(const MaskCombine& combine, const IntRect& rect);
