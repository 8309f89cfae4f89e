// The kernel's entries in the module registry: kernel32 itself and the millisecond clock of winmm
// (other winmm entries come from the user-interface stand-ins).
#include "platform/kernel/kernel32.h"
#include "platform/kernel/module_registry.h"

void RegisterKernelModules() {
    RegisterPlatformModule("kernel32.dll", {
                                               {"GetProcAddress", &GetProcAddress},
                                               {"LoadLibraryA", &LoadLibraryA},
                                               {"FreeLibrary", &FreeLibrary},
                                               {"GetSystemInfo", &GetSystemInfo},
                                               {"Sleep", &Sleep},
                                               {"GlobalMemoryStatusEx", &GlobalMemoryStatusEx},
                                           });
    RegisterPlatformModule("winmm.dll", {{"timeGetTime", &timeGetTime}});
}
