// Device-wide objects every draw relies on: the depth buffer that goes with the screen, and the sub back
// buffer that drawing can be moved onto.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"

struct DeviceObjects {
    IDirect3DSurface9* depthBuffer;
    int32_t depthWidth;  // powers of two covering the screen
    int32_t depthHeight;
    IDirect3DSurface9* subBackBuffer;  // null until first needed
};

extern DeviceObjects deviceObjects;

// The smallest power of two not below size; 1 below 2.
int DepthEdge(int size);
// Makes the depth buffer for the screen, sets it and clears it. 0, or -1 without a device or on failure.
int CreateDepthBuffer();
// Null-safe; clears the reference. 0.
int ReleaseDepthBuffer();
// A render target of the screen size in the display format with the device's multisampling, not
// lockable. 0, or -1 without a device or on failure.
int CreateSubBackBuffer();
// Null-safe; clears the reference. 0.
int ReleaseSubBackBuffer();
// Null while none exists.
IDirect3DSurface9* GetSubBackBuffer();
