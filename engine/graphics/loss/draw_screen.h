// The draw screen: what drawing currently lands on, as the capture, the back-buffer lock and the mask
// screen read it. A valid, loaded graphic in render-target slot 0, else the screen itself (the sub back
// buffer when one exists, else the back buffer; the screen's software image in software mode).
#pragma once

#include "platform/d3d9/d3d9.h"

struct GraphicEntry;
struct MEMIMG;

struct DrawScreen {
    GraphicEntry* graphic;  // null: the screen
    int width;
    int height;
    D3DFORMAT format;  // Direct3D mode
};

// handle -1: the handle of render-target slot 0. Fills the size and format. 0.
int FindDrawScreen(int handle, DrawScreen* screen);
// The surface of the draw screen with a reference of its own (the caller releases it): a graphic's
// render-target surface for the texture index, else level 0 of its texture; null when there is none.
IDirect3DSurface9* AcquireDrawScreenSurface(const DrawScreen& screen, int textureIndex);
// The draw screen's software image; null when there is none.
MEMIMG* DrawScreenMemImg(const DrawScreen& screen);
// 1 when 0 <= x1 < x2 <= width and 0 <= y1 < y2 <= height of the draw screen.
int IsRectOnDrawScreen(const DrawScreen& screen, int x1, int y1, int x2, int y2);
