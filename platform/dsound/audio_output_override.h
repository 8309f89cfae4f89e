// Test control of the output choice: replaces KORVALUND_AUDIO for outputs opened from now on
// (same texts, plus "manual" and "manual:<file.wav>"); null goes back to the environment.
#pragma once

void SetAudioOutputOverride(const char* text);
