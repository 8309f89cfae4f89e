// An output without a device: it mixes as much as its clock says has been played, either by the
// process clock (the null sink and the capture, with a catch-up before every buffer query and change,
// and after every move of a virtual clock; on the real clock a thread keeps up every 10 ms) or only when a
// test advances it (the manual sink, which keeps what it mixed for the test to read).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/dsound/audio_output.h"
#include "platform/dsound/wave_capture.h"

class ClockedAudioOutput : public AudioOutput {
  public:
    enum class Clock { Real, Manual };

    ClockedAudioOutput(std::shared_ptr<SoundMixer> mixer, Clock clock, std::unique_ptr<WaveCapture> capture);
    ~ClockedAudioOutput() override;
    const char* Description() const override;

    // Real clock: mixes every frame due by now.
    void CatchUp();
    // Manual clock: mixes `frames` frames and keeps them.
    void Advance(uint32_t frames);
    std::vector<int16_t> TakeFrames();

  private:
    void Render(uint64_t frames);
    void Run();
    static void CatchUpListener(void* output);

    std::shared_ptr<SoundMixer> mixer_;
    Clock clock_;
    std::unique_ptr<WaveCapture> capture_;
    std::mutex mutex_;
    uint64_t framesDone_ = 0;
    int64_t startMicroseconds_ = 0;
    std::vector<int16_t> scratch_;
    std::vector<int16_t> kept_;
    std::thread thread_;
    std::mutex stopMutex_;
    std::condition_variable stopSignal_;
    bool stop_ = false;
    bool followsVirtualClock_ = false;
};
