#include "engine/core/helpers/ring_buffer.h"

#include "platform/kernel/module_registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Appends bytes the way a ring's writer does: grow, then copy at the write position with wrapping.
void Write(RingBuffer* ring, const std::string& bytes) {
    ASSERT_EQ(GrowRingBuffer(ring, static_cast<int>(bytes.size())), 0);
    for (char c : bytes) {
        WrapRingBufferPositions(ring);
        ring->data[ring->write++] = static_cast<unsigned char>(c);
        ++ring->stored;
    }
}

std::string Take(RingBuffer* ring, int size, int peek = 0) {
    std::string out(size, '\0');
    EXPECT_EQ(TakeFromRingBuffer(ring, out.data(), size, peek), 0);
    return out;
}

TEST(RingBuffer, GrowingAnEmptyRingGivesRoomPlusSlack) {
    RingBuffer ring{};
    ASSERT_EQ(GrowRingBuffer(&ring, 10), 0);
    EXPECT_EQ(ring.capacity, 1010u);
    EXPECT_NE(ring.data, nullptr);
    EXPECT_EQ(GrowRingBuffer(&ring, 1010), 0);  // fits: no new block
    EXPECT_EQ(ring.capacity, 1010u);
    FreeRingBuffer(&ring);
    EXPECT_EQ(ring.data, nullptr);
    EXPECT_EQ(ring.capacity, 0u);
}

TEST(RingBuffer, GrowthUnwrapsStoredBytesToTheStart) {
    RingBuffer ring{};
    ASSERT_EQ(GrowRingBuffer(&ring, 1), 0);  // 1001 bytes
    // Park the read position near the end so the next bytes wrap.
    ring.read = ring.write = 990;
    std::string payload;
    for (int i = 0; i < 20; ++i) payload.push_back(static_cast<char>('A' + i));
    Write(&ring, payload);
    EXPECT_EQ(ring.write, 9u);  // wrapped

    uint32_t expectedCapacity = 20 * 3 / 2 + 2000 + 1000;
    ASSERT_EQ(GrowRingBuffer(&ring, 2000), 0);
    EXPECT_EQ(ring.capacity, expectedCapacity);
    EXPECT_EQ(ring.read, 0u);
    EXPECT_EQ(ring.write, 20u);
    EXPECT_EQ(std::memcmp(ring.data, payload.data(), 20), 0);
    FreeRingBuffer(&ring);
}

TEST(RingBuffer, TakeWrapsPeeksAndRefusesShortReads) {
    RingBuffer ring{};
    ASSERT_EQ(GrowRingBuffer(&ring, 1), 0);
    ring.read = ring.write = 1000;
    Write(&ring, "hello");
    std::string out(6, '\0');
    EXPECT_EQ(TakeFromRingBuffer(&ring, out.data(), 6, 0), -1);
    EXPECT_EQ(Take(&ring, 3, 1), "hel");
    EXPECT_EQ(ring.stored, 5u);
    EXPECT_EQ(ring.read, 1000u);
    EXPECT_EQ(Take(&ring, 3), "hel");
    EXPECT_EQ(Take(&ring, 2), "lo");
    EXPECT_EQ(ring.stored, 0u);
    EXPECT_EQ(ring.read, ring.write);
    FreeRingBuffer(&ring);
}

TEST(RingBuffer, FailedGrowthKeepsTheStoredBytes) {
    RingBuffer ring{};
    ASSERT_EQ(GrowRingBuffer(&ring, 1), 0);
    ring.read = ring.write = 995;
    Write(&ring, "0123456789");
    RingBuffer before = ring;

    SetPlatformCallFailing("HeapAlloc", true);
    EXPECT_EQ(GrowRingBuffer(&ring, 5000), -1);
    SetPlatformCallFailing("HeapAlloc", false);

    EXPECT_EQ(ring.data, before.data);
    EXPECT_EQ(ring.capacity, before.capacity);
    EXPECT_EQ(ring.read, before.read);
    EXPECT_EQ(ring.stored, 10u);
    EXPECT_EQ(Take(&ring, 10), "0123456789");
    FreeRingBuffer(&ring);
}

TEST(RingBuffer, ClearForgetsWithoutFreeing) {
    RingBuffer ring{};
    ASSERT_EQ(GrowRingBuffer(&ring, 4), 0);
    unsigned char* block = ring.data;
    ClearRingBuffer(&ring);
    EXPECT_EQ(ring.data, nullptr);
    EXPECT_EQ(ring.capacity, 0u);
    RingBuffer owner{};
    owner.data = block;
    FreeRingBuffer(&owner);  // the caller still owned the block
    EXPECT_EQ(GrowRingBuffer(&ring, -1), -1);
}

}  // namespace
