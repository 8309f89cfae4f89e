// The process-wide Direct3D objects, the settings that device creation reads, and the flag that chooses
// between the device and the software renderer. Every other graphics module reaches the device through
// the wrappers of device_wrappers.h.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/ddraw.h"
#include "platform/kernel/module_registry.h"

// Each object is null while absent. With the Ex interface in use, direct3D and direct3DEx are one object
// (one reference), as are device and deviceEx.
struct Direct3DSystem {
    HMODULE module;
    IDirectDraw7* directDraw;
    IDirect3D9* direct3D;
    IDirect3D9Ex* direct3DEx;
    IDirect3DDevice9* device;
    IDirect3DDevice9Ex* deviceEx;
    IDirect3DSwapChain9* swapChain;
};

// What device creation reads; all 0 at the start. Only the refuse-Ex flag, the multisample pair and the
// two results are written by the library itself.
struct DeviceCreationSettings {
    int32_t refuseEx;  // set once the Ex device could not be made; kept for the life of the process
    int32_t multithreaded;
    int32_t fpuPreserve;
    int32_t useAdapterOrdinal;
    int32_t adapterOrdinal;
    int32_t softwareVertexProcessing;  // forced software vertex processing
    int32_t compositionMode;           // 0 on in a window, off in full screen; 1 left on; 2 off in both
    int32_t multiSampleType;
    int32_t multiSampleQuality;
    int32_t hardwareVertexProcessing;     // result: shader 2.0 adapter and a mixed-processing device
    uint32_t adapterVertexShaderVersion;  // result: the adapter's raw vertex shader version
};

extern Direct3DSystem direct3DSystem;
extern DeviceCreationSettings deviceCreationSettings;

// 1 while drawing goes through the device, 0 while the software renderer draws.
extern int Direct3DMode;

// The Direct3D SDK version every creation passes.
constexpr UINT kDirect3DSdkVersion = 32;

// Loading and objects: 0 or -1.
int LoadDirect3D9Library();
int FreeDirect3D9Library();
int CreateDirectDrawObject();
int ReleaseDirectDrawObject();
int CreateDirect3D9Object();
int ReleaseDirect3D9Object();

// 0, -1, or -2: the Ex device could not be made; the refuse-Ex flag is set and the caller creates the
// Direct3D object again and retries.
int CreateDirect3DDevice();
int ReleaseDirect3DDevice();
// Lowers type and quality to what the adapter offers for the format and the 16-bit depth buffer. 0, or
// -1 when strict and the type is not offered (quality 0).
int ChooseMultiSampleQuality(D3DFORMAT format, int* type, int* quality, int strict);

// 1 when the object exists, else 0.
int HasDirect3D9Object();
int IsDirect3D9Ex();
int HasD3DDevice();

// The adapter device creation and the probe use.
UINT CurrentAdapter();

// The graphics load-option word (0: nothing sets it).
int GetImageLoadOptionWord(int* out);

// Tests: every object released, settings and results back to 0.
void ResetDirect3DSystemForTests();
