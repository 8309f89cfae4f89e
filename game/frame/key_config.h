// The player's control assignment: the pad bits of the five buttons and the key codes of all nine
// actions.
#pragma once

#include <cstdint>

struct KeyConfig {
    int32_t padAttack, padJump, padBoost, padBomb, padStart;
    int32_t keyDown, keyLeft, keyRight, keyUp;
    int32_t keyAttack, keyJump, keyBoost, keyBomb, keyStart;
};

constexpr KeyConfig kDefaultKeyConfig = {16, 32, 512, 64, 128, 208, 203, 205, 200, 44, 45, 46, 30, 57};

extern KeyConfig keyConfig;
