// A sound converter started over its own copy of some bytes, released at the end of the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "byte_stream.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/sound/sound_converter.h"

// A converter over its own stream, released at the end of the test.
struct Converted {
    explicit Converted(std::vector<uint8_t> bytes, int disableBits = 0)
        : stream(std::make_unique<ByteStream>(std::move(bytes))) {
        StreamDescriptor descriptor = stream->Descriptor();
        result = StartSoundConverter(&converter, &descriptor, disableBits, 2, 0);
    }
    ~Converted() {
        if (result == 0) ReleaseSoundConverter(&converter);
    }
    std::vector<uint8_t> Whole() {
        void* data = nullptr;
        uint32_t size = 0;
        WAVEFORMATEX format{};
        EXPECT_EQ(ConvertSoundWhole(&converter, &data, &size, &format), 0);
        std::vector<uint8_t> out(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        TrackedFree(data);
        return out;
    }
    std::vector<uint8_t> Read(int bytes) {
        std::vector<uint8_t> out(bytes);
        const int got = ConvertSoundBlock(&converter, out.data(), bytes);
        out.resize(got > 0 ? got : 0);
        return out;
    }

    std::unique_ptr<ByteStream> stream;
    SoundConverter converter{};
    int result = -1;
};
