// Placeholder for the keyboard and pad module until it lands: the keyboard is read from the window
// stand-in's key state through GetKeyboardState, there are no pads and nothing vibrates. The input module
// deletes this file.
#include <cstring>

#include "engine/core/input.h"
#include "platform/user/key_codes.h"
#include "platform/user/user32.h"

namespace {

int started = 0;
int flagA = 0;
int flagB = 0;
uint8_t keys[256];  // by DirectInput key code, 0x80 down

}  // namespace

int InitInput() {
    started = 1;
    return 0;
}
int EndInput() {
    started = 0;
    return 0;
}

int UpdateKeyboardState(int) {
    BYTE state[256];
    if (!GetKeyboardState(state)) return 0;
    for (int dik = 0; dik < 256; ++dik) {
        uint8_t virtualKey = VirtualKeyOfDik(uint8_t(dik));
        keys[dik] = virtualKey ? (state[virtualKey] & 0x80) : 0;
    }
    return 1;
}
int UpdatePadVibrationTimers() {
    return 0;
}
int ApplyJoypadVibration() {
    return 0;
}
int OnInputActivationChange() {
    return 0;
}
int PrivateMessageFlagAOn() {
    return flagA = 1, 0;
}
int PrivateMessageFlagAOff() {
    return flagA = 0, 0;
}
int PrivateMessageFlagBOn() {
    return flagB = 1, 0;
}
int PrivateMessageFlagBOff() {
    return flagB = 0, 0;
}

int GetKeyState1(int keyCode) {
    if (keyCode < 0 || keyCode > 255) return 0;
    UpdateKeyboardState(0);
    return (keys[keyCode] & 0x80) ? 1 : 0;
}
int GetAllKeyStates(char* states) {
    UpdateKeyboardState(0);
    for (int i = 0; i < 256; ++i) states[i] = (keys[i] & 0x80) ? 1 : 0;
    return 0;
}
int GetPadButtonMask(int inputType) {
    if (!(inputType & kInputTypeKeyboard)) return 0;
    UpdateKeyboardState(0);
    int mask = 0;
    if (keys[0xD0] & 0x80) mask |= 1;  // down arrow
    if (keys[0xCB] & 0x80) mask |= 2;  // left arrow
    if (keys[0xCD] & 0x80) mask |= 4;  // right arrow
    if (keys[0xC8] & 0x80) mask |= 8;  // up arrow
    return mask;
}
int GetPadRawState(int, PadRawState* state) {
    if (state) {
        std::memset(state, 0, sizeof(*state));
        for (uint32_t& pov : state->rgdwPOV) pov = kPovCentred;
    }
    return -1;
}
