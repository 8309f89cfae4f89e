// The per-kind steps of the sound converter: refill the block (false at the end of the data), seek to
// a sample (false when the source refuses), and the converted size.
#pragma once

#include <cstdint>

#include "engine/sound/sound_converter.h"

bool RefillWaveBlock(SoundConverter* converter);
bool SeekWave(SoundConverter* converter, int sample);
int64_t WaveConvertedSize(const SoundConverter* converter);
// PCM WAVE: reads the rest of the data chunk straight into `out` (at most `size` bytes); bytes read.
uint32_t ReadWaveDataWhole(SoundConverter* converter, uint8_t* out, uint32_t size);

bool RefillOggBlock(SoundConverter* converter);
bool SeekOgg(SoundConverter* converter, int sample);

// Audio Compression Manager streams; the seek leaves the block starting at the target.
bool RefillAcmBlock(SoundConverter* converter);
bool SeekAcm(SoundConverter* converter, uint64_t target);
int64_t AcmConvertedSize(const SoundConverter* converter);
void ReleaseAcmParts(SoundConverter* converter);

bool RefillMemoryBlock(SoundConverter* converter);
bool SeekMemory(SoundConverter* converter, uint64_t target);

// Parses a RIFF WAVE header up to its data chunk (shared by the WAVE openers).
bool ParseWaveLayout(SoundConverter* converter, WAVEFORMATEX* format);
