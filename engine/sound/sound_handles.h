// Sound handles (handle type 3): the record lookup, the type's callbacks, and the loads.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/core/memory/handle_manager.h"
#include "engine/sound/sound_record.h"

// The record of a valid sound handle; null without a DirectSound object, for an invalid handle, or,
// outside an asynchronous job (fromJob 0), while a load is pending on it.
SoundRecord* GetSoundRecord(int handle, int fromJob);

int InitSoundRecord(HandleHeader* data);
// The type's delete callback: 1 keeps a stream sound that other handles still play through.
int ReleaseSoundRecord(HandleHeader* data);

void GetSoundLoadSettings(SoundLoadSettings* settings);
int LoadSoundCore(const SoundLoadSettings* settings, const char* path, int bufferCount, int joinHandle,
                  int async, int fromJob);
int LoadSoundSync(SoundLoadSettings* settings, int handle, const char* path, int bufferCount, int joinHandle,
                  int fromJob);
// The whole file in new tracked memory (free with TrackedFree).
int LoadFileToMemory(const char* path, void** data, uint32_t* size);
int CreateSoundFromFileImage(SoundLoadSettings* settings, int handle, const void* data, uint32_t size,
                             int bufferCount, int joinHandle, int fromJob);
// Whole sounds of this many seconds or fewer stay in buffers; longer ones become stream sounds.
constexpr uint32_t kLongestBufferedSeconds = 180;
