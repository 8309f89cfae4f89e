#include "engine/image/image_readers.h"

int64_t GetStreamRemaining(StreamDescriptor* stream) {
    const StreamFunctions& f = stream->functions;
    int64_t position = f.tell(stream->source);
    if (position < 0 || f.seek(stream->source, 0, SEEK_ORIGIN_END) != 0) return -1;
    int64_t end = f.tell(stream->source);
    f.seek(stream->source, position, SEEK_ORIGIN_START);
    return end < position ? -1 : end - position;
}
