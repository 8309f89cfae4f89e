// The buffer slots of a sound: creation and duplication through the module's DirectSound object, and
// the buffer calls, each -1 on an invalid slot or a failed call.
#pragma once

#include "engine/sound/sound_record.h"

int SoundBufferCreate(SoundBuffer* slot, const DSBUFFERDESC* desc);
int SoundBufferDuplicate(SoundBuffer* slot, const SoundBuffer* source);
int SoundBufferRelease(SoundBuffer* slot);
int SoundBufferPlay(SoundBuffer* slot, int loop);
int SoundBufferStop(SoundBuffer* slot);
int SoundBufferGetStatus(SoundBuffer* slot, DWORD* status);
int SoundBufferLock(SoundBuffer* slot, DWORD offset, DWORD bytes, void** region1, DWORD* size1,
                    void** region2, DWORD* size2);
int SoundBufferUnlock(SoundBuffer* slot, void* region1, DWORD size1, void* region2, DWORD size2);
int SoundBufferSetFrequency(SoundBuffer* slot, DWORD frequency);
int SoundBufferSetPan(SoundBuffer* slot, LONG pan);
int SoundBufferSetVolume(SoundBuffer* slot, LONG volume);
int SoundBufferGetPosition(SoundBuffer* slot, DWORD* play, DWORD* write);
int SoundBufferSetPosition(SoundBuffer* slot, DWORD position);

// Creates the buffers of a whole sound (streamFlag 0: `bufferCount` slots, the first created or taken
// from `source`, the others duplicates) or the one-second buffer of a stream sound (streamFlag 1).
int CreateSoundRecordBuffers(SoundRecord* record, SoundRecord* source, const WAVEFORMATEX* format,
                             uint32_t size, int streamFlag, int bufferCount);
// Releases every valid slot, last first.
void ReleaseSoundRecordBuffers(SoundRecord* record);

// Moves to the next buffer in turn and prepares it: 1 when it is playing and fromTop is 0 (left alone),
// 0 when it is ready to play, -1 on failure.
int SelectNextSoundBuffer(int fromTop, SoundRecord* record);
int PlaySoundRecord(SoundRecord* record, int playType, int fromTop);
int StopSoundRecord(SoundRecord* record);
int IsSoundRecordPlaying(SoundRecord* record);
int SetSoundRecordVolume(SoundRecord* record, int volume);
int GetSoundRecordPlayTime(SoundRecord* record);
// Pause 1 stops a playing slot and remembers it (once until the resume); 0 plays a remembered slot
// again with its last loop flag.
void PauseSoundSlot(SoundBuffer* slot, int* pauseTaken, int* wasPlaying, int pause);
// PauseSoundSlot over every slot of the sound.
void PauseSoundRecord(SoundRecord* record, int pause);

// The public volume 0-255 as an attenuation: 1000 x log10(volume / 255), truncated, at least -10000.
int VolumeToAttenuation(int volume);
// samples x 1000 / rate in 64-bit arithmetic, truncated.
int SamplesToMilliseconds(int64_t samples, int rate);
