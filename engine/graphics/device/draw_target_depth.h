// The depth-stencil surface that goes with the current draw screen.
#pragma once

#include "platform/d3d9/d3d9.h"

// Picks and sets the depth surface: the library's depth buffer while the mask screen is drawn on; for a
// graphic as draw screen the depth target's surface when it covers the draw screen, else the graphic's
// own, else the library's when the draw screen fits in it, else none; for the screen the depth target's
// surface when it covers the screen, else the library's. 0.
int ApplyDrawTargetDepthSurface();

// The choice alone (no device call); null for none.
IDirect3DSurface9* ChooseDrawTargetDepthSurface();
