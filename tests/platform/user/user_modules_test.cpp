#include <gtest/gtest.h>

#include "platform/kernel/module_registry.h"
#include "platform/user/winmm.h"

namespace {

// What the library looks up by name at init, and what it calls through those pointers.
TEST(UserModulesTest, TheLibrarysRunTimeLookupsFindTheStandIns) {
    const std::pair<const char*, std::vector<const char*>> modules[] = {
        {"winmm.dll",
         {"timeSetEvent", "timeKillEvent", "timeBeginPeriod", "timeEndPeriod", "timeGetTime",
          "timeGetDevCaps", "joyGetPosEx", "joyGetDevCapsA", "mciSendCommandA"}},
        {"User32.dll", {"WINNLSEnableIME", "UpdateLayeredWindow"}},
        {"dwmapi.dll", {"DwmEnableComposition"}},
        {"comctl32.dll", {"InitCommonControls"}},
        {"shell32.dll", {"DragQueryFileA", "DragFinish"}},
    };
    for (const auto& [dll, names] : modules) {
        HMODULE module = LoadLibraryA(dll);
        ASSERT_NE(module, nullptr) << dll;
        for (const char* name : names) EXPECT_NE(GetProcAddress(module, name), nullptr) << dll << " " << name;
        FreeLibrary(module);
    }
    HMODULE winmm = LoadLibraryA("winmm.dll");
    auto get_caps =
        reinterpret_cast<MMRESULT(WINAPI*)(LPTIMECAPS, UINT)>(GetProcAddress(winmm, "timeGetDevCaps"));
    TIMECAPS caps{};
    EXPECT_EQ(get_caps(&caps, sizeof(caps)), static_cast<MMRESULT>(TIMERR_NOERROR));
    EXPECT_EQ(caps.wPeriodMin, 1u);
    EXPECT_EQ(timeBeginPeriod(caps.wPeriodMin), static_cast<MMRESULT>(TIMERR_NOERROR));
    EXPECT_EQ(timeBeginPeriod(0), static_cast<MMRESULT>(TIMERR_NOCANDO));
    JOYINFOEX joystick{};
    joystick.dwSize = sizeof(joystick);
    EXPECT_EQ(joyGetPosEx(0, &joystick), static_cast<MMRESULT>(JOYERR_UNPLUGGED));
    FreeLibrary(winmm);
}

}  // namespace
