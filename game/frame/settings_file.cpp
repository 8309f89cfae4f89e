#include "game/frame/settings_file.h"

#include "game/frame/binary_file.h"
#include "game/frame/game_state.h"
#include "game/frame/safe_save.h"

uint8_t bgmQuality = 3;
uint8_t soundEffectsOn = 1;
int32_t screenModeSetting = 1;
KeyConfig keyConfig = kDefaultKeyConfig;

namespace {

// The key assignment in the order of the settings file.
int32_t* const kFileOrder[] = {
    &keyConfig.padAttack, &keyConfig.padJump,  &keyConfig.padBoost, &keyConfig.padBomb,  &keyConfig.padStart,
    &keyConfig.keyLeft,   &keyConfig.keyRight, &keyConfig.keyUp,    &keyConfig.keyDown,  &keyConfig.keyAttack,
    &keyConfig.keyJump,   &keyConfig.keyBoost, &keyConfig.keyBomb,  &keyConfig.keyStart,
};

}  // namespace

void ResetSettingsToDefaults() {
    bgmQuality = 3;
    soundEffectsOn = 1;
    screenModeSetting = 1;
    keyConfig = kDefaultKeyConfig;
}

void LoadSettings() {
    BinaryFile file(kSettingsFileName, BinaryFile::Mode::kRead);
    if (!file.IsOpen()) return;
    if (!file.ReadU8(&bgmQuality) || !file.ReadU8(&soundEffectsOn) || !file.ReadI32(&screenModeSetting))
        return;
    for (int32_t* field : kFileOrder) {
        if (!file.ReadI32(field)) return;
    }
}

bool SaveSettings() {
    if (playbackFlag) return true;
    FileImage file;
    file.WriteU8(bgmQuality);
    file.WriteU8(soundEffectsOn);
    file.WriteI32(screenModeSetting);
    for (const int32_t* field : kFileOrder) file.WriteI32(*field);
    return ReplaceFileSafely(kSettingsFileName, file);
}

int MusicSampleRate(uint8_t quality) {
    if (quality == 1) return 11025;
    if (quality == 2) return 22050;
    return 44100;
}
