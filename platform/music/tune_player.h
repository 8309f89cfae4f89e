// The music player behind the pxtone calls: one loaded score, its synth, and a looping DirectSound
// buffer that a refill thread keeps filled up to the play cursor.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/dsound/dsound.h"
#include "platform/music/pxtone.h"
#include "platform/music/tune_score.h"
#include "platform/music/tune_synth.h"

struct TuneOutputFormat {
    int channels = 2;
    int sampleRate = 44100;
    int bitsPerSample = 16;
    float bufferSeconds = 0.1f;
};

class TunePlayer {
  public:
    ~TunePlayer();

    // Opens the device and the stream buffer; false (nothing open) for values it cannot play.
    bool Open(HWND window, const TuneOutputFormat& format, PxtonePlayCallback callback);
    // Stops the tune and closes the device; the score stays loaded.
    void Close();
    bool IsOpen();

    bool Load(const char* path);
    void ReleaseTune();
    bool Start(int64_t sample, int32_t fadeInMs);
    int64_t Stop();
    bool FadeOut(int32_t milliseconds);
    void SetLoop(bool loop);
    float SetVolume(float volume);
    bool IsPlaying();

    // Writes the synth's next samples into the buffer up to its play cursor.
    void Refill();

    // Tests switch the refill thread off and call Refill themselves.
    static void SetRefillThreadEnabled(bool enabled);

  private:
    void StopLocked();
    void RefillLocked();
    void WriteFrames(DWORD offset, DWORD bytes);
    void RunRefillThread();
    void StopRefillThread();

    std::mutex mutex_;
    TuneOutputFormat format_;
    IDirectSound* device_ = nullptr;
    IDirectSoundBuffer* buffer_ = nullptr;
    DWORD bufferBytes_ = 0;
    DWORD blockAlign_ = 0;
    DWORD writePosition_ = 0;
    int64_t silentFrames_ = 0;
    PxtonePlayCallback callback_ = nullptr;

    std::unique_ptr<TuneScore> score_;
    std::unique_ptr<TuneSynth> synth_;
    bool loop_ = true;
    float volume_ = 1.0f;
    bool playing_ = false;

    std::thread thread_;
    std::mutex threadMutex_;
    std::condition_variable wake_;
    bool stopThread_ = false;
};

// The one player of the process.
TunePlayer& GlobalTunePlayer();
