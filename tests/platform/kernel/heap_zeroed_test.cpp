// Zeroed heap blocks read as zero at every size, also where the heap hands back memory that an earlier
// block of the same size wrote before it was freed; growing keeps the contents and zeroes the rest,
// shrinking keeps the start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/kernel/kernel32.h"

namespace {

bool AllZero(const unsigned char* bytes, size_t size) {
    return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

TEST(KernelHeap, ZeroedBlocksAreZeroAfterDirtyBlocksWereFreed) {
    HANDLE heap = GetProcessHeap();
    const size_t kib = 1024;
    for (size_t size : {size_t(1), size_t(100), 4 * kib, 128 * kib - 16, 128 * kib, 1024 * kib, 4096 * kib}) {
        for (int round = 0; round < 3; ++round) {
            auto* dirty = static_cast<unsigned char*>(HeapAlloc(heap, 0, size));
            ASSERT_NE(dirty, nullptr);
            std::memset(dirty, 0xA5, size);
            HeapFree(heap, 0, dirty);
            auto* block = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, size));
            ASSERT_NE(block, nullptr);
            EXPECT_TRUE(AllZero(block, size)) << size << " bytes, round " << round;
            EXPECT_EQ(HeapSize(heap, 0, block), size);
            std::memset(block, 0x5A, size);
            block = static_cast<unsigned char*>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, block, 2 * size));
            ASSERT_NE(block, nullptr);
            EXPECT_EQ(block[size - 1], 0x5A);
            EXPECT_TRUE(AllZero(block + size, size)) << size << " bytes grown, round " << round;
            block = static_cast<unsigned char*>(HeapReAlloc(heap, 0, block, 1));  // shrunk: keeps the start
            ASSERT_NE(block, nullptr);
            EXPECT_EQ(block[0], 0x5A);
            EXPECT_EQ(HeapSize(heap, 0, block), 1u);
            HeapFree(heap, 0, block);
        }
    }
}

}  // namespace
