// The game's sound effects by index and its one music tune at a time.
#pragma once

#include <cstdint>

enum SoundEffectId : int {
    kSeCursor = 0,
    kSeJump,
    kSeBreak,
    kSeBoost,
    kSeFail,
    kSeLand,
    kSeKnife,
    kSeRecover,
    kSe1Up,
    kSeElement,
    kSeBombGet,
    kSeBomb,
    kSeDamage,
    kSeCheck,
    kSeExplode,
    kSeSlide,
    kSeImpact,
    kSeInvalid,
    kSeShot,
    kSeShutter,
    kSeSwitch,
    kSeFire,
    kSeCock,
    kSeFire2,
    kSeCharge,
    kSeLaser,
    kSeOpen,
    kSeClash,
    kSeQuake,
    kSeFunka,
    kSeUfo,
    kSeTalk,
    kSeFunka2,
    kSeReturn,
    kSoundEffectCount
};

// Sound handles and volumes (0-255) by effect id.
extern int32_t soundEffects[kSoundEffectCount];
extern int32_t soundEffectVolume[kSoundEffectCount];

// "./data/se/<name>.ogg" for every effect, three buffers each; every volume 255.
void LoadSoundEffects();
// Restarts the effect from the beginning, when effects are on and its volume is at least 1.
void PlaySoundEffect(int id);
// Whether PlaySoundEffect would play the effect now.
bool SoundEffectAudible(int id);
void StopAllSoundEffects();
void SetAllSoundEffectVolumes(int volume);
// Sets one effect's volume (0-255) on its sound and in the volume table.
void SetSoundEffectVolume(int id, int volume);

// Plays the tune at path (looping when loop is 1) unless it is the one playing; nothing is loaded while
// music is off.
void ChangeBgm(const char* path, int loop);
void StopBgm();
// Fades the tune out over three seconds without releasing it; a later ChangeBgm to it starts it anew.
void FadeOutBgm();
// After the music quality changed: the player opened again at the quality's rate (not for 0).
void ResetBgmQuality();
