// The entry points of the window stand-in's modules that the library loads by name.
#include "platform/kernel/module_registry.h"
#include "platform/user/comctl32.h"
#include "platform/user/dwmapi.h"
#include "platform/user/shell32.h"
#include "platform/user/user32.h"
#include "platform/user/winmm.h"

void RegisterUserModules() {
    RegisterPlatformModule(
        "user32.dll", {{"UpdateLayeredWindow", &UpdateLayeredWindow}, {"WINNLSEnableIME", &WINNLSEnableIME}});
    RegisterPlatformModule("winmm.dll", {{"timeSetEvent", &timeSetEvent},
                                         {"timeKillEvent", &timeKillEvent},
                                         {"timeBeginPeriod", &timeBeginPeriod},
                                         {"timeEndPeriod", &timeEndPeriod},
                                         {"timeGetTime", &timeGetTime},
                                         {"timeGetDevCaps", &timeGetDevCaps},
                                         {"joyGetPosEx", &joyGetPosEx},
                                         {"joyGetDevCapsA", &joyGetDevCapsA},
                                         {"mciSendCommandA", &mciSendCommandA}});
    RegisterPlatformModule("shell32.dll", {{"DragQueryFileA", &DragQueryFileA},
                                           {"DragQueryPoint", &DragQueryPoint},
                                           {"DragFinish", &DragFinish},
                                           {"DragAcceptFiles", &DragAcceptFiles}});
    RegisterPlatformModule("dwmapi.dll", {{"DwmEnableComposition", &DwmEnableComposition}});
    RegisterPlatformModule("comctl32.dll", {{"InitCommonControls", &InitCommonControls}});
}
