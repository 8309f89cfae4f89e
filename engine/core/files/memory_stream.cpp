#include <cstring>

#include "engine/core/files/file_access.h"
#include "engine/core/memory/tracked_allocator.h"

namespace {
MemoryStream* AsStream(uintptr_t stream) {
    return reinterpret_cast<MemoryStream*>(stream);
}
}  // namespace

uintptr_t OpenMemoryStream(const void* data, uint32_t size) {
    MemoryStream* stream = static_cast<MemoryStream*>(TrackedAlloc(sizeof(MemoryStream), __FILE__, __LINE__));
    if (stream == nullptr) return 0;
    stream->data = static_cast<const uint8_t*>(data);
    stream->size = size;
    stream->position = 0;
    stream->endFlag = 0;
    return reinterpret_cast<uintptr_t>(stream);
}

int CloseMemoryStream(uintptr_t stream) {
    TrackedFree(AsStream(stream));
    return 0;
}

int64_t TellMemoryStream(uintptr_t stream) {
    return AsStream(stream)->position;
}

int SeekMemoryStream(uintptr_t stream, int64_t offset, int origin) {
    MemoryStream* s = AsStream(stream);
    int64_t target = origin == SEEK_ORIGIN_START     ? offset
                     : origin == SEEK_ORIGIN_CURRENT ? s->position + offset
                     : origin == SEEK_ORIGIN_END     ? s->size + offset
                                                     : 0;
    if (target < 0) target = 0;
    if (target > int64_t(s->size)) target = s->size;
    s->position = uint32_t(target);
    s->endFlag = 0;
    return 0;
}

size_t ReadMemoryStream(void* buffer, size_t size, size_t count, uintptr_t stream) {
    MemoryStream* s = AsStream(stream);
    if (s->position == s->size) {
        s->endFlag = 1;
        return 0;
    }
    size_t left = s->size - s->position;
    if (size == 0) return 0;
    if (count > left / size) count = left / size;
    size_t bytes = count != 0 ? size * count : left;
    std::memcpy(buffer, s->data + s->position, bytes);
    s->position += uint32_t(bytes);
    s->endFlag = 0;
    return count != 0 ? count : 1;
}

int EofMemoryStream(uintptr_t stream) {
    return AsStream(stream)->endFlag ? 1 : 0;
}

int IsMemoryStreamIdle(uintptr_t) {
    return 1;
}
