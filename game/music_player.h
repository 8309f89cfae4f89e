// The calls the game makes to the closed music-player library.
#pragma once

#include "platform/kernel/win_types.h"

constexpr double kMusicVolume = 0.6;

int pxtone_Ready(HWND window, int channels, int sampleRate, int bits, float bufferSeconds, int directSound,
                 void* callback);
int pxtone_Release();
int pxtone_Tune_SetVolume(float volume);
int pxtone_Tune_Stop();
int pxtone_Tune_Release();
