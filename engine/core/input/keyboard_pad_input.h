// The input module's state and its inner steps: DirectInput (7, else 8), the buffered keyboard, up to 16
// pads (XInput pads first, then DirectInput game controllers, or the winmm joystick functions without
// DirectInput), the keyboard state by DirectInput key code and the pad-to-key map. The public queries
// are in engine/core/input.h.
#pragma once

#include <cstdint>

#include "engine/core/input/input.h"
#include "platform/dinput/dinput.h"
#include "platform/dinput/xinput.h"

constexpr int kMaxJoypads = 16;
constexpr int kPadKeyMapButtons = 32;
constexpr int kPadKeyMapSlots = 4;
constexpr DWORD kDefaultPadDeadZone = 22937;  // 0.35 as a 16.16 fraction
constexpr int kDefaultVibrationPower = 10000;

struct JoypadRecord {
    int32_t xinputPad;  // 0-3, or -1 for a DirectInput or joystick-function pad
    XINPUT_STATE xinputState;
    IDirectInputDevice7A* device;
    IDirectInputEffect* constantForce;
    IDirectInputEffect* sineEffect;
    HANDLE event;
    DIJOYSTATE state;
    uint32_t hasZAndR;
    uint32_t lastUpdateTime;
    uint32_t vibrationOn;
    int32_t vibrationPower;
    int32_t vibrationDuration;  // ms; below 0 endless
    uint32_t vibrationElapsed;
    uint32_t lastVibrationTime;
    uint32_t motor1Applied;
    uint32_t motor2Applied;
    char instanceName[MAX_PATH];
    char productName[MAX_PATH];
    uint32_t deadZone;
};

typedef DWORD(WINAPI* XInputGetStateFunction)(DWORD userIndex, XINPUT_STATE* state);
typedef DWORD(WINAPI* XInputSetStateFunction)(DWORD userIndex, XINPUT_VIBRATION* vibration);

// The all-ones interface value: input started without DirectInput.
inline void* const kInputWithoutDirectInput = reinterpret_cast<void*>(~uintptr_t(0));

struct InputState {
    HMODULE xinputModule;
    XInputGetStateFunction XInputGetState;
    XInputSetStateFunction XInputSetState;
    int noDirectInput;       // survives InitInput's clearing
    int directInputVersion;  // 0: version 7, 1: version 8
    void* directInput;       // IDirectInput7A or IDirectInput8A; null not started; kInputWithoutDirectInput
    IDirectInputDevice7A* mouse;
    IDirectInputDevice7A* keyboard;
    HANDLE keyboardEvent;
    int lastKeyboardTime;
    uint8_t keyboardState[256];  // by DirectInput key code, bit 7 down
    int32_t padKeyMap[kMaxJoypads][kPadKeyMapButtons][kPadKeyMapSlots];  // survives InitInput's clearing
    int padKeyMapSet;                                                    // survives InitInput's clearing
    int padCount;
    JoypadRecord pads[kMaxJoypads];
    int starting;
    int updating;
};

extern InputState inputState;

// Virtual key to DirectInput key code, for the keyboard read through GetKeyboardState; ended by a row of
// 0xFFFF.
struct KeyCodeRow {
    uint16_t virtualKey;
    uint16_t dik;
};
extern const KeyCodeRow KeyCodeMap[];

// The joystick-state view of input types (pad number 1-16, optionally | kInputTypeKeyboard).
int InitJoypads();
int EndJoypads();
BOOL CALLBACK EnumJoypadCallback(LPCDIDEVICEINSTANCEA instance, LPVOID context);
int UpdateJoypadState(int padIndex);
int StopPadVibration(int inputType);

// Conversions of the pad readings (exposed for their tests).
// A winmm axis position (0-65535) with a 16.16 dead zone -> -1000..1000.
int32_t JoystickFunctionAxis(uint32_t raw, uint32_t deadZone);
// An XInput stick value with a 16.16 dead zone -> -1000..1000 (inverted for Y and Ry).
int32_t XInputStickAxis(int16_t value, uint32_t deadZone, bool inverted);
// Z from the two triggers with a 16.16 dead zone.
int32_t XInputTriggerAxis(uint8_t left, uint8_t right, uint32_t deadZone);
// POV 0 of XInput direction bits (up 1, down 2, left 4, right 8); 0xFFFFFFFF centred.
uint32_t XInputPov(uint16_t buttons);
// Fills the record's joystick state from its XInput packet.
void ConvertXInputState(JoypadRecord* pad);
