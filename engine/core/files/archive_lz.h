// The archive's LZ code. A packed block is: u32 unpacked size, u32 block length (head included),
// u8 escape byte, then codes. A byte other than the escape byte is itself; the escape byte twice is
// one escape byte; the escape byte and a code byte c (less one when above the escape byte) start a
// match: length = (c >> 3, with a following byte as bits 5..12 when c & 4) + 4, distance field by c & 3:
// one, two or three following bytes, or (3) the previous match's field again; distance = field + 1.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kArchiveMinMatch = 4;
constexpr uint32_t kArchiveMaxMatch = 4 + 8191;
constexpr uint32_t kArchiveMaxDistance = 1u << 24;

// Unpacks the block at source (sourceSize bytes available) into destination (destinationSize bytes).
// A null destination only reads the head. Returns the unpacked size, or -1 when the block is corrupt:
// a head or code running past the block or the source, a block length below its head, an unpacked
// size above destinationSize, a match reaching before the output or past the unpacked size, or fewer
// bytes produced than the head promises. Nothing is read or written out of bounds.
int64_t UnpackArchiveData(const void* source, size_t sourceSize, void* destination, size_t destinationSize);
