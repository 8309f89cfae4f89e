#include "engine/graphics/device/direct3d_system.h"

#include "engine/graphics/device/device_capabilities.h"

Direct3DSystem direct3DSystem;
int Direct3DMode;

D3DCAPS9 DeviceCaps;
DeviceCapabilityFlags deviceCapabilityFlags;
DeviceFormatTable deviceFormatTable;
IDirect3DSurface9 *BackBufferSurface;

int HasD3DDevice() { return direct3DSystem.device != nullptr ? 1 : 0; }
