#include "engine/softrender/soft_memory.h"

#include <climits>

#include "engine/core/memory/tracked_allocator.h"

namespace {
bool SizeFits(int64_t size) {
    return size >= 0 && size <= INT_MAX;
}
}  // namespace

void* SoftAlloc(int64_t size) {
    return SizeFits(size) ? TrackedAlloc(static_cast<int>(size), "", 0) : nullptr;
}
void* SoftAllocZeroed(int64_t size) {
    return SizeFits(size) ? TrackedAllocZeroed(static_cast<int>(size), "", 0) : nullptr;
}
void SoftFree(void* block) {
    TrackedFree(block);
}
