// Test data for the sound tests: a stream over bytes in memory, RIFF WAVE images built chunk by chunk,
// and the committed Ogg Vorbis fixtures.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "byte_stream.h"
#include "platform/dsound/wave_format.h"

inline void Append32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void Append16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline WAVEFORMATEX WaveFormat(WORD tag, WORD channels, DWORD rate, WORD bits) {
    WAVEFORMATEX format{};
    format.wFormatTag = tag;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    return format;
}

// A RIFF WAVE image: chunks are appended in order, with a pad byte after odd bodies.
class WaveBuilder {
  public:
    WaveBuilder& Chunk(const char* id, const std::vector<uint8_t>& body, bool pad = true) {
        chunks_.insert(chunks_.end(), id, id + 4);
        Append32(chunks_, static_cast<uint32_t>(body.size()));
        chunks_.insert(chunks_.end(), body.begin(), body.end());
        if (pad && (body.size() & 1)) chunks_.push_back(0);
        return *this;
    }
    // The fmt chunk with a 16-byte body (as PCM files write it) or the full 18 bytes.
    WaveBuilder& Fmt(const WAVEFORMATEX& format, int bodySize = 16) {
        std::vector<uint8_t> body(reinterpret_cast<const uint8_t*>(&format),
                                  reinterpret_cast<const uint8_t*>(&format) + sizeof format);
        body.resize(bodySize);
        return Chunk("fmt ", body);
    }
    WaveBuilder& Data(const std::vector<uint8_t>& pcm) { return Chunk("data", pcm); }
    // A data header claiming `claimed` bytes followed by the bytes actually there.
    WaveBuilder& DataClaiming(uint32_t claimed, const std::vector<uint8_t>& pcm) {
        chunks_.insert(chunks_.end(), {'d', 'a', 't', 'a'});
        Append32(chunks_, claimed);
        chunks_.insert(chunks_.end(), pcm.begin(), pcm.end());
        return *this;
    }
    std::vector<uint8_t> Build() const {
        std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
        Append32(out, static_cast<uint32_t>(chunks_.size() + 4));
        out.insert(out.end(), {'W', 'A', 'V', 'E'});
        out.insert(out.end(), chunks_.begin(), chunks_.end());
        return out;
    }

  private:
    std::vector<uint8_t> chunks_;
};

// 16-bit stereo PCM whose frame i holds (i * 7, -i * 3), wrapping in 16 bits.
inline std::vector<uint8_t> RampPcm(uint32_t frames) {
    std::vector<uint8_t> out;
    for (uint32_t i = 0; i < frames; ++i) {
        Append16(out, static_cast<uint16_t>(i * 7));
        Append16(out, static_cast<uint16_t>(-static_cast<int32_t>(i) * 3));
    }
    return out;
}

inline std::vector<uint8_t> FloatPcm(const std::vector<float>& samples) {
    std::vector<uint8_t> out(samples.size() * 4);
    std::memcpy(out.data(), samples.data(), out.size());
    return out;
}

inline std::vector<uint8_t> ReadFixture(const std::string& name) {
    std::ifstream in(std::string(KORVALUND_TEST_DIR) + "/fixtures/" + name, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
