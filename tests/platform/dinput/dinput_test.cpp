#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/com/ole32.h"
#include "platform/dinput/dinput.h"
#include "platform/dinput/input_device.h"
#include "platform/dinput/pad_devices.h"
#include "platform/dinput/xinput.h"
#include "platform/host/host.h"
#include "platform/kernel/module_registry.h"
#include "platform/user/winmm.h"

namespace {

template <typename Interface>
void ReleaseAll(std::initializer_list<Interface*> objects) {
    for (Interface* object : objects)
        if (object) object->Release();
}

class DirectInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetHostKind(HostKind::kHeadless);
        HostResetForTests();
        DetachAllScriptedPads();
        ResetPlatformTestSwitches();
        ASSERT_EQ(CoCreateInstance(CLSID_DirectInput8, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectInput8A,
                                   reinterpret_cast<void**>(&input_)),
                  S_OK);
        ASSERT_EQ(input_->Initialize(nullptr, 0x800), DI_OK);
    }
    void TearDown() override {
        input_->Release();
        DetachAllScriptedPads();
        HostResetForTests();
    }
    static void Key(uint8_t dik, bool down) {
        HostEvent event;
        event.kind = HostEventKind::kKey;
        event.dik = dik;
        event.down = down;
        HostInjectEvent(event);
    }
    static uint32_t AttachJoystick(const char* name, int axes, bool rumble = false) {
        PadDeviceInfo info;
        info.name = name;
        info.axes = axes;
        info.buttons = 8;
        info.hats = 1;
        info.rumble = rumble;
        return AttachScriptedPad(info);
    }
    static uint32_t AttachGamepad() {
        PadDeviceInfo info;
        info.gamepad = true;
        info.name = "Scripted Gamepad";
        info.rumble = true;
        return AttachScriptedPad(info);
    }
    IDirectInputDevice8A* Create(REFGUID guid) {
        IDirectInputDevice8A* device = nullptr;
        EXPECT_EQ(input_->CreateDevice(guid, &device, nullptr), DI_OK);
        return device;
    }
    IDirectInput8A* input_ = nullptr;
};

TEST_F(DirectInputTest, VersionsAreCheckedAtInitialise) {
    IDirectInput7A* seven = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_DirectInput, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectInput7A,
                               reinterpret_cast<void**>(&seven)),
              S_OK);
    void* device = nullptr;
    EXPECT_EQ(seven->CreateDeviceEx(GUID_SysKeyboard, IID_IDirectInputDevice7A, &device, nullptr),
              DIERR_NOTINITIALIZED);
    EXPECT_EQ(seven->Initialize(nullptr, 0x800), DIERR_BETADIRECTINPUTVERSION);
    EXPECT_EQ(seven->Initialize(nullptr, 0x500), DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(seven->Initialize(nullptr, 0x700), DI_OK);
    EXPECT_EQ(seven->CreateDeviceEx(GUID_SysKeyboard, IID_IDirectInputDevice7A, &device, nullptr), DI_OK);
    ASSERT_NE(device, nullptr);
    static_cast<IDirectInputDevice7A*>(device)->Release();
    seven->Release();
}

TEST_F(DirectInputTest, KeyboardBuffersOneHundredEventsThenReportsOverflow) {
    IDirectInputDevice8A* keyboard = Create(GUID_SysKeyboard);
    ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    DIPROPDWORD size = {{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 100};
    ASSERT_EQ(keyboard->SetProperty(DIPROP_BUFFERSIZE, &size.diph), DI_OK);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(keyboard->SetEventNotification(event), DI_OK);
    Key(0x10, true);  // before the acquire: not buffered
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    for (int i = 0; i < 51; ++i) {
        Key(0x1E, true);
        Key(0x1E, false);
    }
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);

    DIDEVICEOBJECTDATA data[120];
    DWORD count = 2;
    EXPECT_EQ(keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data, &count, DIGDD_PEEK),
              DI_BUFFEROVERFLOW);
    EXPECT_EQ(count, 2u);
    count = 120;
    EXPECT_EQ(keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data, &count, 0), DI_BUFFEROVERFLOW);
    ASSERT_EQ(count, 100u);
    EXPECT_EQ(data[0].dwOfs, 0x1Eu);
    EXPECT_EQ(data[0].dwData, 0x80u);
    EXPECT_EQ(data[1].dwData, 0u);
    EXPECT_LT(data[0].dwSequence, data[1].dwSequence);
    count = 120;
    EXPECT_EQ(keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data, &count, 0), DI_OK);
    EXPECT_EQ(count, 0u);

    uint8_t keys[256];
    EXPECT_EQ(keyboard->GetDeviceState(255, keys), DIERR_INVALIDPARAM);
    ASSERT_EQ(keyboard->GetDeviceState(256, keys), DI_OK);
    EXPECT_EQ(keys[0x10], 0x80);
    EXPECT_EQ(keys[0x1E], 0);
    keyboard->Unacquire();
    EXPECT_EQ(keyboard->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
    keyboard->Release();
    CloseHandle(event);
}

TEST_F(DirectInputTest, EnumerationNamesXInputPadsAsXboxControllersAndStops) {
    AttachJoystick("Stick One", 2);
    AttachGamepad();
    AttachJoystick("Stick Two", 2);
    std::vector<std::string> names;
    auto collect = [](LPCDIDEVICEINSTANCEA instance, LPVOID context) -> BOOL {
        auto* list = static_cast<std::vector<std::string>*>(context);
        list->push_back(instance->tszInstanceName);
        return list->size() < 2 ? DIENUM_CONTINUE : DIENUM_STOP;
    };
    ASSERT_EQ(input_->EnumDevices(DI8DEVCLASS_GAMECTRL, collect, &names, DIEDFL_ATTACHEDONLY), DI_OK);
    EXPECT_EQ(names, (std::vector<std::string>{"Stick One", "Controller (XBOX 360 For Windows)"}));
}

TEST_F(DirectInputTest, JoystickRangesDeadZonesAndMissingAxes) {
    uint32_t pad = AttachJoystick("Two Axes", 2);
    PadReading reading;
    reading.axes[0] = -32768;
    reading.axes[1] = 16384;
    reading.hats[0] = kHatLeft;
    reading.buttons[7] = 1;
    SetScriptedPadReading(pad, reading);
    IDirectInputDevice8A* stick = Create(PadInstanceGuid(pad));
    ASSERT_EQ(stick->SetDataFormat(&c_dfDIJoystick), DI_OK);
    DIPROPRANGE range = {{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, -1000, 1000};
    EXPECT_EQ(stick->SetProperty(DIPROP_RANGE, &range.diph), DI_OK);
    range.diph.dwObj = DIJOFS_Y;
    EXPECT_EQ(stick->SetProperty(DIPROP_RANGE, &range.diph), DI_OK);
    range.diph.dwObj = DIJOFS_Z;
    EXPECT_TRUE(FAILED(stick->SetProperty(DIPROP_RANGE, &range.diph)));
    DIPROPDWORD zone = {{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), DIJOFS_Y, DIPH_BYOFFSET}, 6000};
    EXPECT_EQ(stick->SetProperty(DIPROP_DEADZONE, &zone.diph), DI_OK);
    EXPECT_EQ(stick->SetEventNotification(nullptr), DI_POLLEDDEVICE);
    DIJOYSTATE state;
    EXPECT_EQ(stick->GetDeviceState(sizeof(state), &state), DIERR_NOTACQUIRED);
    ASSERT_EQ(stick->Acquire(), DI_OK);
    ASSERT_EQ(stick->Poll(), DI_OK);
    ASSERT_EQ(stick->GetDeviceState(sizeof(state), &state), DI_OK);
    EXPECT_EQ(state.lX, -1000);
    EXPECT_EQ(state.lY, 0);  // half deflection is inside a 60% dead zone
    EXPECT_EQ(state.lZ, 0);
    EXPECT_EQ(state.rgdwPOV[0], 27000u);
    EXPECT_EQ(state.rgdwPOV[1], 0xFFFFFFFFu);
    EXPECT_EQ(state.rgbButtons[7], 0x80);
    DetachScriptedPad(pad);
    EXPECT_EQ(stick->GetDeviceState(sizeof(state), &state), DIERR_INPUTLOST);
    stick->Release();
}

TEST_F(DirectInputTest, EffectsDriveTheMotorsAndStopWhenReleased) {
    uint32_t pad = AttachJoystick("Rumble Stick", 2, true);
    uint32_t still = AttachJoystick("Still Stick", 2, false);
    IDirectInputDevice8A* stick = Create(PadInstanceGuid(pad));
    DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
    LONG direction[2] = {0, 0};
    DICONSTANTFORCE constant = {10000};
    DIEFFECT force = {sizeof(DIEFFECT),
                      DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS,
                      INFINITE,
                      0,
                      5000,
                      DIEB_NOTRIGGER,
                      0,
                      2,
                      axes,
                      direction,
                      nullptr,
                      sizeof(constant),
                      &constant,
                      0};
    IDirectInputEffect* effect = nullptr;
    ASSERT_EQ(stick->CreateEffect(GUID_ConstantForce, &force, &effect, nullptr), DI_OK);
    ASSERT_EQ(effect->Start(1, 0), DI_OK);
    uint16_t low = 0, high = 0;
    ASSERT_TRUE(ScriptedPadRumble(pad, &low, &high));
    EXPECT_EQ(low, 32767);  // full magnitude at half gain
    EXPECT_EQ(high, 0);
    effect->Release();
    ASSERT_TRUE(ScriptedPadRumble(pad, &low, &high));
    EXPECT_EQ(low, 0);
    IDirectInputDevice8A* quiet = Create(PadInstanceGuid(still));
    EXPECT_EQ(quiet->CreateEffect(GUID_ConstantForce, &force, &effect, nullptr), DIERR_UNSUPPORTED);
    EXPECT_EQ(effect, nullptr);
    ReleaseAll({stick, quiet});
}

TEST(XInput, StatesPacketsAndAbsentPads) {
    SetHostKind(HostKind::kHeadless);
    DetachAllScriptedPads();
    XINPUT_STATE state;
    EXPECT_EQ(XInputGetState(0, &state), DWORD(ERROR_DEVICE_NOT_CONNECTED));
    PadDeviceInfo info;
    info.gamepad = true;
    uint32_t pad = AttachScriptedPad(info);
    PadReading reading;
    reading.axes[kPadLeftY] = 32767;  // down
    reading.axes[kPadRightTrigger] = 32767;
    reading.buttons[kPadB] = 1;
    SetScriptedPadReading(pad, reading);
    ASSERT_EQ(XInputGetState(0, &state), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(state.Gamepad.sThumbLY, -32768);
    EXPECT_EQ(state.Gamepad.bRightTrigger, 255);
    EXPECT_EQ(state.Gamepad.wButtons, XINPUT_GAMEPAD_B);
    const DWORD packet = state.dwPacketNumber;
    ASSERT_EQ(XInputGetState(0, &state), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(state.dwPacketNumber, packet);
    reading.buttons[kPadB] = 0;
    SetScriptedPadReading(pad, reading);
    ASSERT_EQ(XInputGetState(0, &state), DWORD(ERROR_SUCCESS));
    EXPECT_NE(state.dwPacketNumber, packet);
    EXPECT_EQ(XInputGetState(1, &state), DWORD(ERROR_DEVICE_NOT_CONNECTED));
    DetachAllScriptedPads();
}

TEST(WinmmJoystick, CapsPositionsAndACentredHat) {
    SetHostKind(HostKind::kHeadless);
    DetachAllScriptedPads();
    JOYCAPSA caps;
    EXPECT_EQ(joyGetDevCapsA(0, &caps, sizeof(caps)), UINT(JOYERR_PARMS));
    PadDeviceInfo info;
    info.name = "Six Axes";
    info.axes = 6;
    info.buttons = 4;
    info.hats = 1;
    uint32_t pad = AttachScriptedPad(info);
    ASSERT_EQ(joyGetDevCapsA(0, &caps, sizeof(caps)), UINT(JOYERR_NOERROR));
    EXPECT_EQ(caps.wCaps & (JOYCAPS_HASZ | JOYCAPS_HASR), UINT(JOYCAPS_HASZ | JOYCAPS_HASR));
    EXPECT_EQ(caps.wNumButtons, 4u);
    EXPECT_STREQ(caps.szPname, "Six Axes");
    PadReading reading;
    reading.axes[0] = -32768;
    reading.axes[5] = 32767;  // Rz: winmm's rudder
    reading.buttons[3] = 1;
    SetScriptedPadReading(pad, reading);
    JOYINFOEX position = {};
    position.dwSize = sizeof(position);
    position.dwFlags = JOY_RETURNALL;
    ASSERT_EQ(joyGetPosEx(0, &position), UINT(JOYERR_NOERROR));
    EXPECT_EQ(position.dwXpos, 0u);
    EXPECT_EQ(position.dwRpos, 65535u);
    EXPECT_EQ(position.dwButtons, 8u);
    EXPECT_EQ(position.dwPOV, DWORD(JOY_POVCENTERED));
    position.dwSize = 4;
    EXPECT_EQ(joyGetPosEx(0, &position), UINT(JOYERR_PARMS));
    DetachAllScriptedPads();
}

TEST(PadHat, OctantsFromHatBits) {
    const struct {
        uint8_t bits;
        int32_t angle;
    } cases[] = {{0, -1},
                 {kHatUp, 0},
                 {kHatUp | kHatRight, 4500},
                 {kHatRight, 9000},
                 {kHatRight | kHatDown, 13500},
                 {kHatDown, 18000},
                 {kHatDown | kHatLeft, 22500},
                 {kHatLeft, 27000},
                 {kHatLeft | kHatUp, 31500},
                 {kHatUp | kHatDown, -1}};
    for (const auto& c : cases) EXPECT_EQ(HatAngleOf(c.bits), c.angle) << int(c.bits);
}

}  // namespace
