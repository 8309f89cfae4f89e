// The data behind a sound handle: up to ten DirectSound buffers over one PCM copy, played in turn.
#pragma once

#include <cstdint>

#include "platform/dsound/dsound.h"

constexpr int kMaxSoundBuffers = 10;

// One buffer slot of a sound.
struct SoundBuffer {
    int valid;
    IDirectSoundBuffer* buffer;
    int loop;  // loop flag of the slot's last play
};

// The four load settings every load copies: stream mode (0 whole), converter disable bits, Vorbis
// bytes per sample, Vorbis build selector.
struct SoundLoadSettings {
    int32_t streamMode;
    int32_t disableBits;
    int32_t vorbisBytesPerSample;
    int32_t vorbisBuildSelector;
};

struct SoundRecord {
    int pauseTaken[kMaxSoundBuffers];
    int wasPlaying[kMaxSoundBuffers];
    SoundBuffer buffers[kMaxSoundBuffers];
    WAVEFORMATEX format;
    int streamFlag;
    uint32_t pcmSize;
    uint8_t* pcm;
    int* referenceCount;
    int bufferCount;
    int currentBuffer;
    int volume;     // hundredths of a decibel
    int pan;        // hundredths of a decibel
    int frequency;  // Hz; 0 keeps each buffer's own rate
};
