// Keyboard and pad queries of the library's input module. Key codes are DirectInput key codes (0 to
// 255); an input type is a pad number 1 to 16, optionally or-ed with kInputTypeKeyboard.
#pragma once

#include <cstdint>

constexpr int kInputTypeKeyboard = 0x1000;
constexpr uint32_t kPovCentred = 0xFFFFFFFFu;

// A pad's raw state in the joystick-state layout: axes -1000 to 1000, point-of-view hats in hundredths
// of a degree (kPovCentred when centred), buttons 0x80 when down.
struct PadRawState {
    int32_t lX, lY, lZ;
    int32_t lRx, lRy, lRz;
    int32_t rglSlider[2];
    uint32_t rgdwPOV[4];
    uint8_t rgbButtons[32];
};

// 1 when the key is down, else 0.
int GetKeyState1(int keyCode);
// Fills 256 entries, 1 for a key that is down and 0 otherwise; returns 0.
int GetAllKeyStates(char* states);
// Bit 0 down, 1 left, 2 right, 3 up, bits 4 to 27 the pad's buttons 0 to 23.
int GetPadButtonMask(int inputType);
// Copies the pad's state; -1 (zeroed state, centred hats) for a pad that does not exist.
int GetPadRawState(int inputType, PadRawState* state);

// The input module's life cycle and the calls the message pump and the window make.
int InitInput();  // 0, or -1 when the keyboard can't be set up
int EndInput();
// Refreshes the keyboard state; with pumpFirst 1 the message pump runs first. 1 when refreshed.
int UpdateKeyboardState(int pumpFirst);
int UpdatePadVibrationTimers();
int ApplyJoypadVibration();
// The window's activation changed: the devices take their cooperative levels again.
int OnInputActivationChange();
// The two window flags of the private messages 0x46F (A) and 0x470 (B).
int PrivateMessageFlagAOn();
int PrivateMessageFlagAOff();
int PrivateMessageFlagBOn();
int PrivateMessageFlagBOff();
