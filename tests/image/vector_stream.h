// A read-only stream over a byte vector for driving the image readers directly.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/core/files/file_access.h"

// A read-only stream over a byte vector for driving readers directly, with the memory-stream semantics
// (whole elements; a last partial element is copied and counts as one).
struct VectorStream {
    std::vector<uint8_t> bytes;
    size_t position = 0;
    int closeCount = 0;

    static VectorStream* Of(uintptr_t source) { return reinterpret_cast<VectorStream*>(source); }
    static int64_t Tell(uintptr_t s) { return static_cast<int64_t>(Of(s)->position); }
    static int Seek(uintptr_t s, int64_t offset, int origin) {
        VectorStream* v = Of(s);
        int64_t base = origin == 0   ? 0
                       : origin == 1 ? static_cast<int64_t>(v->position)
                                     : static_cast<int64_t>(v->bytes.size());
        int64_t p = base + offset;
        v->position = static_cast<size_t>(p < 0                                       ? 0
                                          : p > static_cast<int64_t>(v->bytes.size()) ? v->bytes.size()
                                                                                      : p);
        return 0;
    }
    static size_t Read(void* buffer, size_t size, size_t count, uintptr_t s) {
        VectorStream* v = Of(s);
        size_t left = v->bytes.size() - v->position;
        if (left == 0 || size == 0) return 0;
        size_t whole = std::min(count, left / size);
        size_t n = whole ? whole * size : left;
        std::memcpy(buffer, v->bytes.data() + v->position, n);
        v->position += n;
        return whole ? whole : 1;
    }
    static int Eof(uintptr_t s) { return Of(s)->position == Of(s)->bytes.size(); }
    static int Idle(uintptr_t) { return 1; }
    static int Close(uintptr_t s) {
        ++Of(s)->closeCount;
        return 0;
    }

    StreamDescriptor Descriptor() {
        return StreamDescriptor{{Tell, Seek, Read, Eof, Idle, Close}, reinterpret_cast<uintptr_t>(this)};
    }
};
