#include "game/frame/input_mask.h"

#include "engine/core/input/input.h"
#include "game/frame/game_state.h"
#include "game/frame/key_config.h"
#include "game/frame/replay_file.h"

uint32_t inputNow = 0;
uint32_t inputPrev = 0;
uint8_t inputEnabled = 1;
uint32_t scriptedInput = 0;

namespace {

constexpr int kPad1 = 1;
constexpr int kKeyCount = 256;

// A key code from a foreign settings file or replay may lie outside the key table: never pressed.
bool KeyDown(const char* states, int32_t keyCode) {
    return keyCode >= 0 && keyCode < kKeyCount && states[keyCode] == 1;
}

uint32_t HatBits(uint32_t pov) {
    uint32_t bits = 0;
    if (pov == 31500 || pov == 0 || pov == 4500) bits |= kInputUp;
    if (pov == 4500 || pov == 9000 || pov == 13500) bits |= kInputRight;
    if (pov == 13500 || pov == 18000 || pov == 22500) bits |= kInputDown;
    if (pov == 22500 || pov == 27000 || pov == 31500) bits |= kInputLeft;
    return bits;
}

uint32_t DeviceMask() {
    uint32_t mask = static_cast<uint32_t>(GetPadButtonMask(kPad1));
    PadRawState pad;
    GetPadRawState(kPad1, &pad);
    char keys[kKeyCount];
    GetAllKeyStates(keys);
    const KeyConfig& k = keyConfig;
    const struct {
        int32_t key;
        uint32_t bit;
    } actions[] = {
        {k.keyDown, kInputDown},
        {k.keyLeft, kInputLeft},
        {k.keyRight, kInputRight},
        {k.keyUp, kInputUp},
        {k.keyAttack, static_cast<uint32_t>(k.padAttack)},
        {k.keyJump, static_cast<uint32_t>(k.padJump)},
        {k.keyBomb, static_cast<uint32_t>(k.padBomb)},
        {k.keyBoost, static_cast<uint32_t>(k.padBoost)},
        {k.keyStart, static_cast<uint32_t>(k.padStart)},
    };
    for (const auto& action : actions) {
        if (KeyDown(keys, action.key)) mask |= action.bit;
    }
    return mask | HatBits(pad.rgdwPOV[0]);
}

}  // namespace

void PollInput(bool record) {
    inputPrev = inputNow;
    if (inputEnabled == 0) {
        inputNow = scriptedInput;
        scriptedInput = 0;
    } else {
        inputNow = DeviceMask();
    }
    if (record && runFrame >= 0 && runFrame < kReplayCapacity) {
        replayBuffer.masks[runFrame] = inputNow;
        replayBuffer.lastIndex = runFrame;
    }
}
