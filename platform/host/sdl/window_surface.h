// Showing a window's picture without a GPU: when SDL's renderer would only be a software rasteriser
// behind OpenGL (llvmpipe and the like), the picture goes straight into the window's own surface (shared
// memory on X11), scaled there once, instead of through a texture, a GL draw and a swap.
#pragma once

#include "platform/host/host.h"
#include "platform/host/sdl/sdl_library.h"

// False for a renderer that draws on the CPU: SDL's software renderer, or OpenGL run by a software
// rasteriser.
bool RendererIsHardware(SDL_Renderer* renderer);

// Draws the picture into the window's surface as the renderer showed it under a logical size (scaled to
// fit, centred, black bars), without showing it yet; the surface, or null when there is none.
SDL_Surface* DrawOnWindowSurface(SDL_Window* window, const HostPicture& picture);
