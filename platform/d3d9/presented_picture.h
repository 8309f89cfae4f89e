// The picture of the last Present, kept readable for tests and headless hosts.
#pragma once

#include "platform/d3d9/d3d9_control.h"
#include "platform/d3d9/surface_store.h"

namespace d3d9 {

// Paints 32-bit rows (dest's size, `pitch` bytes apart; dest inside the picture) at dest into the picture of
// a window whose client area is width x height. The picture keeps what earlier presents into the same window
// and size showed outside dest; another window or size starts it black.
void PaintPresentedPicture(HWND window, int width, int height, const uint8_t* pixels, int pitch,
                           IntRect dest);
D3D9PresentedPicture CopyPresentedPicture();
void ClearPresentedPicture();

}  // namespace d3d9
