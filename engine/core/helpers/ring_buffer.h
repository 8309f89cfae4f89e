// A growable byte ring. Growing reallocates and moves the stored bytes to the start of the new block.
// A writer copies its bytes at the write position itself (wrapping at the capacity) and adds them to
// the write position and the stored count; growing first guarantees the room.
#pragma once

#include <cstdint>

struct RingBuffer {
    unsigned char* data;  // tracked block, null while there is no storage
    uint32_t read;
    uint32_t write;
    uint32_t stored;
    uint32_t capacity;
};

int ClearRingBuffer(RingBuffer* ring);
int FreeRingBuffer(RingBuffer* ring);
// Copies size bytes out (-1 when fewer are stored); unless peeking, they are removed.
int TakeFromRingBuffer(RingBuffer* ring, void* out, int size, int peek);
// Makes room for n more bytes. On failure the ring keeps its bytes and -1 is returned.
int GrowRingBuffer(RingBuffer* ring, int n);
// A read or write position equal to the capacity means 0.
void WrapRingBufferPositions(RingBuffer* ring);
