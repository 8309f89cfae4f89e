// Stream sounds: a sound handle whose one buffer holds a second of audio and is refilled while it
// plays, from up to three sources played one after the other. The stream thread (or the pump on a
// one-processor machine) refills them every 10 ms.
#pragma once

#include <cstdint>

#include "engine/sound/sound_record.h"
#include "platform/kernel/kernel32.h"

// Adds one source read through `stream` to the handle (the first makes it a stream sound, joined to
// `joinHandle` when that is a stream of the same format). *owned is 1 when the source keeps its own
// copy, so that the caller may close its stream. 0 or -1.
int AddSreamSound(SoundLoadSettings* settings, const StreamDescriptor* stream, int loopCount, int handle,
                  int dataKind, int* owned, int joinHandle, int fromJob);
int AddStreamSoundFile(SoundLoadSettings* settings, const char* path, int loopCount, int handle, int dataKind,
                       int joinHandle, int fromJob);
int AddStreamSoundMemory(SoundLoadSettings* settings, const void* data, uint32_t size, int loopCount,
                         int handle, int dataKind, int joinHandle, int fromJob);
// PCM wrapped in a RIFF WAVE image in new tracked memory.
int MakeWaveFileImage(void** image, uint32_t* size, const WAVEFORMATEX* format, uint32_t formatSize,
                      const void* pcm, uint32_t pcmSize);

// Takes the buffer over, positions the current source and makes the first fill.
void PrepareStreamSound(int handle, int fromJob);
// 0, or -1 for an invalid handle or when no refill is due.
int RefillStreamSound(int handle, int fromJob);
int PlayStreamSound(int handle, int playType, int fromTop);
int StopStreamSound(int handle);
int IsStreamSoundPlaying(int handle);
// 1 once the last byte of a stream that does not loop has been played (until it plays again), else 0;
// -1 for a handle that is not a stream sound.
int HasStreamSoundEnded(int handle);
// Milliseconds played, at most the total time of all sources.
int GetStreamPlayTime(int handle);
// Releases every source of the handle (closing a kept caller's stream).
void ReleaseStreamSources(SoundRecord* record);
// The stream branch of the sound type's delete callback: 1 keeps a handle others still play through.
int ReleaseStreamSound(SoundRecord* record);

DWORD WINAPI SoundStreamThreadMain(LPVOID parameter);
