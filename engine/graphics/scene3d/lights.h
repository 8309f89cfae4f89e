// The lighting switch and the table of lights (handle type 11, kept apart from the handle manager):
// each light is a Direct3D light with an enabled flag; the table is written into the device before the
// next lit draw.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"

inline constexpr int kLightSlotCount = 4096;

struct LightRecord {
    int32_t check;
    int32_t handle;
    D3DLIGHT9 light;
    int32_t reserved;  // -1
    int32_t enabled;
    int32_t changed;
};

struct LightTable {
    LightRecord* slots[kLightSlotCount];
    int32_t count;
    int32_t end;  // one past the highest used slot
    int32_t nextCheck;
    int32_t defaultLight;  // -1: none
};

extern LightTable lightTable;

// 1 on, 0 off. 0.
int SetUseLighting(int flag);
// A light with the defaults, enabled; -1 when every slot is taken.
int CreateLight();
// A directional light towards the normalised (x, y, z); -1 for a zero direction or no free slot.
int CreateDirectionalLight(float x, float y, float z);
// 0, or -1 for a handle that names no light.
int DeleteLight(int handle);
// Every light but the default one. 0.
int DeleteAllLights();
// Graphics end: every light goes, the default one too. 0.
int EndLights();
// The enabled lights into the device, in slot order, lights beyond them switched off; clears the
// refresh flag. 0, or -1 without a device.
int RefreshLightTable();
// The record of a light handle, null when it names none.
LightRecord* FindLight(int handle);
