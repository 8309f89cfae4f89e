#include "engine/image/image_readers.h"

bool ReadStreamExact(StreamDescriptor* stream, void* buffer, uint64_t size) {
    if (size == 0) return true;
    if (size > SIZE_MAX) return false;
    // Single-byte elements, so that the count read is the number of bytes.
    return stream->functions.read(buffer, 1, static_cast<size_t>(size), stream->source) == size;
}

bool SeekStreamTo(StreamDescriptor* stream, int64_t offset) {
    if (offset < 0 || stream->functions.seek(stream->source, offset, SEEK_ORIGIN_START) != 0) return false;
    return stream->functions.tell(stream->source) == offset;
}
