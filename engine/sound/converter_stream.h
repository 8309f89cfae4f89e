// Reads, seeks and chunk headers over a converter's source stream.
#pragma once

#include <cstdint>

#include "engine/sound/sound_converter.h"

inline uint32_t ReadFromStream(const StreamDescriptor& stream, void* buffer, uint32_t bytes) {
    return static_cast<uint32_t>(stream.functions.read(buffer, 1, bytes, stream.source));
}
inline bool ReadExactly(const StreamDescriptor& stream, void* buffer, uint32_t bytes) {
    return ReadFromStream(stream, buffer, bytes) == bytes;
}
inline bool SeekStream(const StreamDescriptor& stream, int64_t position) {
    return stream.functions.seek(stream.source, position, SEEK_ORIGIN_START) == 0;
}
inline int64_t TellStream(const StreamDescriptor& stream) {
    return stream.functions.tell(stream.source);
}

// The stream's length in bytes; the position is kept. -1 when the stream cannot say.
int64_t StreamLength(const StreamDescriptor& stream);

inline uint32_t LittleEndian32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
