// Pixel blocks and reader buffers of the image module come from the library's tracked allocator, with
// an empty tag and line 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/core/memory/tracked_allocator.h"

// The largest block the image module asks for.
constexpr uint64_t kMaxImageBlockBytes = 0x7FFFFFFF;

inline void* ImageAlloc(uint64_t size) {
    return size > kMaxImageBlockBytes ? nullptr : TrackedAlloc(static_cast<size_t>(size), "", 0);
}
inline void* ImageAllocZeroed(uint64_t size) {
    return size > kMaxImageBlockBytes ? nullptr : TrackedAllocZeroed(static_cast<size_t>(size), "", 0);
}
inline void ImageFree(void* p) {
    TrackedFree(p);
}
