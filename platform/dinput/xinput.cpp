#include "platform/dinput/xinput.h"

#include <cstring>
#include <mutex>

#include "platform/dinput/pad_devices.h"

namespace {

struct SlotHistory {
    uint32_t pad = 0;
    XINPUT_GAMEPAD last = {};
    DWORD packet = 0;
};

std::mutex slotsMutex;
SlotHistory slots[XUSER_MAX_COUNT];

// SDL's sticks are down-positive; XInput's are up-positive. ~v maps -32768..32767 onto 32767..-32768.
SHORT Inverted(int16_t value) {
    return SHORT(~value);
}

BYTE TriggerByte(int16_t value) {
    return value <= 0 ? 0 : BYTE(value * 255 / 32767);
}

XINPUT_GAMEPAD GamepadOf(const PadReading& reading) {
    static constexpr struct {
        PadButton button;
        WORD bit;
    } kBits[] = {{kPadDpadUp, XINPUT_GAMEPAD_DPAD_UP},
                 {kPadDpadDown, XINPUT_GAMEPAD_DPAD_DOWN},
                 {kPadDpadLeft, XINPUT_GAMEPAD_DPAD_LEFT},
                 {kPadDpadRight, XINPUT_GAMEPAD_DPAD_RIGHT},
                 {kPadStart, XINPUT_GAMEPAD_START},
                 {kPadBack, XINPUT_GAMEPAD_BACK},
                 {kPadLeftStick, XINPUT_GAMEPAD_LEFT_THUMB},
                 {kPadRightStick, XINPUT_GAMEPAD_RIGHT_THUMB},
                 {kPadLeftShoulder, XINPUT_GAMEPAD_LEFT_SHOULDER},
                 {kPadRightShoulder, XINPUT_GAMEPAD_RIGHT_SHOULDER},
                 {kPadA, XINPUT_GAMEPAD_A},
                 {kPadB, XINPUT_GAMEPAD_B},
                 {kPadX, XINPUT_GAMEPAD_X},
                 {kPadY, XINPUT_GAMEPAD_Y}};
    XINPUT_GAMEPAD pad = {};
    for (const auto& entry : kBits)
        if (reading.buttons[entry.button]) pad.wButtons |= entry.bit;
    pad.bLeftTrigger = TriggerByte(reading.axes[kPadLeftTrigger]);
    pad.bRightTrigger = TriggerByte(reading.axes[kPadRightTrigger]);
    pad.sThumbLX = reading.axes[kPadLeftX];
    pad.sThumbLY = Inverted(reading.axes[kPadLeftY]);
    pad.sThumbRX = reading.axes[kPadRightX];
    pad.sThumbRY = Inverted(reading.axes[kPadRightY]);
    return pad;
}

}  // namespace

DWORD WINAPI XInputGetState(DWORD userIndex, XINPUT_STATE* state) {
    if (userIndex >= XUSER_MAX_COUNT || !state) return ERROR_BAD_ARGUMENTS;
    PadDeviceInfo info;
    PadReading reading;
    if (!XInputPadOf(int(userIndex), &info) || !ReadPad(info.id, &reading)) return ERROR_DEVICE_NOT_CONNECTED;
    XINPUT_GAMEPAD pad = GamepadOf(reading);
    std::lock_guard lock(slotsMutex);
    SlotHistory& slot = slots[userIndex];
    if (slot.pad != info.id || std::memcmp(&slot.last, &pad, sizeof(pad)) != 0) ++slot.packet;
    slot.pad = info.id;
    slot.last = pad;
    state->dwPacketNumber = slot.packet;
    state->Gamepad = pad;
    return ERROR_SUCCESS;
}

DWORD WINAPI XInputSetState(DWORD userIndex, XINPUT_VIBRATION* vibration) {
    if (userIndex >= XUSER_MAX_COUNT || !vibration) return ERROR_BAD_ARGUMENTS;
    PadDeviceInfo info;
    if (!XInputPadOf(int(userIndex), &info)) return ERROR_DEVICE_NOT_CONNECTED;
    RumblePad(info.id, vibration->wLeftMotorSpeed, vibration->wRightMotorSpeed);
    return ERROR_SUCCESS;
}
