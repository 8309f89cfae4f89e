#include "engine/softrender/soft_memory.h"

#include <climits>
#include <cstdlib>

namespace {
bool SizeFits(int64_t size) {
    return size >= 0 && size <= INT_MAX;
}
}  // namespace

void* SoftAlloc(int64_t size) {
    return SizeFits(size) ? std::malloc(size == 0 ? 1 : size) : nullptr;
}
void* SoftAllocZeroed(int64_t size) {
    return SizeFits(size) ? std::calloc(size == 0 ? 1 : size, 1) : nullptr;
}
void SoftFree(void* block) {
    std::free(block);
}
