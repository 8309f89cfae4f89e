// "setting.dat": music quality, sound effects, screen mode and the control assignment.
#pragma once

#include <cstdint>

#include "game/frame/key_config.h"

constexpr const char* kSettingsFileName = "setting.dat";
constexpr int kSettingsFileSize = 62;

extern uint8_t bgmQuality;  // 0 off, 1 11025 Hz, 2 22050 Hz, 3 44100 Hz
extern uint8_t soundEffectsOn;
extern int32_t screenModeSetting;  // 1 window, 0 full screen

void ResetSettingsToDefaults();
// A missing file leaves the settings as they are; a short one fills the whole fields it holds.
void LoadSettings();
// Skipped while a replay plays. Written safely (safe_save.h): false, with the failure reported and
// the old file kept, when the save fails.
bool SaveSettings();
// The music player's sample rate for a music quality (44100 for anything but 1 and 2).
int MusicSampleRate(uint8_t quality);
