#include "engine/sound/sound_converter.h"

#include <algorithm>
#include <cstring>

#include "engine/core/memory/tracked_allocator.h"
#include "engine/sound/converter_kinds.h"
#include "engine/sound/converter_stream.h"

int64_t StreamLength(const StreamDescriptor& stream) {
    const int64_t here = TellStream(stream);
    if (here < 0 || stream.functions.seek(stream.source, 0, SEEK_ORIGIN_END) != 0) return -1;
    const int64_t length = TellStream(stream);
    SeekStream(stream, here);
    return length;
}

namespace {

void FreeConverterParts(SoundConverter* converter) {
    TrackedFree(converter->block);
    TrackedFree(converter->wave.floatBuffer);
    TrackedFree(converter->memory.data);
    ReleaseAcmParts(converter);
    if (converter->ogg.opened) ov_clear(&converter->ogg.file);
    std::memset(converter, 0, sizeof *converter);
}

bool Rewind(const SoundConverter* converter) {
    return SeekStream(converter->stream, 0);
}

bool RefillBlock(SoundConverter* converter) {
    converter->blockReadPosition = 0;
    converter->blockLeft = 0;
    switch (converter->kind) {
        case kConverterPcmWave:
            return RefillWaveBlock(converter);
        case kConverterAcm:
            return RefillAcmBlock(converter);
        case kConverterOgg:
            return RefillOggBlock(converter);
        case kConverterMemory:
            return RefillMemoryBlock(converter);
        default:
            return false;
    }
}

}  // namespace

int StartSoundConverter(SoundConverter* converter, const StreamDescriptor* stream, int disableBits,
                        int option, int buildSelector) {
    std::memset(converter, 0, sizeof *converter);
    converter->option = option == 1 ? 1 : 2;
    converter->buildSelector = buildSelector;
    converter->stream = *stream;

    struct Opener {
        int skipBit;
        int (*open)(SoundConverter*);
    };
    const Opener openers[] = {{kConverterSkipPcmWave, OpenPcmWave},
                              {kConverterSkipAcmWave, OpenAcmWave},
                              {kConverterSkipOgg, OpenOggConvert},
                              {kConverterSkipAcmMp3, OpenAcmMp3}};
    bool opened = false;
    Rewind(converter);
    for (const Opener& opener : openers) {
        if (disableBits & opener.skipBit) continue;
        if (opener.open(converter) == 0) {
            opened = true;
            break;
        }
        Rewind(converter);
    }
    if (!opened && !(disableBits & kConverterSkipMp3Graph)) opened = ConvertMp3ByGraph(converter) == 0;
    if (!opened) {
        FreeConverterParts(converter);
        return -1;
    }
    converter->block = static_cast<uint8_t*>(TrackedAlloc(converter->blockSize, "SoundConverter", __LINE__));
    if (!converter->block) {
        FreeConverterParts(converter);
        return -1;
    }
    converter->blockLeft = 0;
    converter->blockReadPosition = 0;
    converter->position = 0;
    converter->initialised = 1;
    return 0;
}

int ConvertSoundBlock(SoundConverter* converter, void* dest, int size) {
    if (!converter->initialised) return -1;
    if (converter->endReached || size <= 0) return 0;
    uint8_t* out = static_cast<uint8_t*>(dest);
    int delivered = 0;
    while (delivered < size) {
        if (converter->blockLeft == 0 && !RefillBlock(converter)) {
            converter->endReached = 1;
            break;
        }
        const uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(size - delivered), converter->blockLeft);
        std::memcpy(out + delivered, converter->block + converter->blockReadPosition, n);
        converter->blockReadPosition += n;
        converter->blockLeft -= n;
        converter->position += n;
        delivered += static_cast<int>(n);
    }
    return delivered;
}

int SeekSoundConverter(SoundConverter* converter, int sample) {
    if (!converter->initialised || sample < 0) return -1;
    const uint64_t target = static_cast<uint64_t>(sample) * converter->outputFormat.nBlockAlign;
    const uint64_t distance =
        target > converter->position ? target - converter->position : converter->position - target;
    // Close enough: nothing moves. Never at the end, where the block no longer holds those bytes.
    if (distance < 16 && !converter->endReached) return 0;
    bool moved = false;
    switch (converter->kind) {
        case kConverterPcmWave:
            moved = SeekWave(converter, sample);
            break;
        case kConverterAcm:
            moved = SeekAcm(converter, target);
            break;
        case kConverterOgg:
            moved = SeekOgg(converter, sample);
            break;
        case kConverterMemory:
            moved = SeekMemory(converter, target);
            break;
        default:
            break;
    }
    if (converter->kind != kConverterAcm || !moved) {
        converter->blockLeft = 0;
        converter->blockReadPosition = 0;
    }
    converter->position = target;
    converter->endReached = moved ? 0 : 1;
    return moved ? 0 : -1;
}

int64_t GetConvertedSize(const SoundConverter* converter) {
    switch (converter->kind) {
        case kConverterPcmWave:
            return WaveConvertedSize(converter);
        case kConverterAcm:
            return AcmConvertedSize(converter);
        case kConverterOgg:
            return converter->dataSize;
        case kConverterMemory:
            return converter->memory.size;
        default:
            return 0;
    }
}

int ConvertSoundWhole(SoundConverter* converter, void** data, uint32_t* size, WAVEFORMATEX* format) {
    *data = nullptr;
    *size = 0;
    if (!converter->initialised) return -1;
    const int64_t total = GetConvertedSize(converter);
    uint8_t* pcm =
        static_cast<uint8_t*>(TrackedAlloc(std::max<int64_t>(total, 1), "SoundConverter", __LINE__));
    if (!pcm) return -1;
    SeekSoundConverter(converter, 0);
    uint64_t delivered = 0;
    if (converter->kind == kConverterPcmWave && converter->wave.fileFormat.wFormatTag == WAVE_FORMAT_PCM) {
        delivered = ReadWaveDataWhole(converter, pcm, static_cast<uint32_t>(total));
    } else {
        while (delivered < static_cast<uint64_t>(total)) {
            const int want = static_cast<int>(std::min<uint64_t>(total - delivered, 1u << 30));
            const int got = ConvertSoundBlock(converter, pcm + delivered, want);
            if (got <= 0) break;
            delivered += static_cast<uint64_t>(got);
        }
    }
    *data = pcm;
    *size = static_cast<uint32_t>(delivered);
    GetConverterFormat(converter, format);
    return 0;
}

int GetConverterFormat(const SoundConverter* converter, WAVEFORMATEX* format) {
    *format = converter->outputFormat;
    format->cbSize = 0;
    return 0;
}

int ReleaseSoundConverter(SoundConverter* converter) {
    if (!converter->initialised) return -1;
    FreeConverterParts(converter);
    return 0;
}
