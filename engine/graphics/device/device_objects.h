// Device-wide objects every draw relies on: the depth buffer that goes with the screen.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"

struct DeviceObjects {
    IDirect3DSurface9* depthBuffer;
    int32_t depthWidth;  // powers of two covering the screen
    int32_t depthHeight;
};

extern DeviceObjects deviceObjects;

// The smallest power of two not below size; 1 below 2.
int DepthEdge(int size);
// Makes the depth buffer for the screen, sets it and clears it. 0, or -1 without a device or on failure.
int CreateDepthBuffer();
// Null-safe; clears the reference. 0.
int ReleaseDepthBuffer();
