// Zeroed tracked blocks read as zero at every size, after dirty blocks of the same size were freed, and
// keep sound guards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/core/memory/tracked_allocator.h"

namespace {

TEST(TrackedAllocatorZeroed, BlocksAreZeroAfterDirtyBlocksWereFreed) {
    const size_t kib = 1024;
    for (size_t size : {size_t(1), size_t(300), 64 * kib, 256 * kib, 2048 * kib}) {
        for (int round = 0; round < 3; ++round) {
            auto* dirty = static_cast<unsigned char*>(TrackedAlloc(size, "dirty", 1));
            ASSERT_NE(dirty, nullptr);
            std::memset(dirty, 0xA5, size);
            TrackedFree(dirty);
            auto* block = static_cast<unsigned char*>(TrackedAllocZeroed(size, "zeroed", 2));
            ASSERT_NE(block, nullptr);
            EXPECT_TRUE(std::all_of(block, block + size, [](unsigned char b) { return b == 0; }))
                << size << " bytes, round " << round;
            std::memset(block, 0x5A, size);
            EXPECT_EQ(CheckAllTrackedAllocations(), 0);
            TrackedFree(block);
        }
    }
}

}  // namespace
