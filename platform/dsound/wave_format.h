// The wave format record that DirectSound, the Audio Compression Manager and the sound code share.
// Packed as on Windows: 18 bytes, the extra size last.
#pragma once

#include "platform/kernel/win_types.h"

#ifndef KORVALUND_WAVEFORMATEX_DEFINED
#define KORVALUND_WAVEFORMATEX_DEFINED

#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

typedef WAVEFORMATEX* LPWAVEFORMATEX;
typedef const WAVEFORMATEX* LPCWAVEFORMATEX;

#define WAVE_FORMAT_PCM 1
#define WAVE_FORMAT_IEEE_FLOAT 3

#endif
