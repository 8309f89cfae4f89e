#include "platform/host/sdl/sdl_library.h"

#include <dlfcn.h>

namespace sdl {

#define KORVALUND_SDL_POINTER(name) decltype(&::SDL_##name) name = nullptr;
KORVALUND_SDL_FUNCTIONS(KORVALUND_SDL_POINTER)
#undef KORVALUND_SDL_POINTER

namespace {

bool LoadOnce() {
    void* library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) return false;
    bool found = true;
#define KORVALUND_SDL_LOOKUP(name)                                                  \
    name = reinterpret_cast<decltype(&::SDL_##name)>(dlsym(library, "SDL_" #name)); \
    found = found && name != nullptr;
    KORVALUND_SDL_FUNCTIONS(KORVALUND_SDL_LOOKUP)
#undef KORVALUND_SDL_LOOKUP
    return found;
}

}  // namespace

bool Load() {
    static const bool loaded = LoadOnce();
    return loaded;
}

}  // namespace sdl
