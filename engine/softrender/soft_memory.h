// Memory of the software renderer: blocks from the tracked allocator with an empty tag and line 0.
// Sizes are taken in 64 bits; a negative size or one beyond the allocator's 32-bit range fails.
#pragma once

#include <cstdint>

void* SoftAlloc(int64_t size);
void* SoftAllocZeroed(int64_t size);
void SoftFree(void* block);
