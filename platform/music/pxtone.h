// The music-player library "pxtone.dll" as the game calls it: one tune at a time, read from a
// ".pttune" file (PTTUNE.md), synthesised at the rate given to pxtone_Ready and streamed through
// DirectSound. Every call is safe without a device or without a tune; results are TRUE on success.
#pragma once

#include "platform/kernel/win_types.h"

// Called with each block of samples before it is streamed (may be null); FALSE stops the tune.
typedef BOOL (*PxtonePlayCallback)(int32_t position);

// Opens the output: channels 1 or 2, a rate of 11025, 22050 or 44100 (others are taken as given
// between 8000 and 48000), 8 or 16 bits, a stream buffer of bufferSeconds (at least 20 ms).
BOOL pxtone_Ready(HWND window, int channels, int sampleRate, int bitsPerSample, float bufferSeconds,
                  BOOL directSound, PxtonePlayCallback callback);
// Releases the output and opens it again with new values; the loaded tune is stopped and kept.
BOOL pxtone_Reset(HWND window, int channels, int sampleRate, int bitsPerSample, float bufferSeconds,
                  BOOL directSound, PxtonePlayCallback callback);
// Stops and frees everything.
BOOL pxtone_Release();

// Loads a tune: from the file at path when module is null, else not supported (FALSE). Replaces the
// tune loaded before.
BOOL pxtone_Tune_Load(HMODULE module, const char* resourceType, const char* path);
BOOL pxtone_Tune_Release();
// Plays the loaded tune from startSample (samples at the output rate), fading in over fadeInMs.
BOOL pxtone_Tune_Start(int32_t startSample, int32_t fadeInMs);
// Stops the tune; the sample position it had reached.
int32_t pxtone_Tune_Stop();
// Fades the playing tune to silence over milliseconds, then stops it (it stays loaded).
BOOL pxtone_Tune_Fadeout(int32_t milliseconds);
// Whether the tune starts again at its loop point when it ends (the default) or stops there.
void pxtone_Tune_SetLoop(BOOL loop);
// The tune's volume, 0.0 to 1.0 (1.0 at start); the previous value.
float pxtone_Tune_SetVolume(float volume);
