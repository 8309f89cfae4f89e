// XInput as the library loads it by name ("xinput1_3.dll", else "xinput9_1_0.dll"): the state and the
// vibration of up to four standard game controllers.
#pragma once

#include "platform/kernel/win_types.h"

#define XUSER_MAX_COUNT 4
#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0
#endif
#define ERROR_BAD_ARGUMENTS 160
#define ERROR_DEVICE_NOT_CONNECTED 1167

#define XINPUT_GAMEPAD_DPAD_UP 0x0001
#define XINPUT_GAMEPAD_DPAD_DOWN 0x0002
#define XINPUT_GAMEPAD_DPAD_LEFT 0x0004
#define XINPUT_GAMEPAD_DPAD_RIGHT 0x0008
#define XINPUT_GAMEPAD_START 0x0010
#define XINPUT_GAMEPAD_BACK 0x0020
#define XINPUT_GAMEPAD_LEFT_THUMB 0x0040
#define XINPUT_GAMEPAD_RIGHT_THUMB 0x0080
#define XINPUT_GAMEPAD_LEFT_SHOULDER 0x0100
#define XINPUT_GAMEPAD_RIGHT_SHOULDER 0x0200
#define XINPUT_GAMEPAD_A 0x1000
#define XINPUT_GAMEPAD_B 0x2000
#define XINPUT_GAMEPAD_X 0x4000
#define XINPUT_GAMEPAD_Y 0x8000

struct XINPUT_GAMEPAD {
    WORD wButtons;
    BYTE bLeftTrigger;  // 0-255
    BYTE bRightTrigger;
    SHORT sThumbLX;  // -32768..32767, up and right positive
    SHORT sThumbLY;
    SHORT sThumbRX;
    SHORT sThumbRY;
};

struct XINPUT_STATE {
    DWORD dwPacketNumber;  // changes whenever the state changes
    XINPUT_GAMEPAD Gamepad;
};

struct XINPUT_VIBRATION {
    WORD wLeftMotorSpeed;  // low-frequency motor
    WORD wRightMotorSpeed;
};

DWORD WINAPI XInputGetState(DWORD userIndex, XINPUT_STATE* state);
DWORD WINAPI XInputSetState(DWORD userIndex, XINPUT_VIBRATION* vibration);
