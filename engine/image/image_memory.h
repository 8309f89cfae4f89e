// Pixel blocks and reader buffers of the image module come from the library's tracked allocator, with
// an empty tag and line 0.
#pragma once

#include <cstddef>

#if __has_include("engine/core/tracked_allocator.h")
#include "engine/core/tracked_allocator.h"

inline void* ImageAlloc(size_t size) {
    return TrackedAlloc(size, "", 0);
}
inline void* ImageAllocZeroed(size_t size) {
    return TrackedAllocZeroed(size, "", 0);
}
inline void ImageFree(void* p) {
    TrackedFree(p);
}
#else
// Until the tracked allocator is part of the build.
#include <cstdlib>

inline void* ImageAlloc(size_t size) {
    return std::malloc(size ? size : 1);
}
inline void* ImageAllocZeroed(size_t size) {
    return std::calloc(1, size ? size : 1);
}
inline void ImageFree(void* p) {
    std::free(p);
}
#endif
