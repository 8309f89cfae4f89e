#include "engine/sound/sound_buffers.h"

#include <cmath>
#include <cstring>

#include "engine/core/memory/fatal_exit.h"
#include "engine/core/memory/log.h"
#include "engine/sound/sound_output_state.h"

namespace {

bool Usable(const SoundBuffer* slot) {
    return slot && slot->valid && slot->buffer;
}

int Result(HRESULT hr) {
    return SUCCEEDED(hr) ? 0 : -1;
}

DSBUFFERDESC BufferDesc(DWORD flags, DWORD bytes, const WAVEFORMATEX* format) {
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = flags;
    desc.dwBufferBytes = bytes;
    desc.lpwfxFormat = const_cast<WAVEFORMATEX*>(format);
    return desc;
}

// Creates slot 0 of a whole sound: every control first, then pan and volume only.
bool CreateWholeSoundSlot(SoundBuffer* slot, const WAVEFORMATEX* format, uint32_t size) {
    const DWORD placement = SoundPlacementFlag();
    DSBUFFERDESC first = BufferDesc(
        DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_GLOBALFOCUS | placement, size,
        format);
    if (SoundBufferCreate(slot, &first) == 0) return true;
    DSBUFFERDESC second = BufferDesc(DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | placement, size, format);
    return SoundBufferCreate(slot, &second) == 0;
}

}  // namespace

int SoundBufferCreate(SoundBuffer* slot, const DSBUFFERDESC* desc) {
    if (!slot || !soundOutput.directSound) return -1;
    IDirectSoundBuffer* buffer = nullptr;
    if (FAILED(soundOutput.directSound->CreateSoundBuffer(desc, &buffer, nullptr))) return -1;
    slot->buffer = buffer;
    slot->valid = 1;
    slot->loop = 0;
    return 0;
}

int SoundBufferDuplicate(SoundBuffer* slot, const SoundBuffer* source) {
    if (!slot || !Usable(source) || !soundOutput.directSound) return -1;
    IDirectSoundBuffer* buffer = nullptr;
    if (FAILED(soundOutput.directSound->DuplicateSoundBuffer(source->buffer, &buffer))) return -1;
    slot->buffer = buffer;
    slot->valid = 1;
    slot->loop = 0;
    return 0;
}

int SoundBufferRelease(SoundBuffer* slot) {
    if (!Usable(slot)) return -1;
    slot->buffer->Release();
    slot->buffer = nullptr;
    slot->valid = 0;
    return 0;
}

int SoundBufferPlay(SoundBuffer* slot, int loop) {
    if (!Usable(slot)) return -1;
    slot->loop = loop;
    return Result(slot->buffer->Play(0, 0, loop ? DSBPLAY_LOOPING : 0));
}

int SoundBufferStop(SoundBuffer* slot) {
    return Usable(slot) ? Result(slot->buffer->Stop()) : -1;
}

int SoundBufferGetStatus(SoundBuffer* slot, DWORD* status) {
    return Usable(slot) ? Result(slot->buffer->GetStatus(status)) : -1;
}

int SoundBufferLock(SoundBuffer* slot, DWORD offset, DWORD bytes, void** region1, DWORD* size1,
                    void** region2, DWORD* size2) {
    return Usable(slot) ? Result(slot->buffer->Lock(offset, bytes, region1, size1, region2, size2, 0)) : -1;
}

int SoundBufferUnlock(SoundBuffer* slot, void* region1, DWORD size1, void* region2, DWORD size2) {
    return Usable(slot) ? Result(slot->buffer->Unlock(region1, size1, region2, size2)) : -1;
}

int SoundBufferSetFrequency(SoundBuffer* slot, DWORD frequency) {
    return Usable(slot) ? Result(slot->buffer->SetFrequency(frequency)) : -1;
}

int SoundBufferSetPan(SoundBuffer* slot, LONG pan) {
    return Usable(slot) ? Result(slot->buffer->SetPan(pan)) : -1;
}

int SoundBufferSetVolume(SoundBuffer* slot, LONG volume) {
    return Usable(slot) ? Result(slot->buffer->SetVolume(volume)) : -1;
}

int SoundBufferGetPosition(SoundBuffer* slot, DWORD* play, DWORD* write) {
    return Usable(slot) ? Result(slot->buffer->GetCurrentPosition(play, write)) : -1;
}

int SoundBufferSetPosition(SoundBuffer* slot, DWORD position) {
    return Usable(slot) ? Result(slot->buffer->SetCurrentPosition(position)) : -1;
}

int CreateSoundRecordBuffers(SoundRecord* record, SoundRecord* source, const WAVEFORMATEX* format,
                             uint32_t size, int streamFlag, int bufferCount) {
    if (source) {
        if (source->streamFlag != 0) return -1;
        format = &source->format;
        size = source->pcmSize;
    }
    if (streamFlag) {
        const uint32_t align = format->nBlockAlign ? format->nBlockAlign : 1;
        const uint32_t second = (format->nAvgBytesPerSec & 0xFFFFFF) + align - 1;
        DSBUFFERDESC desc =
            BufferDesc(DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_GLOBALFOCUS |
                           DSBCAPS_GETCURRENTPOSITION2 | SoundPlacementFlag(),
                       second / align * align, format);
        if (SoundBufferCreate(&record->buffers[0], &desc) != 0)
            FatalLibraryExit("ストリーム風サウンドバッファの作成に失敗しました");
        record->bufferCount = 1;
        record->streamFlag = 1;
        return 0;
    }
    if (bufferCount > kMaxSoundBuffers) bufferCount = kMaxSoundBuffers;
    int made = 0;
    for (int i = 0; i < bufferCount; ++i) {
        SoundBuffer* slot = &record->buffers[i];
        const SoundBuffer* original = source ? &source->buffers[0] : i == 0 ? nullptr : &record->buffers[0];
        if (original && SoundBufferDuplicate(slot, original) == 0) {
            made = i + 1;
            continue;
        }
        if (original && i > 0) break;  // duplicates ran out: keep what was made
        if (!CreateWholeSoundSlot(slot, format, size)) {
            ReleaseSoundRecordBuffers(record);
            LogText("DirectSoundBuffer の作成に失敗しました\n");
            return -1;
        }
        made = i + 1;
    }
    record->bufferCount = made;
    record->streamFlag = 0;
    return made > 0 ? 0 : -1;
}

void ReleaseSoundRecordBuffers(SoundRecord* record) {
    for (int i = kMaxSoundBuffers - 1; i >= 0; --i)
        if (record->buffers[i].valid) SoundBufferRelease(&record->buffers[i]);
}

int VolumeToAttenuation(int volume) {
    if (volume > 255) volume = 255;
    if (volume <= 0) return -10000;
    const int attenuation = static_cast<int>(1000.0 * std::log10(volume / 255.0));
    return attenuation < -10000 ? -10000 : attenuation;
}

int SamplesToMilliseconds(int64_t samples, int rate) {
    return rate > 0 ? static_cast<int>(samples * 1000 / rate) : 0;
}

int SelectNextSoundBuffer(int fromTop, SoundRecord* record) {
    if (record->bufferCount <= 0) return -1;
    DWORD previousCursor = 0;
    SoundBufferGetPosition(&record->buffers[record->currentBuffer], &previousCursor, nullptr);
    record->currentBuffer = (record->currentBuffer + 1) % record->bufferCount;
    SoundBuffer* slot = &record->buffers[record->currentBuffer];
    DWORD status = 0;
    if (SoundBufferGetStatus(slot, &status) != 0) return -1;
    if (status & DSBSTATUS_PLAYING) {
        if (!fromTop) return 1;
        SoundBufferStop(slot);
    }
    SoundBufferSetPosition(slot, fromTop ? 0 : previousCursor);
    SoundBufferSetVolume(slot, record->volume);
    SoundBufferSetPan(slot, record->pan);
    if (record->frequency > 0) SoundBufferSetFrequency(slot, static_cast<DWORD>(record->frequency));
    return 0;
}

int PlaySoundRecord(SoundRecord* record, int playType, int fromTop) {
    const int selected = SelectNextSoundBuffer(fromTop, record);
    if (selected < 0) return -1;
    if (selected == 1) return 0;
    return SoundBufferPlay(&record->buffers[record->currentBuffer], playType == 3 ? 1 : 0);
}

int StopSoundRecord(SoundRecord* record) {
    for (int i = 0; i < record->bufferCount; ++i) {
        record->pauseTaken[i] = 0;
        record->wasPlaying[i] = 0;
        DWORD status = 0;
        if (SoundBufferGetStatus(&record->buffers[i], &status) != 0) return -1;
        if (status & DSBSTATUS_PLAYING) SoundBufferStop(&record->buffers[i]);
    }
    return 0;
}

int IsSoundRecordPlaying(SoundRecord* record) {
    for (int i = 0; i < record->bufferCount; ++i) {
        DWORD status = 0;
        if (SoundBufferGetStatus(&record->buffers[i], &status) == 0 && (status & DSBSTATUS_PLAYING)) return 1;
    }
    return 0;
}

int SetSoundRecordVolume(SoundRecord* record, int volume) {
    const int attenuation = VolumeToAttenuation(volume);
    for (int i = 0; i < record->bufferCount; ++i) SoundBufferSetVolume(&record->buffers[i], attenuation);
    record->volume = attenuation;
    return 0;
}

int GetSoundRecordPlayTime(SoundRecord* record) {
    SoundBuffer* slot = &record->buffers[record->currentBuffer];
    if (!Usable(slot) || record->format.nBlockAlign == 0) return 0;
    DWORD play = 0;
    if (SoundBufferGetPosition(slot, &play, nullptr) != 0) return -1;
    return SamplesToMilliseconds(play / record->format.nBlockAlign,
                                 static_cast<int>(record->format.nSamplesPerSec));
}

void PauseSoundSlot(SoundBuffer* slot, int* pauseTaken, int* wasPlaying, int pause) {
    if (!slot->valid) return;
    if (!pause) {
        if (*pauseTaken && *wasPlaying) SoundBufferPlay(slot, slot->loop);
        *pauseTaken = 0;
        return;
    }
    if (*pauseTaken) return;
    DWORD status = 0;
    if (SoundBufferGetStatus(slot, &status) != 0) {
        *pauseTaken = 0;
        return;
    }
    *pauseTaken = 1;
    *wasPlaying = (status & DSBSTATUS_PLAYING) ? 1 : 0;
    if (*wasPlaying) SoundBufferStop(slot);
}

void PauseSoundRecord(SoundRecord* record, int pause) {
    for (int i = 0; i < kMaxSoundBuffers; ++i)
        PauseSoundSlot(&record->buffers[i], &record->pauseTaken[i], &record->wasPlaying[i], pause);
}
