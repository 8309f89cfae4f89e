#include "platform/dsound/direct_sound_buffer.h"

#include <mutex>

namespace {

std::atomic<int> liveBuffers{0};

// The write cursor runs this many frames ahead of the play cursor while the buffer plays.
uint32_t WriteLeadFrames(uint32_t frequency) {
    return frequency / 100;
}

WAVEFORMATEX DefaultPrimaryFormat() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 22050;
    format.wBitsPerSample = 8;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = 44100;
    return format;
}

}  // namespace

void CountDirectSoundBuffer(int delta) {
    liveBuffers += delta;
}
int GetLiveDirectSoundBufferCount() {
    return liveBuffers.load();
}

bool IsPlayablePcmFormat(const WAVEFORMATEX& format) {
    if (format.wFormatTag != WAVE_FORMAT_PCM) return false;
    if (format.nChannels < 1 || format.nChannels > 2) return false;
    if (format.wBitsPerSample != 8 && format.wBitsPerSample != 16) return false;
    if (format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8) return false;
    if (format.nSamplesPerSec < DSBFREQUENCY_MIN || format.nSamplesPerSec > DSBFREQUENCY_MAX) return false;
    return format.nAvgBytesPerSec == format.nSamplesPerSec * format.nBlockAlign;
}

DirectSoundBuffer::DirectSoundBuffer(std::shared_ptr<SoundDeviceState> device, const DSBUFFERDESC& desc)
    : device_(std::move(device)),
      primary_((desc.dwFlags & DSBCAPS_PRIMARYBUFFER) != 0),
      flags_(desc.dwFlags),
      primaryFormat_(DefaultPrimaryFormat()) {
    CountDirectSoundBuffer(1);
    if (primary_) return;
    voice_.data = std::make_shared<std::vector<uint8_t>>(desc.dwBufferBytes,
                                                         desc.lpwfxFormat->wBitsPerSample == 8 ? 0x80 : 0);
    voice_.format = *desc.lpwfxFormat;
    voice_.format.cbSize = 0;
    voice_.frames = desc.dwBufferBytes / voice_.format.nBlockAlign;
    voice_.frequency = voice_.format.nSamplesPerSec;
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    device_->mixer.AddVoice(&voice_);
}

DirectSoundBuffer::DirectSoundBuffer(std::shared_ptr<SoundDeviceState> device,
                                     const DirectSoundBuffer& original)
    : device_(std::move(device)),
      primary_(false),
      flags_(original.flags_),
      primaryFormat_(DefaultPrimaryFormat()) {
    CountDirectSoundBuffer(1);
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    voice_.data = original.voice_.data;
    voice_.format = original.voice_.format;
    voice_.frames = original.voice_.frames;
    voice_.frequency = original.voice_.frequency;
    voice_.volume = original.voice_.volume;
    voice_.pan = original.voice_.pan;
    device_->mixer.AddVoice(&voice_);
}

DirectSoundBuffer::~DirectSoundBuffer() {
    CountDirectSoundBuffer(-1);
    if (primary_) return;
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    device_->mixer.RemoveVoice(&voice_);
}

HRESULT DirectSoundBuffer::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectSoundBuffer) {
        AddRef();
        *object = static_cast<IDirectSoundBuffer*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG DirectSoundBuffer::AddRef() {
    return ++references_;
}

ULONG DirectSoundBuffer::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT DirectSoundBuffer::GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) {
    if (primary_) {
        if (playCursor) *playCursor = 0;
        if (writeCursor) *writeCursor = 0;
        return DS_OK;
    }
    device_->mixer.CatchUp();
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    const DWORD align = voice_.format.nBlockAlign;
    const DWORD play = voice_.PositionFrame() * align;
    DWORD write = play;
    if (voice_.playing)
        write =
            static_cast<DWORD>((play + uint64_t{WriteLeadFrames(voice_.frequency)} * align) % SizeInBytes());
    if (playCursor) *playCursor = play;
    if (writeCursor) *writeCursor = write;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, LPDWORD sizeWritten) {
    if (!format && !sizeWritten) return DSERR_INVALIDPARAM;
    if (!format) {
        *sizeWritten = sizeof(WAVEFORMATEX);
        return DS_OK;
    }
    if (sizeAllocated < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    *format = primary_ ? primaryFormat_ : voice_.format;
    if (sizeWritten) *sizeWritten = sizeof(WAVEFORMATEX);
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetVolume(LPLONG volume) {
    if (!volume) return DSERR_INVALIDPARAM;
    if (primary_ || !(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    *volume = voice_.volume;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetPan(LPLONG pan) {
    if (!pan) return DSERR_INVALIDPARAM;
    if (primary_ || !(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    *pan = voice_.pan;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetFrequency(LPDWORD frequency) {
    if (!frequency) return DSERR_INVALIDPARAM;
    if (primary_ || !(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    *frequency = voice_.frequency;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetStatus(LPDWORD status) {
    if (!status) return DSERR_INVALIDPARAM;
    if (primary_) {
        *status = primaryPlaying_ ? DSBSTATUS_PLAYING | DSBSTATUS_LOOPING : 0;
        return DS_OK;
    }
    device_->mixer.CatchUp();
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    *status = 0;
    if (voice_.playing) *status = DSBSTATUS_PLAYING | (voice_.looping ? DSBSTATUS_LOOPING : 0);
    return DS_OK;
}

HRESULT DirectSoundBuffer::Lock(DWORD offset, DWORD bytes, LPVOID* audio1, LPDWORD bytes1, LPVOID* audio2,
                                LPDWORD bytes2, DWORD flags) {
    if (primary_) return DSERR_PRIOLEVELNEEDED;
    if (!audio1 || !bytes1) return DSERR_INVALIDPARAM;
    const DWORD size = SizeInBytes();
    if (flags & DSBLOCK_FROMWRITECURSOR) {
        DWORD play = 0;
        GetCurrentPosition(&play, &offset);
    }
    if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
    if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
    uint8_t* base = voice_.data->data();
    const DWORD first = std::min(bytes, size - offset);
    *audio1 = base + offset;
    *bytes1 = first;
    if (audio2) *audio2 = bytes > first ? base : nullptr;
    if (bytes2) *bytes2 = audio2 && bytes > first ? bytes - first : 0;
    return DS_OK;
}

HRESULT DirectSoundBuffer::Unlock(LPVOID audio1, DWORD bytes1, LPVOID audio2, DWORD bytes2) {
    if (primary_) return DSERR_INVALIDCALL;
    const uint8_t* base = voice_.data->data();
    const DWORD size = SizeInBytes();
    auto inside = [&](LPVOID p, DWORD n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        return b >= base && b <= base + size && n <= static_cast<DWORD>(base + size - b);
    };
    if (!audio1 || !inside(audio1, bytes1)) return DSERR_INVALIDPARAM;
    if (audio2 && !inside(audio2, bytes2)) return DSERR_INVALIDPARAM;
    return DS_OK;
}

HRESULT DirectSoundBuffer::Play(DWORD reserved, DWORD priority, DWORD flags) {
    if (reserved != 0 || priority != 0) return DSERR_INVALIDPARAM;
    device_->mixer.CatchUp();
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    if (primary_) {
        if (!(flags & DSBPLAY_LOOPING)) return DSERR_INVALIDPARAM;
        primaryPlaying_ = true;
        return DS_OK;
    }
    voice_.looping = (flags & DSBPLAY_LOOPING) != 0;
    voice_.playing = true;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetCurrentPosition(DWORD newPosition) {
    if (primary_) return DSERR_INVALIDCALL;
    if (newPosition > SizeInBytes()) return DSERR_INVALIDPARAM;
    device_->mixer.CatchUp();
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    uint64_t frame = newPosition / voice_.format.nBlockAlign;
    if (frame >= voice_.frames) frame = 0;
    voice_.position = frame << 32;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetFormat(LPCWAVEFORMATEX format) {
    if (!primary_) return DSERR_INVALIDCALL;
    if (!format || !IsPlayablePcmFormat(*format)) return DSERR_BADFORMAT;
    if (device_->cooperativeLevel < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    primaryFormat_ = *format;
    primaryFormat_.cbSize = 0;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetVolume(LONG volume) {
    if (primary_ || !(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    device_->mixer.CatchUp();
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    voice_.volume = volume;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetPan(LONG pan) {
    if (primary_ || !(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    device_->mixer.CatchUp();
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    voice_.pan = pan;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetFrequency(DWORD frequency) {
    if (primary_ || !(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    if (frequency != DSBFREQUENCY_ORIGINAL && (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX))
        return DSERR_INVALIDPARAM;
    device_->mixer.CatchUp();
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    voice_.frequency = frequency == DSBFREQUENCY_ORIGINAL ? voice_.format.nSamplesPerSec : frequency;
    return DS_OK;
}

HRESULT DirectSoundBuffer::Stop() {
    device_->mixer.CatchUp();
    std::lock_guard<std::mutex> guard(device_->mixer.Mutex());
    if (primary_)
        primaryPlaying_ = false;
    else
        voice_.playing = false;
    return DS_OK;
}
