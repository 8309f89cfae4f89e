// Registration of the DirectSound stand-in: the COM class and the "DSOUND.DLL" entry points.
#include "platform/com/class_registry.h"
#include "platform/dsound/dsound.h"
#include "platform/kernel/module_registry.h"

void RegisterDirectSoundModule() {
    RegisterComClass(CLSID_DirectSound, &CreateDirectSoundInstance);
    RegisterPlatformModule("dsound.dll", {{"DirectSoundCreate", &DirectSoundCreate},
                                          {"DirectSoundEnumerateA", &DirectSoundEnumerateA}});
}
