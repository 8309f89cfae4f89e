#include "engine/core/helpers/ring_buffer.h"

#include "engine/core/helpers/string_helpers.h"
#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"

int ClearRingBuffer(RingBuffer* ring) {
    *ring = RingBuffer{};
    return 0;
}

int FreeRingBuffer(RingBuffer* ring) {
    if (ring->data != nullptr) TrackedFree(ring->data);
    return ClearRingBuffer(ring);
}

void WrapRingBufferPositions(RingBuffer* ring) {
    if (ring->read == ring->capacity) ring->read = 0;
    if (ring->write == ring->capacity) ring->write = 0;
}

int TakeFromRingBuffer(RingBuffer* ring, void* out, int size, int peek) {
    WrapRingBufferPositions(ring);
    if (size < 0 || ring->stored < static_cast<uint32_t>(size)) return -1;
    uint32_t count = static_cast<uint32_t>(size);
    uint32_t first = ring->capacity - ring->read;
    if (first > count) first = count;
    unsigned char* dst = static_cast<unsigned char*>(out);
    MemCopy(dst, ring->data + ring->read, static_cast<int>(first));
    MemCopy(dst + first, ring->data, static_cast<int>(count - first));
    if (!peek) {
        ring->read = (ring->read + count) % (ring->capacity == 0 ? 1 : ring->capacity);
        ring->stored -= count;
    }
    return 0;
}

int GrowRingBuffer(RingBuffer* ring, int n) {
    WrapRingBufferPositions(ring);
    if (n < 0) return -1;
    if (static_cast<uint64_t>(ring->capacity) >=
        static_cast<uint64_t>(ring->stored) + static_cast<uint64_t>(n))
        return 0;

    uint64_t wanted = static_cast<uint64_t>(ring->stored) * 3 / 2 + static_cast<uint64_t>(n) + 1000;
    void* block = wanted <= UINT32_MAX ? TrackedAlloc(wanted, nullptr, 0) : nullptr;
    if (block == nullptr) {
        // The stored bytes stay where they are: a failed growth loses nothing.
        LogPrintf("リングバッファの再確保に失敗しました(確保しようとしたサイズ %llu byte)",
                  static_cast<unsigned long long>(wanted));
        return -1;
    }

    unsigned char* fresh = static_cast<unsigned char*>(block);
    uint32_t first = ring->capacity - ring->read;
    if (first > ring->stored) first = ring->stored;
    if (ring->stored > 0) {
        MemCopy(fresh, ring->data + ring->read, static_cast<int>(first));
        MemCopy(fresh + first, ring->data, static_cast<int>(ring->stored - first));
    }
    if (ring->data != nullptr) TrackedFree(ring->data);
    ring->data = fresh;
    ring->capacity = static_cast<uint32_t>(wanted);
    ring->read = 0;
    ring->write = ring->stored;
    return 0;
}
