// The game's sound effects by index and its one music tune at a time.
#pragma once

constexpr int kSoundEffectCount = 34;

void LoadSoundEffects();
void PlaySoundEffect(int id);
void StopAllSoundEffects();
void SetAllSoundEffectVolumes(int volume);
void ChangeBgm(const char* path, int loop);
void StopBgm();
