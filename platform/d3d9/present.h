// Presentation of a back buffer: the source rectangle stretched (point sampling) onto the destination
// rectangle of the window's picture, which tests read and the host shows.
#pragma once

#include "platform/d3d9/surface_store.h"

namespace d3d9 {

void PresentPicture(const SurfaceStore& back_buffer, IntRect source, IntRect dest, HWND window);

}  // namespace d3d9
