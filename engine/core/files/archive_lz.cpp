#include "engine/core/files/archive_lz.h"

#include <cstring>

#include "engine/core/files/archive_format.h"

namespace {

struct LzInput {
    const uint8_t* bytes;
    size_t at;
    size_t end;
    bool Take(uint32_t count, uint32_t* value) {
        if (end - at < count) return false;
        *value = 0;
        for (uint32_t i = 0; i < count; ++i) *value |= uint32_t(bytes[at + i]) << (8 * i);
        at += count;
        return true;
    }
};

// Copies length bytes from distance back, front to back, so that a length above the distance repeats
// the pattern; done as non-overlapping copies whose size doubles.
void CopyMatch(uint8_t* out, uint32_t distance, uint32_t length) {
    const uint8_t* from = out - distance;
    size_t span = distance;
    while (length > span) {
        std::memcpy(out, from, span);
        out += span;
        length -= uint32_t(span);
        span *= 2;
    }
    std::memcpy(out, from, length);
}

}  // namespace

int64_t UnpackArchiveData(const void* source, size_t sourceSize, void* destination, size_t destinationSize) {
    const uint8_t* src = static_cast<const uint8_t*>(source);
    if (src == nullptr || sourceSize < kArchivePackedHeadSize) return -1;
    uint32_t unpackedSize = LoadU32(src);
    uint32_t blockLength = LoadU32(src + 4);
    uint8_t escape = src[8];
    if (blockLength < kArchivePackedHeadSize || blockLength > sourceSize) return -1;
    if (destination == nullptr) return unpackedSize;
    if (unpackedSize > destinationSize) return -1;

    uint8_t* dst = static_cast<uint8_t*>(destination);
    LzInput in{src, kArchivePackedHeadSize, blockLength};
    uint32_t produced = 0;
    uint32_t previousField = 0;
    while (in.at < in.end) {
        uint32_t b = in.bytes[in.at++];
        if (b != escape) {
            if (produced == unpackedSize) return -1;
            dst[produced++] = uint8_t(b);
            continue;
        }
        uint32_t c;
        if (!in.Take(1, &c)) return -1;
        if (c == escape) {
            if (produced == unpackedSize) return -1;
            dst[produced++] = uint8_t(c);
            continue;
        }
        if (c > escape) --c;
        uint32_t length = c >> 3;
        if (c & 4) {
            uint32_t high;
            if (!in.Take(1, &high)) return -1;
            length |= high << 5;
        }
        length += kArchiveMinMatch;
        uint32_t field = previousField;
        if ((c & 3) != 3 && !in.Take((c & 3) + 1, &field)) return -1;
        previousField = field;
        uint32_t distance = field + 1;
        if (distance > produced || length > unpackedSize - produced) return -1;
        CopyMatch(dst + produced, distance, length);
        produced += length;
    }
    return produced == unpackedSize ? int64_t(unpackedSize) : -1;
}
