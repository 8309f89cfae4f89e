// The four-byte header of an MPEG audio frame (MPEG-1 and MPEG-2, layers 1 to 3), by the MPEG audio
// standard (ISO/IEC 11172-3, 13818-3).
#pragma once

#include <cstddef>
#include <cstdint>

struct MpegAudioHeader {
    int mpeg1;  // 1 MPEG-1, 0 MPEG-2
    int layer;  // 1 to 3
    int padding;
    int channels;
    int bitRate;      // kbit/s
    int sampleRate;   // Hz
    int frameLength;  // bytes, header included
    int samplesPerFrame;
};

// False for bytes that are no frame header this library plays: no sync, a reserved layer, bit-rate or
// sample-rate index, MPEG-2.5, or free format (its frame length is not in the header).
bool ParseMpegAudioHeader(const uint8_t* bytes, MpegAudioHeader* header);
// The first offset from `from` at which a frame header stands whose frame is followed by another
// header of the same stream or ends at `size`; -1 when there is none.
int64_t FindMpegAudioFrame(const uint8_t* data, size_t size, size_t from, MpegAudioHeader* header);
// Frames from `from` to the end of the data, stepping frame by frame and searching again after bytes
// that are no frame; only frames that lie whole in the data count.
uint32_t CountMpegAudioFrames(const uint8_t* data, size_t size, size_t from);
