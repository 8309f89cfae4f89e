#include "platform/music/tune_player.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/kernel/path_mapping.h"
#include "platform/music/music_test_hooks.h"

namespace {

constexpr int kMinimumRate = 8000;
constexpr int kMaximumRate = 48000;
constexpr float kMinimumBufferSeconds = 0.02f;
constexpr float kMaximumBufferSeconds = 2.0f;
constexpr auto kRefillInterval = std::chrono::milliseconds(10);

std::atomic<bool> refillThreadEnabled{true};

bool IsPlayableFormat(const TuneOutputFormat& format) {
    return (format.channels == 1 || format.channels == 2) &&
           (format.bitsPerSample == 8 || format.bitsPerSample == 16) && format.sampleRate >= kMinimumRate &&
           format.sampleRate <= kMaximumRate && std::isfinite(format.bufferSeconds);
}

int64_t MsToSamples(int64_t ms, int rate) {
    return ms * rate / 1000;
}

}  // namespace

// Never destroyed: the process may end with the player open, after the statics it would release into.
TunePlayer& GlobalTunePlayer() {
    static TunePlayer* player = new TunePlayer;
    return *player;
}

void TunePlayer::SetRefillThreadEnabled(bool enabled) {
    refillThreadEnabled = enabled;
}

TunePlayer::~TunePlayer() {
    Close();
}

bool TunePlayer::Open(HWND window, const TuneOutputFormat& format, PxtonePlayCallback callback) {
    Close();
    if (!IsPlayableFormat(format)) return false;
    std::lock_guard<std::mutex> guard(mutex_);
    format_ = format;
    format_.bufferSeconds = std::clamp(format.bufferSeconds, kMinimumBufferSeconds, kMaximumBufferSeconds);
    callback_ = callback;
    if (DirectSoundCreate(nullptr, &device_, nullptr) != DS_OK) {
        device_ = nullptr;
        return false;
    }
    WAVEFORMATEX wave{};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = static_cast<WORD>(format_.channels);
    wave.nSamplesPerSec = static_cast<DWORD>(format_.sampleRate);
    wave.wBitsPerSample = static_cast<WORD>(format_.bitsPerSample);
    wave.nBlockAlign = static_cast<WORD>(format_.channels * format_.bitsPerSample / 8);
    wave.nAvgBytesPerSec = wave.nSamplesPerSec * wave.nBlockAlign;
    blockAlign_ = wave.nBlockAlign;
    const auto frames = static_cast<DWORD>(std::lround(format_.sampleRate * format_.bufferSeconds));
    bufferBytes_ = frames * blockAlign_;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLVOLUME;
    desc.dwBufferBytes = bufferBytes_;
    desc.lpwfxFormat = &wave;
    if (device_->SetCooperativeLevel(window, DSSCL_PRIORITY) != DS_OK ||
        device_->CreateSoundBuffer(&desc, &buffer_, nullptr) != DS_OK) {
        buffer_ = nullptr;
        device_->Release();
        device_ = nullptr;
        return false;
    }
    if (refillThreadEnabled) {
        stopThread_ = false;
        thread_ = std::thread([this] { RunRefillThread(); });
    }
    return true;
}

void TunePlayer::Close() {
    StopRefillThread();
    std::lock_guard<std::mutex> guard(mutex_);
    StopLocked();
    synth_.reset();
    if (buffer_ != nullptr) buffer_->Release();
    if (device_ != nullptr) device_->Release();
    buffer_ = nullptr;
    device_ = nullptr;
}

bool TunePlayer::IsOpen() {
    std::lock_guard<std::mutex> guard(mutex_);
    return buffer_ != nullptr;
}

bool TunePlayer::Load(const char* path) {
    ReleaseTune();
    if (path == nullptr) return false;
    auto score = std::make_unique<TuneScore>();
    std::string error;
    if (!LoadTuneScore(MapWindowsPath(path), score.get(), &error)) {
        std::fprintf(stderr, "music: %s\n", error.c_str());
        return false;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    score_ = std::move(score);
    return true;
}

void TunePlayer::ReleaseTune() {
    std::lock_guard<std::mutex> guard(mutex_);
    StopLocked();
    synth_.reset();
    score_.reset();
}

bool TunePlayer::Start(int64_t sample, int32_t fadeInMs) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (score_ == nullptr || buffer_ == nullptr) return false;
    StopLocked();
    synth_ = std::make_unique<TuneSynth>(*score_, format_.sampleRate);
    synth_->SetLoop(loop_);
    synth_->SetVolume(volume_);
    synth_->Seek(sample);
    synth_->FadeIn(MsToSamples(std::max(fadeInMs, 0), format_.sampleRate));
    silentFrames_ = 0;
    writePosition_ = 0;
    WriteFrames(0, bufferBytes_);
    buffer_->SetCurrentPosition(0);
    playing_ = buffer_->Play(0, 0, DSBPLAY_LOOPING) == DS_OK;
    return playing_;
}

int64_t TunePlayer::Stop() {
    std::lock_guard<std::mutex> guard(mutex_);
    StopLocked();
    return synth_ != nullptr ? synth_->Position() : 0;
}

void TunePlayer::StopLocked() {
    if (buffer_ != nullptr && playing_) buffer_->Stop();
    playing_ = false;
}

bool TunePlayer::FadeOut(int32_t milliseconds) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!playing_ || synth_ == nullptr) return false;
    synth_->FadeOut(MsToSamples(std::max(milliseconds, 0), format_.sampleRate));
    return true;
}

void TunePlayer::SetLoop(bool loop) {
    std::lock_guard<std::mutex> guard(mutex_);
    loop_ = loop;
    if (synth_ != nullptr) synth_->SetLoop(loop);
}

float TunePlayer::SetVolume(float volume) {
    std::lock_guard<std::mutex> guard(mutex_);
    const float previous = volume_;
    volume_ = std::isfinite(volume) ? std::clamp(volume, 0.0f, 1.0f) : 0.0f;
    if (synth_ != nullptr) synth_->SetVolume(volume_);
    return previous;
}

bool TunePlayer::IsPlaying() {
    std::lock_guard<std::mutex> guard(mutex_);
    return playing_;
}

void TunePlayer::Refill() {
    std::lock_guard<std::mutex> guard(mutex_);
    RefillLocked();
}

// The bytes from the write position up to the play cursor have been played and take new samples. Once
// a whole buffer of silence has followed the tune's end, the buffer stops.
void TunePlayer::RefillLocked() {
    if (!playing_ || buffer_ == nullptr || synth_ == nullptr) return;
    DWORD play = 0, write = 0;
    if (buffer_->GetCurrentPosition(&play, &write) != DS_OK) return;
    play -= play % blockAlign_;
    const DWORD bytes = (play + bufferBytes_ - writePosition_) % bufferBytes_;
    if (bytes == 0) return;
    if (callback_ != nullptr && !callback_(static_cast<int32_t>(synth_->Position()))) {
        StopLocked();
        return;
    }
    WriteFrames(writePosition_, bytes);
    writePosition_ = (writePosition_ + bytes) % bufferBytes_;
    if (silentFrames_ * blockAlign_ >= bufferBytes_) StopLocked();
}

void TunePlayer::WriteFrames(DWORD offset, DWORD bytes) {
    const int frames = static_cast<int>(bytes / blockAlign_);
    std::vector<float> samples(static_cast<size_t>(frames) * format_.channels);
    const bool wasFinished = synth_->Finished();
    synth_->Render(samples.data(), frames, format_.channels);
    if (wasFinished) {
        silentFrames_ += frames;
    } else if (synth_->Finished()) {
        silentFrames_ = 0;
    }
    std::vector<uint8_t> pcm(bytes);
    for (size_t i = 0; i < samples.size(); ++i) {
        const float value = std::clamp(samples[i], -1.0f, 1.0f);
        if (format_.bitsPerSample == 16) {
            const auto sample = static_cast<int16_t>(std::lround(value * 32767.0f));
            std::memcpy(&pcm[2 * i], &sample, 2);
        } else {
            pcm[i] = static_cast<uint8_t>(128 + std::lround(value * 127.0f));
        }
    }
    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD bytes1 = 0, bytes2 = 0;
    if (buffer_->Lock(offset, bytes, &part1, &bytes1, &part2, &bytes2, 0) != DS_OK) return;
    std::memcpy(part1, pcm.data(), bytes1);
    if (part2 != nullptr) std::memcpy(part2, pcm.data() + bytes1, bytes2);
    buffer_->Unlock(part1, bytes1, part2, bytes2);
}

void TunePlayer::RunRefillThread() {
    std::unique_lock<std::mutex> lock(threadMutex_);
    while (!stopThread_) {
        wake_.wait_for(lock, kRefillInterval);
        if (stopThread_) break;
        lock.unlock();
        Refill();
        lock.lock();
    }
}

void TunePlayer::StopRefillThread() {
    {
        std::lock_guard<std::mutex> guard(threadMutex_);
        stopThread_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void SetMusicRefillThreadEnabled(bool enabled) {
    TunePlayer::SetRefillThreadEnabled(enabled);
}

void RefillMusicNow() {
    GlobalTunePlayer().Refill();
}

bool IsMusicPlaying() {
    return GlobalTunePlayer().IsPlaying();
}
