// winmm's joystick functions over the pads: joystick id n is the n-th attached pad. Axes run 0..65535
// with the centre at 32768; X, Y, Z, R, U, V are the joystick view's X, Y, Z, Rz, Rx, Ry.
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/dinput/pad_devices.h"
#include "platform/user/winmm.h"

namespace {

constexpr UINT kPadMaxJoysticks = 16;
constexpr int kAxisOfField[6] = {0, 1, 2, 5, 3, 4};  // X, Y, Z, R, U, V
constexpr UINT kCapOfField[6] = {0, 0, JOYCAPS_HASZ, JOYCAPS_HASR, JOYCAPS_HASU, JOYCAPS_HASV};

bool PadOfJoystick(UINT_PTR joystick, PadDeviceInfo* info) {
    std::vector<PadDeviceInfo> pads = ListPads();
    if (joystick >= pads.size()) return false;
    *info = pads[joystick];
    return true;
}

DWORD Position(int32_t axis) {
    return DWORD(axis + 32768);
}

}  // namespace

MMRESULT WINAPI joyGetDevCapsA(UINT_PTR joystick, void* caps, UINT size) {
    if (!caps || size < sizeof(JOYCAPSA)) return JOYERR_PARMS;
    PadDeviceInfo info;
    if (!PadOfJoystick(joystick, &info)) return JOYERR_PARMS;
    PadJoystickView view = JoystickViewOf(info, PadReading{});
    JOYCAPSA out = {};
    std::snprintf(out.szPname, sizeof(out.szPname), "%s", info.name.c_str());
    out.wXmax = out.wYmax = out.wZmax = out.wRmax = out.wUmax = out.wVmax = 65535;
    out.wNumButtons = UINT(view.buttonCount);
    out.wMaxButtons = kPadMaxButtons;
    out.wPeriodMin = 10;
    out.wPeriodMax = 1000;
    out.wMaxAxes = 6;
    for (int field = 0; field < 6; ++field) {
        if (!view.hasAxis[kAxisOfField[field]]) continue;
        out.wCaps |= kCapOfField[field];
        ++out.wNumAxes;
    }
    if (view.hatCount > 0) out.wCaps |= JOYCAPS_HASPOV | JOYCAPS_POVCTS;
    std::memcpy(caps, &out, sizeof(out));
    return JOYERR_NOERROR;
}

MMRESULT WINAPI joyGetPosEx(UINT joystick, LPJOYINFOEX info) {
    if (!info || info->dwSize != sizeof(JOYINFOEX)) return JOYERR_PARMS;
    PadDeviceInfo pad;
    if (joystick >= kPadMaxJoysticks) return JOYERR_PARMS;
    if (!PadOfJoystick(joystick, &pad)) return JOYERR_UNPLUGGED;
    PadReading reading;
    if (!ReadPad(pad.id, &reading)) return JOYERR_UNPLUGGED;
    PadJoystickView view = JoystickViewOf(pad, reading);
    DWORD* fields[6] = {&info->dwXpos, &info->dwYpos, &info->dwZpos,
                        &info->dwRpos, &info->dwUpos, &info->dwVpos};
    for (int field = 0; field < 6; ++field)
        *fields[field] = view.hasAxis[kAxisOfField[field]] ? Position(view.axes[kAxisOfField[field]]) : 32768;
    info->dwButtons = 0;
    info->dwButtonNumber = 0;
    for (int button = 0; button < view.buttonCount; ++button) {
        if (!view.buttons[button]) continue;
        info->dwButtons |= 1u << button;
        ++info->dwButtonNumber;
    }
    info->dwPOV = view.hatCount > 0 && view.hats[0] >= 0 ? DWORD(view.hats[0]) : JOY_POVCENTERED;
    return JOYERR_NOERROR;
}
