#include "game/sound_text/sound_effects.h"

#include <cstdio>
#include <cstring>

#include "engine/core/frame/window_mode.h"
#include "engine/sound/sound.h"
#include "game/frame/game_state.h"
#include "game/frame/settings_file.h"
#include "game/sound_text/music_player.h"

namespace {

constexpr int kBuffersPerEffect = 3;
constexpr int kFullVolume = 255;
constexpr int kPlayInBackground = 1;
constexpr int kFadeOutMilliseconds = 3000;

constexpr const char* kEffectNames[kSoundEffectCount] = {
    "cursol",  "jump",    "break",  "boost",  "fail",  "land",    "knife",  "recover", "1up",
    "element", "bombget", "bomb",   "damage", "check", "explode", "slide",  "impact",  "invalid",
    "shot",    "shutter", "switch", "fire",   "cock",  "fire2",   "charge", "laser",   "open",
    "clash",   "quake",   "funka",  "ufo",    "talk",  "funka2",  "return"};

bool IsEffect(int id) {
    return id >= 0 && id < kSoundEffectCount;
}

}  // namespace

int32_t soundEffects[kSoundEffectCount] = {};
int32_t soundEffectVolume[kSoundEffectCount] = {};

void LoadSoundEffects() {
    for (int id = 0; id < kSoundEffectCount; ++id) {
        char path[64];
        std::snprintf(path, sizeof(path), "./data/se/%s.ogg", kEffectNames[id]);
        soundEffects[id] = LoadSoundFile(path, kBuffersPerEffect, -1);
    }
    for (int32_t& volume : soundEffectVolume) volume = kFullVolume;
}

bool SoundEffectAudible(int id) {
    return IsEffect(id) && soundEffectsOn == 1 && soundEffectVolume[id] >= 1;
}

void PlaySoundEffect(int id) {
    if (!SoundEffectAudible(id)) return;
    StopSoundHandle(soundEffects[id]);
    PlaySoundHandle(soundEffects[id], kPlayInBackground, 1);
}

void StopAllSoundEffects() {
    for (int32_t handle : soundEffects) StopSoundHandle(handle);
}

void SetAllSoundEffectVolumes(int volume) {
    for (int id = 0; id < kSoundEffectCount; ++id) {
        SetSoundVolume(volume, soundEffects[id]);
        soundEffectVolume[id] = volume;
    }
}

void SetSoundEffectVolume(int id, int volume) {
    if (!IsEffect(id)) return;
    SetSoundVolume(volume, soundEffects[id]);
    soundEffectVolume[id] = volume;
}

void ChangeBgm(const char* path, int loop) {
    if (path == nullptr || std::strcmp(path, currentTune) == 0) return;
    StopBgm();
    if (bgmQuality == 0) return;
    pxtone_Tune_SetLoop(loop);
    pxtone_Tune_Load(nullptr, nullptr, path);
    pxtone_Tune_Start(0, 0);
    std::snprintf(currentTune, sizeof(currentTune), "%s", path);
}

void StopBgm() {
    pxtone_Tune_Stop();
    pxtone_Tune_Release();
    currentTune[0] = '\0';
}

void FadeOutBgm() {
    pxtone_Tune_Fadeout(kFadeOutMilliseconds);
    currentTune[0] = '\0';
}

void ResetBgmQuality() {
    if (bgmQuality >= 1 && bgmQuality <= 3) {
        pxtone_Reset(GetMainWindowHandle(), 1, MusicSampleRate(bgmQuality), 16, 0.1f, 1, nullptr);
    }
    pxtone_Tune_SetVolume(static_cast<float>(kMusicVolume));
}
