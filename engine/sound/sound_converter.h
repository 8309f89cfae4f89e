// The sound converter: turns WAVE (PCM, IEEE float), Ogg Vorbis and, through the Audio Compression
// Manager, compressed WAVE and MP3 data read through a StreamDescriptor into little-endian PCM, block by
// block or whole. Sound loads, stream sources and movie sound tracks use it.
#pragma once

#include <vorbis/vorbisfile.h>

#include <cstdint>

#include "engine/core/files/file_access.h"
#include "platform/acm/msacm.h"
#include "platform/dsound/wave_format.h"

// Opener switches (disable bits of StartSoundConverter).
enum SoundConverterDisableBits {
    kConverterSkipPcmWave = 1,
    kConverterSkipAcmWave = 2,
    kConverterSkipOgg = 4,
    kConverterSkipAcmMp3 = 8,
    kConverterSkipMp3Graph = 16,
};

enum SoundConverterKind {
    kConverterPcmWave = 0,  // RIFF WAVE with PCM or float samples
    kConverterAcm = 1,      // Audio Compression Manager stream
    kConverterOgg = 2,      // Ogg Vorbis through vorbisfile
    kConverterMemory = 3,   // PCM held in memory
};

struct SoundConverter {
    int initialised;
    int endReached;
    int kind;
    StreamDescriptor stream;  // the caller's; never closed here

    int64_t fmtPosition;
    uint32_t fmtSize;
    int64_t dataStart;
    uint32_t dataSize;
    WAVEFORMATEX outputFormat;

    struct {
        float* floatBuffer;  // IEEE float input only
        uint32_t floatBufferSize;
        uint32_t sampleRate;
        WAVEFORMATEX fileFormat;
        uint32_t dataRead;  // bytes of the data chunk consumed
    } wave;
    struct {
        int opened;
        OggVorbis_File file;
        int channels;
    } ogg;
    struct {
        uint8_t* data;  // the compressed input: the data chunk, or the MP3 frames from the first one
        uint32_t size;
        HACMSTREAM stream;
        uint32_t inputPosition;
        uint64_t outputPosition;  // PCM bytes the stream made since it was opened
        int drained;              // the stream gives nothing more
        uint8_t* sourceFormat;    // the format block handed to the stream
        uint32_t frameCount;      // MPEG frames in the input; 0 when not counted
        uint32_t samplesPerFrame;
    } acm;
    struct {
        uint8_t* data;  // PCM held in memory: `size` bytes filled of `capacity`
        uint32_t size;
        uint32_t position;
        uint32_t capacity;
    } memory;

    uint8_t* block;
    uint32_t blockSize;
    uint32_t blockLeft;
    uint32_t blockReadPosition;
    uint64_t position;  // output bytes delivered since the start or the last seek

    int option;         // bytes per output sample for Vorbis (1 or 2)
    int buildSelector;  // 0 sound loads, 1 movie sound tracks; both use the same vorbisfile
};

int StartSoundConverter(SoundConverter* converter, const StreamDescriptor* stream, int disableBits,
                        int option, int buildSelector);
int ConvertSoundBlock(SoundConverter* converter, void* dest, int size);  // bytes delivered, 0 at the end
int SeekSoundConverter(SoundConverter* converter, int sample);
int64_t GetConvertedSize(const SoundConverter* converter);
// The whole PCM in new tracked memory (free with TrackedFree), its size and format.
int ConvertSoundWhole(SoundConverter* converter, void** data, uint32_t* size, WAVEFORMATEX* format);
int GetConverterFormat(const SoundConverter* converter, WAVEFORMATEX* format);
int ReleaseSoundConverter(SoundConverter* converter);

// The openers, tried in this order; each 0 when it took the data, -1 when the data is not its own.
int OpenPcmWave(SoundConverter* converter);
int OpenAcmWave(SoundConverter* converter);
int OpenOggConvert(SoundConverter* converter);
int OpenAcmMp3(SoundConverter* converter);
int ConvertMp3ByGraph(SoundConverter* converter);
