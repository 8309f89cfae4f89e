// Presentation of a back buffer: the source rectangle stretched (point sampling) onto the destination
// rectangle of the window's client area, shown through the host and kept readable for tests.
#pragma once

#include "platform/d3d9/surface_store.h"

namespace d3d9 {

// dest null: the whole client area of the window (the back buffer's bounds when it is no window).
void PresentPicture(const SurfaceStore& back_buffer, IntRect source, const IntRect* dest, HWND window);

}  // namespace d3d9
