// Pixel memory starts zeroed at every size, also where it reuses memory that earlier blocks wrote;
// copies are deep, moves hand the block over, and a store made again is zero again.
#include "platform/d3d9/surface_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

bool AllOf(const d3d9::PixelBytes& bytes, uint8_t value) {
    return std::all_of(bytes.begin(), bytes.end(), [value](uint8_t b) { return b == value; });
}

TEST(PixelBytes, EverySizeStartsZeroAfterDirtyBlocksAreFreed) {
    const size_t kib = 1024;
    for (size_t size :
         {size_t(0), size_t(1), size_t(100), 128 * kib - 1, 128 * kib, 128 * kib + 1, 4096 * kib}) {
        for (int round = 0; round < 3; ++round) {
            d3d9::PixelBytes bytes(size);
            ASSERT_EQ(bytes.size(), size);
            EXPECT_TRUE(AllOf(bytes, 0)) << size << " bytes, round " << round;
            if (size > 0) std::memset(bytes.data(), 0xA5, size);
        }
    }
}

TEST(PixelBytes, CopiesAreDeepMovesHandOverAndAssignFills) {
    for (size_t size : {size_t(64), size_t(300) << 10}) {
        d3d9::PixelBytes first(size);
        std::memset(first.data(), 0x5A, size);
        d3d9::PixelBytes copy = first;
        first[0] = 1;
        EXPECT_EQ(copy[0], 0x5A);
        EXPECT_TRUE(std::equal(copy.begin() + 1, copy.end(), first.begin() + 1));
        const uint8_t* block = copy.data();
        d3d9::PixelBytes moved = std::move(copy);
        EXPECT_EQ(moved.data(), block);
        EXPECT_EQ(moved.size(), size);
        first = moved;
        EXPECT_EQ(first[0], 0x5A);
        moved.assign(size / 2, 7);
        EXPECT_EQ(moved.size(), size / 2);
        EXPECT_TRUE(AllOf(moved, 7));
        moved.assign(size, 0);
        EXPECT_TRUE(AllOf(moved, 0));
    }
}

TEST(SurfaceStore, AllocatedAgainIsZeroAndCopiesKeepTheirPixels) {
    d3d9::SurfaceStore store;
    store.Allocate(D3DFMT_A8R8G8B8, 300, 200);
    ASSERT_EQ(store.bits.size(), size_t(300 * 4 * 200));
    std::memset(store.bits.data(), 0x5A, store.bits.size());
    const d3d9::SurfaceStore copy = store;
    store.Allocate(D3DFMT_R5G6B5, 300, 200);
    EXPECT_EQ(store.bits.size(), size_t(600 * 200));
    EXPECT_TRUE(AllOf(store.bits, 0));
    EXPECT_TRUE(AllOf(copy.bits, 0x5A));
}

}  // namespace
