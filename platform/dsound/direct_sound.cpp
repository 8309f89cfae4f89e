// The DirectSound device object: capabilities, cooperative level, buffer creation and duplication,
// and the audio output it opens when initialised.
#include <functional>
#include <mutex>

#include "platform/dsound/audio_output.h"
#include "platform/dsound/direct_sound_buffer.h"
#include "platform/dsound/dsound.h"
#include "platform/dsound/dsound_test_hooks.h"
#include "platform/kernel/module_registry.h"

namespace {

// {4B4F5256-414C-554E-4400-44534F554E44}
constexpr GUID kDeviceGuid = {0x4B4F5256, 0x414C, 0x554E, {0x44, 0x00, 0x44, 0x53, 0x4F, 0x55, 0x4E, 0x44}};

struct DeviceSettings {
    std::mutex mutex;
    bool capsSet = false;
    DSCAPS caps{};
    std::function<bool(const DSBUFFERDESC&)> refuseCreate;
    int duplicatesLeft = -1;
};

DeviceSettings& Settings() {
    static DeviceSettings settings;
    return settings;
}

bool RefuseCreate(const DSBUFFERDESC& desc) {
    std::lock_guard<std::mutex> guard(Settings().mutex);
    return Settings().refuseCreate && Settings().refuseCreate(desc);
}

bool RefuseDuplicate() {
    std::lock_guard<std::mutex> guard(Settings().mutex);
    int& left = Settings().duplicatesLeft;
    if (left == 0) return true;
    if (left > 0) --left;
    return false;
}

bool IsValidBufferDesc(const DSBUFFERDESC& desc) {
    if (desc.dwSize != sizeof(DSBUFFERDESC)) return false;
    if (desc.dwFlags & DSBCAPS_PRIMARYBUFFER) return desc.dwBufferBytes == 0 && desc.lpwfxFormat == nullptr;
    if (!desc.lpwfxFormat || !IsPlayablePcmFormat(*desc.lpwfxFormat)) return false;
    if (desc.dwBufferBytes < DSBSIZE_MIN || desc.dwBufferBytes > DSBSIZE_MAX) return false;
    return desc.dwBufferBytes >= desc.lpwfxFormat->nBlockAlign;
}

class DirectSoundDevice : public IDirectSound {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDirectSound) {
            AddRef();
            *object = static_cast<IDirectSound*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE Initialize(LPCGUID device) override {
        if (device_) return DSERR_ALREADYINITIALIZED;
        if (device && *device != kDeviceGuid) return DSERR_NODRIVER;
        device_ = std::make_shared<SoundDeviceState>();
        output_ = OpenAudioOutput(std::shared_ptr<SoundMixer>(device_, &device_->mixer));
        return DS_OK;
    }

    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND, DWORD level) override {
        if (!device_) return DSERR_UNINITIALIZED;
        if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
        device_->cooperativeLevel = level;
        return DS_OK;
    }

    HRESULT STDMETHODCALLTYPE GetCaps(LPDSCAPS caps) override {
        if (!caps || caps->dwSize != sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
        if (!device_) return DSERR_UNINITIALIZED;
        std::lock_guard<std::mutex> guard(Settings().mutex);
        *caps = Settings().capsSet ? Settings().caps : DefaultDirectSoundCaps();
        caps->dwSize = sizeof(DSCAPS);
        return DS_OK;
    }

    HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer,
                                                LPUNKNOWN outer) override {
        if (!buffer) return DSERR_INVALIDPARAM;
        *buffer = nullptr;
        if (outer) return DSERR_NOAGGREGATION;
        if (!device_) return DSERR_UNINITIALIZED;
        if (!desc || !IsValidBufferDesc(*desc)) return DSERR_INVALIDPARAM;
        if (device_->cooperativeLevel == 0) return DSERR_PRIOLEVELNEEDED;
        if (!(desc->dwFlags & DSBCAPS_PRIMARYBUFFER) && RefuseCreate(*desc)) return DSERR_ALLOCATED;
        *buffer = new DirectSoundBuffer(device_, *desc);
        return DS_OK;
    }

    HRESULT STDMETHODCALLTYPE DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original,
                                                   LPDIRECTSOUNDBUFFER* duplicate) override {
        if (!duplicate) return DSERR_INVALIDPARAM;
        *duplicate = nullptr;
        if (!device_) return DSERR_UNINITIALIZED;
        auto* source = dynamic_cast<DirectSoundBuffer*>(original);
        if (!source || source->IsPrimary() || source->Device() != device_.get()) return DSERR_INVALIDPARAM;
        if (RefuseDuplicate()) return DSERR_ALLOCATED;
        *duplicate = new DirectSoundBuffer(device_, *source);
        return DS_OK;
    }

  private:
    ~DirectSoundDevice() override = default;

    std::atomic<ULONG> references_{1};
    std::shared_ptr<SoundDeviceState> device_;
    std::unique_ptr<AudioOutput> output_;
};

}  // namespace

DSCAPS DefaultDirectSoundCaps() {
    DSCAPS caps{};
    caps.dwSize = sizeof(DSCAPS);
    caps.dwFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT | DSCAPS_PRIMARY16BIT |
                   DSCAPS_CONTINUOUSRATE | DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO |
                   DSCAPS_SECONDARY8BIT | DSCAPS_SECONDARY16BIT;
    caps.dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
    caps.dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
    caps.dwPrimaryBuffers = 1;
    return caps;
}

void SetDirectSoundCaps(const DSCAPS* caps) {
    std::lock_guard<std::mutex> guard(Settings().mutex);
    Settings().capsSet = caps != nullptr;
    if (caps) Settings().caps = *caps;
}

void SetDirectSoundCreateRefusal(std::function<bool(const DSBUFFERDESC&)> refuse) {
    std::lock_guard<std::mutex> guard(Settings().mutex);
    Settings().refuseCreate = std::move(refuse);
}

void SetDirectSoundDuplicateLimit(int count) {
    std::lock_guard<std::mutex> guard(Settings().mutex);
    Settings().duplicatesLeft = count;
}

HRESULT CreateDirectSoundInstance(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsPlatformCallFailing("DirectSoundCreate")) return DSERR_NODRIVER;
    auto* device = new DirectSoundDevice();
    const HRESULT result = device->QueryInterface(iid, object);
    device->Release();
    return result;
}

HRESULT WINAPI DirectSoundCreate(LPCGUID device, LPDIRECTSOUND* directSound, LPUNKNOWN outer) {
    if (!directSound) return DSERR_INVALIDPARAM;
    *directSound = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    LPDIRECTSOUND created = nullptr;
    HRESULT result = CreateDirectSoundInstance(IID_IDirectSound, reinterpret_cast<void**>(&created));
    if (FAILED(result)) return result;
    result = created->Initialize(device);
    if (FAILED(result)) {
        created->Release();
        return result;
    }
    *directSound = created;
    return DS_OK;
}

HRESULT WINAPI DirectSoundEnumerateA(LPDSENUMCALLBACKA callback, LPVOID context) {
    if (!callback) return DSERR_INVALIDPARAM;
    if (!callback(nullptr, "Primary Sound Driver", "", context)) return DS_OK;
    GUID guid = kDeviceGuid;
    callback(&guid, "Korvalund software mixer", "korvalund-dsound", context);
    return DS_OK;
}
