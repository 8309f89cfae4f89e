// Every stand-in's registration in the module and COM class registries. Each stand-in adds one
// declaration and one call here.
#include "platform/kernel/module_registry.h"

void RegisterKernelModules();
void RegisterComModules();
void RegisterD3D9Modules();
void RegisterDirectSoundModule();
void RegisterUserModules();
void RegisterDirectInputModules();
void RegisterAcmModule();
void RegisterDirectShowModule();

void RegisterAllPlatformModules() {
    RegisterKernelModules();
    RegisterComModules();
    RegisterD3D9Modules();
    RegisterDirectSoundModule();
    RegisterUserModules();
    RegisterDirectInputModules();
    RegisterAcmModule();
    RegisterDirectShowModule();
}
