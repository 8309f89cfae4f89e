#include "engine/softrender/soft_memory.h"

#include <climits>

namespace {
bool SizeFits(int64_t size) {
    return size >= 0 && size <= INT_MAX;
}
}  // namespace

#if __has_include("engine/core/tracked_allocator.h")
#include "engine/core/memory/tracked_allocator.h"

void* SoftAlloc(int64_t size) {
    return SizeFits(size) ? TrackedAlloc(static_cast<int>(size), "", 0) : nullptr;
}
void* SoftAllocZeroed(int64_t size) {
    return SizeFits(size) ? TrackedAllocZeroed(static_cast<int>(size), "", 0) : nullptr;
}
void SoftFree(void* block) {
    TrackedFree(block);
}
#else
// Until the tracked allocator is part of the build.
#include <cstdlib>

void* SoftAlloc(int64_t size) {
    return SizeFits(size) ? std::malloc(size == 0 ? 1 : size) : nullptr;
}
void* SoftAllocZeroed(int64_t size) {
    return SizeFits(size) ? std::calloc(size == 0 ? 1 : size, 1) : nullptr;
}
void SoftFree(void* block) {
    std::free(block);
}
#endif
