// RIFF WAVE with PCM or 32-bit IEEE float samples (float becomes 16-bit PCM).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/core/memory/tracked_allocator.h"
#include "engine/sound/converter_kinds.h"
#include "engine/sound/converter_stream.h"

namespace {

// Blocks of at most this many bytes, however large a header says a second is.
constexpr uint32_t kMaxBlockBytes = 1u << 20;
constexpr uint32_t kMinBlockBytes = 4096;

struct ChunkHeader {
    char id[4];
    uint32_t size;
    bool Is(const char* name) const { return std::memcmp(id, name, 4) == 0; }
};

bool ReadChunkHeader(const StreamDescriptor& stream, ChunkHeader* header) {
    uint8_t bytes[8];
    if (!ReadExactly(stream, bytes, 8)) return false;
    std::memcpy(header->id, bytes, 4);
    header->size = LittleEndian32(bytes + 4);
    return true;
}

// Chunk bodies are padded to an even length.
bool SkipChunkBody(const StreamDescriptor& stream, const ChunkHeader& header) {
    const int64_t here = TellStream(stream);
    return here >= 0 && SeekStream(stream, here + header.size + (header.size & 1));
}

int16_t FloatToSample(float value) {
    const double scaled = static_cast<double>(value) * 32768.0;
    if (std::isnan(scaled)) return 0;
    if (scaled >= 32767.0) return 32767;
    if (scaled <= -32768.0) return -32768;
    return static_cast<int16_t>(scaled);
}

}  // namespace

// Parses the RIFF WAVE header up to the data chunk: the fmt body into `format`, the data chunk's start
// and size (clamped to the bytes the stream holds). False for anything that is not such a file.
bool ParseWaveLayout(SoundConverter* converter, WAVEFORMATEX* format) {
    const StreamDescriptor& stream = converter->stream;
    uint8_t riff[12];
    if (!ReadExactly(stream, riff, 12)) return false;
    if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) return false;
    ChunkHeader header;
    if (!ReadChunkHeader(stream, &header)) return false;
    if (header.Is("bext")) {
        if (!SkipChunkBody(stream, header) || !ReadChunkHeader(stream, &header)) return false;
    }
    if (!header.Is("fmt ") || header.size < 16) return false;
    converter->fmtPosition = TellStream(stream);
    converter->fmtSize = header.size;
    *format = WAVEFORMATEX{};
    if (!ReadExactly(stream, format, std::min<uint32_t>(header.size, sizeof(WAVEFORMATEX)))) return false;
    if (header.size < sizeof(WAVEFORMATEX)) format->cbSize = 0;
    if (!SeekStream(stream, converter->fmtPosition + header.size + (header.size & 1))) return false;
    if (format->nChannels == 0 || format->nBlockAlign == 0 || format->nAvgBytesPerSec == 0) return false;

    for (;;) {
        if (!ReadChunkHeader(stream, &header)) return false;
        if (header.Is("data")) break;
        if (!SkipChunkBody(stream, header)) return false;
    }
    converter->dataStart = TellStream(stream);
    const int64_t length = StreamLength(stream);
    if (converter->dataStart < 0 || length < 0) return false;
    const int64_t available = std::max<int64_t>(0, length - converter->dataStart);
    converter->dataSize = static_cast<uint32_t>(std::min<int64_t>(header.size, available));
    return true;
}

int OpenPcmWave(SoundConverter* converter) {
    WAVEFORMATEX file;
    if (!ParseWaveLayout(converter, &file)) return -1;
    WAVEFORMATEX& out = converter->outputFormat;
    if (file.wFormatTag == WAVE_FORMAT_PCM) {
        out = file;
        if (converter->fmtSize == 16)
            out.wBitsPerSample = static_cast<WORD>(file.nBlockAlign / file.nChannels * 8);
        out.cbSize = 0;
        converter->blockSize = std::clamp(file.nAvgBytesPerSec, kMinBlockBytes, kMaxBlockBytes);
    } else if (file.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) {
        // Only 32-bit float: a 64-bit file read as 32-bit floats would be noise.
        if (file.wBitsPerSample != 32 || file.nBlockAlign != file.nChannels * 4 || file.nSamplesPerSec == 0)
            return -1;
        out = WAVEFORMATEX{};
        out.wFormatTag = WAVE_FORMAT_PCM;
        out.nChannels = file.nChannels;
        out.nSamplesPerSec = file.nSamplesPerSec;
        out.wBitsPerSample = 16;
        out.nBlockAlign = static_cast<WORD>(file.nChannels * 2);
        out.nAvgBytesPerSec = out.nBlockAlign * file.nSamplesPerSec;
        const uint32_t frames =
            std::clamp<uint32_t>(file.nSamplesPerSec, 1024, kMaxBlockBytes / file.nBlockAlign);
        converter->wave.floatBufferSize = frames * file.nBlockAlign;
        converter->wave.floatBuffer =
            static_cast<float*>(TrackedAlloc(converter->wave.floatBufferSize, "SoundConverter", __LINE__));
        if (!converter->wave.floatBuffer) return -1;
        converter->blockSize = frames * out.nBlockAlign;
    } else {
        return -1;
    }
    converter->wave.fileFormat = file;
    converter->wave.sampleRate = file.nSamplesPerSec;
    converter->wave.dataRead = 0;
    converter->kind = kConverterPcmWave;
    return 0;
}

bool RefillWaveBlock(SoundConverter* converter) {
    const StreamDescriptor& stream = converter->stream;
    const uint32_t remaining = converter->dataSize - converter->wave.dataRead;
    if (remaining == 0) return false;
    if (converter->wave.fileFormat.wFormatTag == WAVE_FORMAT_PCM) {
        const uint32_t got =
            ReadFromStream(stream, converter->block, std::min(converter->blockSize, remaining));
        converter->wave.dataRead += got;
        converter->blockLeft = got;
        return got > 0;
    }
    const uint32_t align = converter->wave.fileFormat.nBlockAlign;
    const uint32_t want = std::min(converter->wave.floatBufferSize, remaining) / align * align;
    if (want == 0) {
        converter->wave.dataRead = converter->dataSize;  // a partial last frame is dropped
        return false;
    }
    const uint32_t got = ReadFromStream(stream, converter->wave.floatBuffer, want);
    converter->wave.dataRead += got;
    const uint32_t samples = got / align * converter->wave.fileFormat.nChannels;
    for (uint32_t i = 0; i < samples; ++i) {
        const uint16_t value = static_cast<uint16_t>(FloatToSample(converter->wave.floatBuffer[i]));
        converter->block[2 * i] = static_cast<uint8_t>(value);
        converter->block[2 * i + 1] = static_cast<uint8_t>(value >> 8);
    }
    converter->blockLeft = samples * 2;
    return samples > 0;
}

bool SeekWave(SoundConverter* converter, int sample) {
    const uint64_t offset = static_cast<uint64_t>(sample) * converter->wave.fileFormat.nBlockAlign;
    converter->wave.dataRead = static_cast<uint32_t>(std::min<uint64_t>(offset, converter->dataSize));
    return SeekStream(converter->stream, converter->dataStart + converter->wave.dataRead);
}

int64_t WaveConvertedSize(const SoundConverter* converter) {
    const WAVEFORMATEX& file = converter->wave.fileFormat;
    if (file.wFormatTag == WAVE_FORMAT_PCM) return converter->dataSize;
    return int64_t{converter->dataSize} / file.nBlockAlign * converter->outputFormat.nBlockAlign;
}

uint32_t ReadWaveDataWhole(SoundConverter* converter, uint8_t* out, uint32_t size) {
    const uint32_t want = std::min(size, converter->dataSize - converter->wave.dataRead);
    const uint32_t got = want ? ReadFromStream(converter->stream, out, want) : 0;
    converter->wave.dataRead += got;
    converter->position += got;
    return got;
}
