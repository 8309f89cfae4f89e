// The input module on the headless host with the virtual clock and scripted pads, the system libraries
// loaded, and the Windows version the library records set to one after Vista.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/frame/system_functions.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/input/keyboard_pad_input.h"
#include "platform/com/class_registry.h"
#include "platform/dinput/pad_devices.h"
#include "platform/host/host.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/module_registry.h"
#include "platform/user/keyboard_state.h"
#include "platform/user/user_test_support.h"

class InputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetHostKind(HostKind::kHeadless);
        SetClockMode(ClockMode::kVirtual);
        ResetWindowStandInForTests();
        ResetKeyboardStateForTests();
        DetachAllScriptedPads();
        ResetPlatformTestSwitches();
        LoadSystemLibraries();
        savedOs_ = GetSystemInformation().osVersionCode;
        GetSystemInformation().osVersionCode = OS_WIN7;
        ClearInput();
    }
    void TearDown() override {
        ClearInput();
        DetachAllScriptedPads();
        ResetPlatformTestSwitches();
        SetComClassFailing(CLSID_DirectInput, false);
        SetComClassFailing(CLSID_DirectInput8, false);
        ResetKeyboardStateForTests();
        GetSystemInformation().osVersionCode = savedOs_;
    }
    static void ClearInput() {
        EndInput();
        std::memset(&inputState, 0, sizeof(inputState));
    }
    static void NextMillisecond() { AdvanceVirtualClock(1000000); }
    // Input started on the joystick functions (no DirectInput).
    static void StartWithoutDirectInput() {
        SetComClassFailing(CLSID_DirectInput, true);
        SetComClassFailing(CLSID_DirectInput8, true);
        ASSERT_EQ(InitInput(), 0);
        ASSERT_EQ(inputState.directInput, kInputWithoutDirectInput);
    }
    static uint32_t AttachGamepad() {
        PadDeviceInfo info;
        info.gamepad = true;
        info.name = "Scripted Gamepad";
        info.rumble = true;
        return AttachScriptedPad(info);
    }
    static uint32_t AttachJoystick(const char* name, int axes = 4, int buttons = 12, int hats = 1) {
        PadDeviceInfo info;
        info.name = name;
        info.axes = axes;
        info.buttons = buttons;
        info.hats = hats;
        return AttachScriptedPad(info);
    }

  private:
    int savedOs_ = 0;
};
