// The process-wide Direct3D objects and the flag that chooses between the
// device and the software renderer. Every other graphics module reaches the
// device through the wrappers of device_wrappers.h.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/ddraw.h"
#include "platform/kernel/module_registry.h"

// Each object is null while absent. With the Ex interface in use, direct3D and
// direct3DEx are one object (one reference), as are device and deviceEx.
struct Direct3DSystem {
  HMODULE module;
  IDirectDraw7 *directDraw;
  IDirect3D9 *direct3D;
  IDirect3D9Ex *direct3DEx;
  IDirect3DDevice9 *device;
  IDirect3DDevice9Ex *deviceEx;
  IDirect3DSwapChain9 *swapChain;
};

extern Direct3DSystem direct3DSystem;

// 1 while drawing goes through the device, 0 while the software renderer draws.
extern int Direct3DMode;

// 1 while a device exists, else 0.
int HasD3DDevice();
