// One DirectSound buffer: the primary buffer (format only) or a secondary buffer that the mixer plays.
#pragma once

#include <atomic>
#include <memory>

#include "platform/dsound/dsound.h"
#include "platform/dsound/sound_mixer.h"

struct SoundDeviceState {
    SoundMixer mixer;
    std::atomic<DWORD> cooperativeLevel{0};
};

class DirectSoundBuffer : public IDirectSoundBuffer {
  public:
    // A primary buffer (desc without format) or a secondary one over new zeroed memory.
    DirectSoundBuffer(std::shared_ptr<SoundDeviceState> device, const DSBUFFERDESC& desc);
    // A duplicate sharing the original's memory, stopped at position 0.
    DirectSoundBuffer(std::shared_ptr<SoundDeviceState> device, const DirectSoundBuffer& original);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) override;
    HRESULT STDMETHODCALLTYPE GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated,
                                        LPDWORD sizeWritten) override;
    HRESULT STDMETHODCALLTYPE GetVolume(LPLONG volume) override;
    HRESULT STDMETHODCALLTYPE GetPan(LPLONG pan) override;
    HRESULT STDMETHODCALLTYPE GetFrequency(LPDWORD frequency) override;
    HRESULT STDMETHODCALLTYPE GetStatus(LPDWORD status) override;
    HRESULT STDMETHODCALLTYPE Lock(DWORD offset, DWORD bytes, LPVOID* audio1, LPDWORD bytes1, LPVOID* audio2,
                                   LPDWORD bytes2, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Play(DWORD reserved, DWORD priority, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE SetCurrentPosition(DWORD newPosition) override;
    HRESULT STDMETHODCALLTYPE SetFormat(LPCWAVEFORMATEX format) override;
    HRESULT STDMETHODCALLTYPE SetVolume(LONG volume) override;
    HRESULT STDMETHODCALLTYPE SetPan(LONG pan) override;
    HRESULT STDMETHODCALLTYPE SetFrequency(DWORD frequency) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID audio1, DWORD bytes1, LPVOID audio2, DWORD bytes2) override;

    bool IsPrimary() const { return primary_; }
    SoundDeviceState* Device() const { return device_.get(); }

  protected:
    ~DirectSoundBuffer() override;

  private:
    DWORD SizeInBytes() const { return static_cast<DWORD>(voice_.data ? voice_.data->size() : 0); }

    std::atomic<ULONG> references_{1};
    std::shared_ptr<SoundDeviceState> device_;
    const bool primary_;
    const DWORD flags_;
    MixerVoice voice_;            // secondary buffers; guarded by the mixer's mutex
    WAVEFORMATEX primaryFormat_;  // primary buffer
    bool primaryPlaying_ = false;
};

// True when the format is PCM that the mixer plays: 1 or 2 channels of 8 or 16 bits, a consistent block
// align and byte rate, and a rate within DSBFREQUENCY_MIN..DSBFREQUENCY_MAX.
bool IsPlayablePcmFormat(const WAVEFORMATEX& format);
void CountDirectSoundBuffer(int delta);
