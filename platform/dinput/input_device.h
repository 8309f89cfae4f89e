// The device objects behind IDirectInputDevice7A and IDirectInputDevice8A: the system keyboard, the
// system mouse, and one object per pad.
#pragma once

#include <cstdint>

#include "platform/dinput/dinput.h"

enum class InputDeviceKind { kKeyboard, kMouse, kJoystick };

// `version` is 0x700 or 0x800 (what the creating object was initialised with).
IDirectInputDevice8A* MakeInputDevice(InputDeviceKind kind, uint32_t padId, DWORD version);

// The instance GUID of a pad, and the pad of an instance GUID (false for any other GUID).
GUID PadInstanceGuid(uint32_t padId);
bool PadIdOfGuid(REFGUID guid, uint32_t* padId);
// Fills the device description EnumDevices and GetDeviceInfo give.
void DescribeInputDevice(InputDeviceKind kind, uint32_t padId, DWORD version, DIDEVICEINSTANCEA* instance);

// A pad axis (-32768..32767) in a range, with a dead zone in ten-thousandths of the half deflection.
LONG ScaleJoystickAxis(int32_t raw, LONG min, LONG max, DWORD deadZone);
