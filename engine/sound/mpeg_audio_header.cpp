#include "engine/sound/mpeg_audio_header.h"

namespace {

// kbit/s by [MPEG-2][layer - 1][index].
constexpr int kBitRates[2][3][15] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
};
constexpr int kSampleRates[2][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}};

bool SameStream(const MpegAudioHeader& a, const MpegAudioHeader& b) {
    return a.mpeg1 == b.mpeg1 && a.layer == b.layer && a.sampleRate == b.sampleRate;
}

}  // namespace

bool ParseMpegAudioHeader(const uint8_t* bytes, MpegAudioHeader* header) {
    if (bytes[0] != 0xFF || (bytes[1] & 0xF0) != 0xF0) return false;
    const int layerBits = (bytes[1] >> 1) & 3;
    const int bitRateIndex = bytes[2] >> 4;
    const int sampleRateIndex = (bytes[2] >> 2) & 3;
    if (layerBits == 0 || bitRateIndex == 15 || bitRateIndex == 0 || sampleRateIndex == 3) return false;
    MpegAudioHeader h{};
    h.mpeg1 = (bytes[1] & 0x08) ? 1 : 0;
    h.layer = 4 - layerBits;
    h.padding = (bytes[2] >> 1) & 1;
    h.channels = (bytes[3] >> 6) == 3 ? 1 : 2;
    h.bitRate = kBitRates[h.mpeg1 ? 0 : 1][h.layer - 1][bitRateIndex];
    h.sampleRate = kSampleRates[h.mpeg1 ? 0 : 1][sampleRateIndex];
    const int bits = h.bitRate * 1000;
    if (h.layer == 1) {
        h.frameLength = (12 * bits / h.sampleRate + h.padding) * 4;
        h.samplesPerFrame = 384;
    } else if (h.layer == 3 && !h.mpeg1) {
        h.frameLength = 72 * bits / h.sampleRate + h.padding;
        h.samplesPerFrame = 576;
    } else {
        h.frameLength = 144 * bits / h.sampleRate + h.padding;
        h.samplesPerFrame = 1152;
    }
    *header = h;
    return true;
}

int64_t FindMpegAudioFrame(const uint8_t* data, size_t size, size_t from, MpegAudioHeader* header) {
    for (size_t at = from; at + 4 <= size; ++at) {
        MpegAudioHeader first;
        if (!ParseMpegAudioHeader(data + at, &first)) continue;
        const size_t next = at + static_cast<size_t>(first.frameLength);
        MpegAudioHeader second;
        const bool confirmed =
            next + 4 > size || (ParseMpegAudioHeader(data + next, &second) && SameStream(first, second));
        if (!confirmed) continue;
        *header = first;
        return static_cast<int64_t>(at);
    }
    return -1;
}

uint32_t CountMpegAudioFrames(const uint8_t* data, size_t size, size_t from) {
    uint32_t frames = 0;
    size_t at = from;
    while (at + 4 <= size) {
        MpegAudioHeader header;
        if (!ParseMpegAudioHeader(data + at, &header)) {
            const int64_t found = FindMpegAudioFrame(data, size, at + 1, &header);
            if (found < 0) break;
            at = static_cast<size_t>(found);
        }
        if (at + static_cast<size_t>(header.frameLength) > size) break;
        ++frames;
        at += static_cast<size_t>(header.frameLength);
    }
    return frames;
}
