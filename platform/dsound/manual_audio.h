// Test control of the manually clocked output: nothing plays until a test advances it.
#pragma once

#include <cstdint>
#include <vector>

class ClockedAudioOutput;

// Mixes `frames` frames on every open manual output; the number of outputs advanced.
int AdvanceManualAudioOutputs(uint32_t frames);
// The stereo samples mixed by the manual outputs since the last call, in order.
std::vector<int16_t> TakeManualAudioFrames();

void RegisterManualAudioOutput(ClockedAudioOutput* output);
void UnregisterManualAudioOutput(ClockedAudioOutput* output);
