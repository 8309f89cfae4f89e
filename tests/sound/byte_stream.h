// A seekable stream over a byte vector, as the sound tests and the converter fuzz target feed it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/core/files/file_access.h"

// A seekable stream over a byte vector, handed out as a StreamDescriptor.
class ByteStream {
  public:
    explicit ByteStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    StreamDescriptor Descriptor() {
        StreamDescriptor descriptor{};
        descriptor.functions = {Tell, Seek, Read, Eof, Idle, Close};
        descriptor.source = reinterpret_cast<uintptr_t>(this);
        return descriptor;
    }

  private:
    static ByteStream* Of(uintptr_t source) { return reinterpret_cast<ByteStream*>(source); }
    static int64_t Tell(uintptr_t s) { return static_cast<int64_t>(Of(s)->position_); }
    static int Seek(uintptr_t s, int64_t offset, int origin) {
        ByteStream* stream = Of(s);
        int64_t base = origin == SEEK_ORIGIN_START ? 0
                       : origin == SEEK_ORIGIN_END ? static_cast<int64_t>(stream->bytes_.size())
                                                   : static_cast<int64_t>(stream->position_);
        int64_t target = base + offset;
        if (target < 0) return -1;
        stream->position_ = static_cast<size_t>(std::min<int64_t>(target, stream->bytes_.size()));
        return 0;
    }
    static size_t Read(void* buffer, size_t size, size_t count, uintptr_t s) {
        ByteStream* stream = Of(s);
        if (size == 0) return 0;
        const size_t left = stream->bytes_.size() - stream->position_;
        const size_t n = std::min(count, left / size);
        if (n > 0) std::memcpy(buffer, stream->bytes_.data() + stream->position_, n * size);
        stream->position_ += n * size;
        return n;
    }
    static int Eof(uintptr_t s) { return Of(s)->position_ >= Of(s)->bytes_.size(); }
    static int Idle(uintptr_t) { return 1; }
    static int Close(uintptr_t) { return 0; }

    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};
