#include <cstring>

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/millisecond_clock.h"
#include "input_fixture.h"
#include "platform/user/user32.h"

namespace {

struct XInputStickCase {
    int16_t value;
    int32_t x;  // not inverted
    int32_t y;  // inverted
};

TEST(XInputConversion, SticksAtTheEndsCentreAndDeadZoneEdge) {
    // The default dead zone 22937 (0.35) is 11468 of the stick's 32767.
    const XInputStickCase cases[] = {
        {-32768, -1000, 1000}, {32767, 1000, -1000}, {0, 0, 0},          {11468, 0, 0},
        {-11468, 0, 0},        {11469, 0, 0},        {22118, 500, -500}, {-22118, -500, 500},
    };
    for (const XInputStickCase& c : cases) {
        EXPECT_EQ(XInputStickAxis(c.value, kDefaultPadDeadZone, false), c.x) << c.value;
        EXPECT_EQ(XInputStickAxis(c.value, kDefaultPadDeadZone, true), c.y) << c.value;
    }
}

TEST(XInputConversion, TriggersAtOrBelow89GiveNothing) {
    EXPECT_EQ(XInputTriggerAxis(89, 0, kDefaultPadDeadZone), 0);
    EXPECT_EQ(XInputTriggerAxis(0, 89, kDefaultPadDeadZone), 0);
    EXPECT_EQ(XInputTriggerAxis(90, 0, kDefaultPadDeadZone), 6);  // (90 - 89) * 1000 / 166
    EXPECT_EQ(XInputTriggerAxis(255, 0, kDefaultPadDeadZone), 1000);
    EXPECT_EQ(XInputTriggerAxis(0, 255, kDefaultPadDeadZone), -1000);
    EXPECT_EQ(XInputTriggerAxis(255, 255, kDefaultPadDeadZone), 0);
}

TEST(XInputConversion, HatOctantsAndContradictions) {
    const struct {
        uint16_t bits;
        uint32_t pov;
    } cases[] = {
        {0, 0xFFFFFFFF},     {1, 0},         {1 | 8, 4500},    {8, 9000},      {8 | 2, 13500},
        {2, 18000},          {2 | 4, 22500}, {4, 27000},       {4 | 1, 31500}, {1 | 2, 0},
        {4 | 8, 9000}, {1 | 4 | 8, 4500}, {15, 4500},
    };
    for (const auto& c : cases) EXPECT_EQ(XInputPov(c.bits), c.pov) << c.bits;
}

TEST(XInputConversion, ButtonsAndOtherHatsOfARecord) {
    JoypadRecord pad = {};
    pad.deadZone = kDefaultPadDeadZone;
    pad.xinputState.Gamepad.wButtons = XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_START | XINPUT_GAMEPAD_RIGHT_THUMB;
    ConvertXInputState(&pad);
    const uint8_t expected[10] = {0x80, 0, 0, 0, 0, 0, 0, 0x80, 0, 0x80};
    EXPECT_EQ(std::memcmp(pad.state.rgbButtons, expected, 10), 0);
    EXPECT_EQ(pad.state.rgdwPOV[0], 0xFFFFFFFFu);
    EXPECT_EQ(pad.state.rgdwPOV[3], 0xFFFFFFFFu);
}

TEST(JoystickFunctionConversion, EndsCentreAndDeadZone) {
    EXPECT_EQ(JoystickFunctionAxis(0, kDefaultPadDeadZone), -1000);
    EXPECT_EQ(JoystickFunctionAxis(32767, kDefaultPadDeadZone), 0);
    EXPECT_EQ(JoystickFunctionAxis(65535, kDefaultPadDeadZone), 1000);
    EXPECT_EQ(JoystickFunctionAxis(32768 + 11468, kDefaultPadDeadZone), 0);  // inside the dead zone
    EXPECT_EQ(JoystickFunctionAxis(21300 - 10650, kDefaultPadDeadZone), -500);
    EXPECT_EQ(JoystickFunctionAxis(32768, 0), 0);
}

TEST_F(InputTest, KeyCodeMapFollowsGetKeyboardState) {
    size_t rows = 0;
    while (KeyCodeMap[rows].virtualKey != 0xFFFF) ++rows;
    EXPECT_EQ(rows, 100u);

    SetVirtualKeyDown(VK_RETURN, true);
    SetVirtualKeyDown(0x71, true);  // F2
    NextMillisecond();
    ASSERT_EQ(UpdateKeyboardState(0), 1);
    EXPECT_EQ(inputState.keyboardState[0x1C] & 0x80, 0x80);  // Return
    EXPECT_EQ(inputState.keyboardState[0x9C] & 0x80, 0x80);  // numeric pad Enter
    EXPECT_EQ(inputState.keyboardState[60] & 0x80, 0x80);    // F2
    EXPECT_EQ(inputState.keyboardState[59] & 0x80, 0);       // F1
    // The same millisecond reads nothing new.
    SetVirtualKeyDown(VK_RETURN, false);
    EXPECT_EQ(UpdateKeyboardState(0), 0);
    EXPECT_EQ(inputState.keyboardState[0x1C] & 0x80, 0x80);
    NextMillisecond();
    EXPECT_EQ(UpdateKeyboardState(0), 1);
    EXPECT_EQ(inputState.keyboardState[0x1C] & 0x80, 0);
}

TEST_F(InputTest, PadKeyMapDefaultsAreSetOnceAndSurviveARestart) {
    StartWithoutDirectInput();
    const int expected[14][2] = {{0x50, 0xD0}, {0x4B, 0xCB}, {0x4D, 0xCD}, {0x48, 0xC8}, {0x2C, -1},
                                 {0x2D, -1},   {0x2E, -1},   {0x1E, -1},   {0x1F, -1},   {0x20, -1},
                                 {0x10, -1},   {0x11, -1},   {0x01, -1},   {0x39, -1}};
    for (int bit = 0; bit < 32; ++bit) {
        const int32_t* slots = inputState.padKeyMap[0][bit];
        EXPECT_EQ(slots[0], bit < 14 ? expected[bit][0] : -1) << bit;
        EXPECT_EQ(slots[1], bit < 14 ? expected[bit][1] : -1) << bit;
        EXPECT_EQ(slots[2], 0);
        EXPECT_EQ(slots[3], 0);
        EXPECT_EQ(inputState.padKeyMap[5][bit][0], -1);
    }
    inputState.padKeyMap[0][4][0] = 0x2D;  // a changed key stays across end and start
    EndInput();
    ASSERT_EQ(InitInput(), 0);
    EXPECT_EQ(inputState.padKeyMap[0][4][0], 0x2D);
    EXPECT_EQ(inputState.noDirectInput, 1);
}

TEST_F(InputTest, PadMaskWithoutPadsReadsTheKeyboardOnlyThroughTheMap) {
    StartWithoutDirectInput();
    ASSERT_EQ(inputState.padCount, 0);
    SetVirtualKeyDown(VK_LEFT, true);
    SetVirtualKeyDown('Z', true);
    NextMillisecond();
    EXPECT_EQ(GetPadButtonMask(1), 0);
    NextMillisecond();
    EXPECT_EQ(GetPadButtonMask(kInputTypeKeyboard), (1 << 1) | (1 << 4));
    NextMillisecond();
    EXPECT_EQ(GetPadButtonMask(kInputTypeKeyboard | 1), (1 << 1) | (1 << 4));
    EXPECT_EQ(GetPadButtonMask(kInputTypeKeyboard | 17), 0);
}

TEST_F(InputTest, QueryBeforeStartStartsInputAndAnswersWithTheStart) {
    SetComClassFailing(CLSID_DirectInput, true);
    SetComClassFailing(CLSID_DirectInput8, true);
    SetVirtualKeyDown(VK_ESCAPE, true);
    EXPECT_EQ(GetKeyState1(0x01), 0);  // InitInput's result
    EXPECT_EQ(inputState.directInput, kInputWithoutDirectInput);
    NextMillisecond();
    EXPECT_EQ(GetKeyState1(0x01), 1);
    char keys[256];
    NextMillisecond();
    EXPECT_EQ(GetAllKeyStates(keys), 0);
    EXPECT_EQ(keys[0x01], 1);
    EXPECT_EQ(keys[0x02], 0);
}

TEST_F(InputTest, JoystickFunctionPadsReportCentredHats) {
    uint32_t stick = AttachJoystick("Scripted Stick", 6, 12, 1);
    PadReading reading;
    reading.axes[0] = -32768;
    reading.axes[1] = 32767;
    reading.buttons[2] = 1;
    reading.hats[0] = kHatUp;
    SetScriptedPadReading(stick, reading);
    StartWithoutDirectInput();
    ASSERT_EQ(inputState.padCount, 1);
    EXPECT_EQ(inputState.pads[0].hasZAndR, 1u);

    PadRawState state;
    NextMillisecond();
    ASSERT_EQ(GetPadRawState(1, &state), 0);
    EXPECT_EQ(state.lX, -1000);
    EXPECT_EQ(state.lY, 1000);
    EXPECT_EQ(state.rgbButtons[2], 0x80);
    for (uint32_t pov : state.rgdwPOV) EXPECT_EQ(pov, kPovCentred);
    NextMillisecond();
    EXPECT_EQ(GetPadButtonMask(1), (1 << 1) | (1 << 0) | (1 << 6));

    // A failed read clears the state but keeps the hats centred.
    DetachScriptedPad(stick);
    NextMillisecond();
    ASSERT_EQ(GetPadRawState(1, &state), 0);
    EXPECT_EQ(state.lX, 0);
    for (uint32_t pov : state.rgdwPOV) EXPECT_EQ(pov, kPovCentred);
}

TEST_F(InputTest, RawStateOfAMissingPadIsZeroWithCentredHats) {
    StartWithoutDirectInput();
    PadRawState state;
    std::memset(&state, 0x55, sizeof(state));
    EXPECT_EQ(GetPadRawState(3, &state), -1);
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.rgbButtons[31], 0);
    for (uint32_t pov : state.rgdwPOV) EXPECT_EQ(pov, kPovCentred);
    EXPECT_EQ(GetPadRawState(3, nullptr), -1);
}

TEST_F(InputTest, XInputPadsComeFirstAndXboxNamedControllersAreSkipped) {
    uint32_t plain = AttachJoystick("Scripted Stick");
    uint32_t gamepad = AttachGamepad();
    (void)plain;
    ASSERT_EQ(InitInput(), 0);
    ASSERT_NE(inputState.directInput, nullptr);
    ASSERT_NE(inputState.directInput, kInputWithoutDirectInput);
    EXPECT_EQ(inputState.directInputVersion, 0);
    ASSERT_EQ(inputState.padCount, 2);
    EXPECT_EQ(inputState.pads[0].xinputPad, 0);
    EXPECT_EQ(inputState.pads[1].xinputPad, -1);
    EXPECT_STREQ(inputState.pads[1].instanceName, "Scripted Stick");

    PadReading reading;
    reading.axes[kPadLeftX] = -32768;
    reading.axes[kPadLeftY] = -32768;  // up
    reading.buttons[kPadA] = 1;
    reading.buttons[kPadDpadDown] = 1;
    reading.buttons[kPadDpadLeft] = 1;
    SetScriptedPadReading(gamepad, reading);
    PadRawState state;
    NextMillisecond();
    ASSERT_EQ(GetPadRawState(1, &state), 0);
    EXPECT_EQ(state.lX, -1000);
    EXPECT_EQ(state.lY, -1000);
    EXPECT_EQ(state.rgbButtons[0], 0x80);
    EXPECT_EQ(state.rgdwPOV[0], 22500u);
    EXPECT_EQ(state.rgdwPOV[1], kPovCentred);
    NextMillisecond();
    EXPECT_EQ(GetPadButtonMask(1), (1 << 1) | (1 << 3) | (1 << 4));
}

TEST_F(InputTest, WithoutXInputTheXboxControllerIsStillNeverAdded) {
    SetPlatformModuleAbsent("xinput1_3.dll", true);
    SetPlatformModuleAbsent("xinput9_1_0.dll", true);
    AttachGamepad();
    AttachJoystick("Scripted Stick");
    ASSERT_EQ(InitInput(), 0);
    EXPECT_EQ(inputState.XInputGetState, nullptr);
    ASSERT_EQ(inputState.padCount, 1);
    EXPECT_STREQ(inputState.pads[0].instanceName, "Scripted Stick");
}

TEST_F(InputTest, DirectInputPadStateThroughRangesAndDeadZone) {
    uint32_t stick = AttachJoystick("Scripted Stick", 4, 12, 1);
    ASSERT_EQ(InitInput(), 0);
    ASSERT_EQ(inputState.padCount, 1);
    PadReading reading;
    reading.axes[0] = 32767;
    reading.axes[1] = 3000;  // inside the 35% dead zone
    reading.hats[0] = kHatRight | kHatDown;
    reading.buttons[11] = 1;
    SetScriptedPadReading(stick, reading);
    PadRawState state;
    NextMillisecond();
    ASSERT_EQ(GetPadRawState(1, &state), 0);
    EXPECT_EQ(state.lX, 1000);
    EXPECT_EQ(state.lY, 0);
    EXPECT_EQ(state.rgdwPOV[0], 13500u);
    EXPECT_EQ(state.rgdwPOV[1], kPovCentred);
    EXPECT_EQ(state.rgbButtons[11], 0x80);
}

TEST_F(InputTest, TheSeventeenthControllerIsNotEnumerated) {
    for (int i = 0; i < 18; ++i) AttachJoystick("Scripted Stick");
    ASSERT_EQ(InitInput(), 0);
    EXPECT_EQ(inputState.padCount, kMaxJoypads);
}

TEST_F(InputTest, DirectInput8TakesOverWhenSevenFailsToInitialise) {
    SetPlatformCallFailing("DirectInput7Initialize", true);
    AttachJoystick("Scripted Stick");
    ASSERT_EQ(InitInput(), 0);
    EXPECT_EQ(inputState.directInputVersion, 1);
    EXPECT_EQ(inputState.padCount, 1);
    EXPECT_NE(inputState.keyboard, nullptr);
}

TEST_F(InputTest, KeyboardEventFailureEndsTheStartWithMinusOne) {
    SetPlatformCallFailing("KeyboardEventNotification", true);
    EXPECT_EQ(InitInput(), -1);
    EXPECT_EQ(inputState.starting, 0);
}

TEST_F(InputTest, DirectInputKeyboardBeforeVistaOverridesRightShift) {
    GetSystemInformation().osVersionCode = OS_WINXP;
    ASSERT_EQ(InitInput(), 0);
    HostEvent event;
    event.kind = HostEventKind::kKey;
    event.dik = 0x1E;  // A
    event.down = true;
    HostInjectEvent(event);
    NextMillisecond();
    ASSERT_EQ(UpdateKeyboardState(0), 1);
    EXPECT_EQ(inputState.keyboardState[0x1E] & 0x80, 0x80);
    EXPECT_EQ(inputState.keyboardState[0x36] & 0x80, 0);
    SetVirtualKeyDown(VK_RSHIFT, true);
    NextMillisecond();
    ASSERT_EQ(UpdateKeyboardState(0), 1);
    EXPECT_EQ(inputState.keyboardState[0x36] & 0x80, 0x80);
}

TEST_F(InputTest, XInputVibrationSpeedsAndTimer) {
    uint32_t gamepad = AttachGamepad();
    libraryState.run.active = 1;
    ASSERT_EQ(InitInput(), 0);
    JoypadRecord& pad = inputState.pads[0];
    ASSERT_EQ(pad.xinputPad, 0);
    pad.vibrationOn = 1;
    pad.vibrationPower = 2500;
    pad.vibrationDuration = 5;
    pad.lastVibrationTime = uint32_t(GetMillisecondCount());
    UpdatePadVibrationTimers();
    uint16_t low = 0, high = 0;
    ASSERT_TRUE(ScriptedPadRumble(gamepad, &low, &high));
    EXPECT_EQ(low, 32767);
    EXPECT_EQ(high, 0);
    AdvanceVirtualClock(5000000);
    UpdatePadVibrationTimers();
    EXPECT_EQ(pad.vibrationOn, 0u);
    ASSERT_TRUE(ScriptedPadRumble(gamepad, &low, &high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 0);
    libraryState.run.active = 0;
}

}  // namespace
