// The software mixer behind the DirectSound stand-in: every playing secondary buffer is resampled to
// the output rate, scaled by its volume and pan and summed into 16-bit stereo frames.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dsound/wave_format.h"

// What the mixer reads of one secondary buffer. Guarded by the mixer's mutex; the sample bytes are
// shared between a buffer and its duplicates and written by the buffer's owner through Lock.
struct MixerVoice {
    std::shared_ptr<std::vector<uint8_t>> data;
    WAVEFORMATEX format{};
    uint32_t frames = 0;
    uint64_t position = 0;  // frames, 32.32 fixed point
    uint32_t frequency = 0;
    int32_t volume = 0;  // hundredths of a decibel, 0 full, -10000 silent
    int32_t pan = 0;     // hundredths of a decibel, negative attenuates the right channel
    bool playing = false;
    bool looping = false;

    uint32_t PositionFrame() const { return static_cast<uint32_t>(position >> 32); }
};

class SoundMixer {
  public:
    static constexpr uint32_t kOutputRate = 44100;
    static constexpr uint32_t kOutputChannels = 2;

    std::mutex& Mutex() { return mutex_; }
    void AddVoice(MixerVoice* voice);     // caller holds the mutex
    void RemoveVoice(MixerVoice* voice);  // caller holds the mutex

    // Mixes `frames` stereo frames into `out` and moves every playing voice on; takes the mutex.
    void Mix(int16_t* out, uint32_t frames);

    // The output that moves this mixer on by a clock, asked to catch up before a voice is read.
    void SetCatchUp(std::function<void()> catchUp);
    void CatchUp();

  private:
    void MixVoice(MixerVoice& voice, int32_t* accumulator, uint32_t frames);

    std::mutex mutex_;
    std::vector<MixerVoice*> voices_;
    std::vector<int32_t> accumulator_;
    std::mutex catchUpMutex_;
    std::function<void()> catchUp_;
};

// Amplitude factor of an attenuation in hundredths of a decibel; exactly 0 at -10000 and below.
double AttenuationToGain(int32_t hundredthsOfDecibel);
