#include "platform/dsound/clocked_audio_output.h"

#include <algorithm>
#include <chrono>

#include "platform/kernel/clock.h"

#include "platform/dsound/manual_audio.h"
#include "platform/dsound/sound_mixer.h"

namespace {

// The process clock, so that a virtual clock plays sound at the pace the program's waits set: on the
// virtual clock the output mixes after each of its moves, so what is mixed depends on the program's
// waits alone, not on when a polling thread happened to run (it could fall more than the longest
// catch-up behind a fast-running virtual clock, and that sound was dropped).
constexpr uint64_t kLongestCatchUp = SoundMixer::kOutputRate;

int64_t ClockMicroseconds() {
    return ClockNowNanoseconds() / 1000;
}

}  // namespace

ClockedAudioOutput::ClockedAudioOutput(std::shared_ptr<SoundMixer> mixer, Clock clock,
                                       std::unique_ptr<WaveCapture> capture)
    : mixer_(std::move(mixer)), clock_(clock), capture_(std::move(capture)) {
    if (clock_ == Clock::Manual) {
        RegisterManualAudioOutput(this);
        return;
    }
    startMicroseconds_ = ClockMicroseconds();
    mixer_->SetCatchUp([this] { CatchUp(); });
    followsVirtualClock_ = GetClockMode() == ClockMode::kVirtual;
    if (followsVirtualClock_)
        AddVirtualClockListener(CatchUpListener, this);
    else
        thread_ = std::thread([this] { Run(); });
}

ClockedAudioOutput::~ClockedAudioOutput() {
    if (clock_ == Clock::Manual) {
        UnregisterManualAudioOutput(this);
        return;
    }
    mixer_->SetCatchUp(nullptr);
    if (followsVirtualClock_) {
        RemoveVirtualClockListener(CatchUpListener, this);
    } else {
        {
            std::lock_guard<std::mutex> guard(stopMutex_);
            stop_ = true;
        }
        stopSignal_.notify_all();
        thread_.join();
    }
    CatchUp();
}

const char* ClockedAudioOutput::Description() const {
    if (clock_ == Clock::Manual) return "Korvalund manually clocked output";
    return capture_ ? "Korvalund WAV capture output" : "Korvalund null output";
}

void ClockedAudioOutput::CatchUpListener(void* output) {
    static_cast<ClockedAudioOutput*>(output)->CatchUp();
}

void ClockedAudioOutput::Run() {
    std::unique_lock<std::mutex> lock(stopMutex_);
    while (!stop_) {
        stopSignal_.wait_for(lock, std::chrono::milliseconds(10));
        if (stop_) break;
        lock.unlock();
        CatchUp();
        lock.lock();
    }
}

void ClockedAudioOutput::CatchUp() {
    std::lock_guard<std::mutex> guard(mutex_);
    const int64_t elapsed = std::max<int64_t>(0, ClockMicroseconds() - startMicroseconds_);
    const uint64_t due = static_cast<uint64_t>(elapsed) * SoundMixer::kOutputRate / 1000000;
    // A clock that jumps ahead (a virtual clock advanced by days) would take as long to mix as the
    // jump: the time beyond the last second counts as if nothing had played.
    if (due > framesDone_ + kLongestCatchUp) framesDone_ = due - kLongestCatchUp;
    if (due > framesDone_) Render(due - framesDone_);
}

void ClockedAudioOutput::Advance(uint32_t frames) {
    std::lock_guard<std::mutex> guard(mutex_);
    Render(frames);
}

std::vector<int16_t> ClockedAudioOutput::TakeFrames() {
    std::lock_guard<std::mutex> guard(mutex_);
    return std::move(kept_);
}

void ClockedAudioOutput::Render(uint64_t frames) {
    constexpr uint32_t kChunk = 1024;
    while (frames > 0) {
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(frames, kChunk));
        scratch_.resize(static_cast<size_t>(n) * SoundMixer::kOutputChannels);
        mixer_->Mix(scratch_.data(), n);
        if (capture_) capture_->Append(scratch_.data(), n);
        if (clock_ == Clock::Manual) kept_.insert(kept_.end(), scratch_.begin(), scratch_.end());
        framesDone_ += n;
        frames -= n;
    }
}
