#include "platform/host/sdl/window_surface.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned kGlRenderer = 0x1F01;

// Where a picture lands in a window under a logical size: the largest scale that fits, centred.
SDL_Rect LogicalViewport(int window_width, int window_height, int width, int height) {
    const double scale = std::min(double(window_width) / width, double(window_height) / height);
    const int w = int(width * scale), h = int(height * scale);
    return SDL_Rect{(window_width - w) / 2, (window_height - h) / 2, w, h};
}

}  // namespace

bool RendererIsHardware(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (sdl::GetRendererInfo(renderer, &info) != 0 || !(info.flags & SDL_RENDERER_ACCELERATED)) return false;
    if (std::strncmp(info.name, "opengl", 6) != 0) return true;
    // A GL renderer reports itself accelerated on a software rasteriser too: GL names who renders.
    using GetString = const unsigned char* (*)(unsigned);
    const auto get_string = reinterpret_cast<GetString>(sdl::GL_GetProcAddress("glGetString"));
    const unsigned char* name = get_string ? get_string(kGlRenderer) : nullptr;
    if (!name) return true;
    const char* text = reinterpret_cast<const char*>(name);
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (std::strstr(text, software)) return false;
    return true;
}

SDL_Surface* DrawOnWindowSurface(SDL_Window* window, const HostPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0) return nullptr;
    SDL_Surface* surface = sdl::GetWindowSurface(window);
    if (!surface) return nullptr;
    // The picture's own pixels, read in place: 0xXXRRGGBB rows.
    SDL_Surface* source = sdl::CreateRGBSurfaceWithFormatFrom(picture.pixels, picture.width, picture.height,
                                                              32, picture.pitch * 4, SDL_PIXELFORMAT_RGB888);
    if (!source) return nullptr;
    sdl::SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_Rect viewport = LogicalViewport(surface->w, surface->h, picture.width, picture.height);
    const bool whole = viewport.w == surface->w && viewport.h == surface->h;
    if (!whole) sdl::FillRect(surface, nullptr, sdl::MapRGB(surface->format, 0, 0, 0));
    const int drawn = viewport.w == picture.width && viewport.h == picture.height
                          ? sdl::UpperBlit(source, nullptr, surface, &viewport)
                          : sdl::UpperBlitScaled(source, nullptr, surface, &viewport);
    sdl::FreeSurface(source);
    return drawn == 0 ? surface : nullptr;
}
