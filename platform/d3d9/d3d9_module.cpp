// Registration of "d3d9.dll" in the module registry and of DirectDraw 7 in the COM class registry.
#include "platform/com/class_registry.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/d3d9_control.h"
#include "platform/d3d9/ddraw.h"
#include "platform/kernel/module_registry.h"

void RegisterD3D9Modules() {
    RegisterPlatformModule(
        "d3d9.dll", {{"Direct3DCreate9", &Direct3DCreate9}, {"Direct3DCreate9Ex", &Direct3DCreate9Ex}});
    SetPlatformExportAbsent("d3d9.dll", "Direct3DCreate9Ex", !D3D9ExAvailable());
    RegisterComClass(CLSID_DirectDraw7, &CreateDirectDraw7Object);
}
