// Draw-state preparation: before a Direct3D kernel appends vertices, the render-state cache is brought
// in line with the draw settings for that one draw.
#pragma once

#include <cstdint>

// What a kernel needs of the device for one draw.
enum DrawFlags : uint32_t {
    kDrawTransparent = 0x1,
    kDrawOneToOne = 0x2,
    kDrawGouraud = 0x8,
    kDrawColourModulation = 0x20,
    kDrawBlendingOn = 0x40,
    kDrawFog = 0x80,
    kDrawSkipStageInputs = 0x100,
    kDrawLit = 0x200,
    kDrawSpecular = 0x400,
    kDrawDepth3D = 0x800,
    kDrawAddressing = 0x1000,
    kDrawKeepShaders = 0x2000,
    kDrawCulling = 0x4000,
    kDrawAlphaChannel = 0x8000,
    kDrawAlphaTest = 0x10000,
    kDrawPassThrough = 0x20000,
};

// What was last prepared. Cleared when a scene begins.
struct DrawStateLatch {
    uintptr_t texture;
    uint32_t flags;
    int32_t statesChanged;  // set by every cache setter that changes a device state
};

extern DrawStateLatch drawStateLatch;

// 1 when a kernel must prepare: states changed, another texture or other flags.
inline int DrawStatesNeedPreparing(uintptr_t texture, uint32_t flags) {
    return drawStateLatch.statesChanged != 0 || drawStateLatch.texture != texture ||
           drawStateLatch.flags != flags;
}

// texture: the Direct3D texture of the graphic's first tile, or 0 for an untextured draw.
void PrepareDrawStates(uintptr_t texture, uint32_t flags);
// Writes the whole cache back to the device in force mode. Nothing without a device.
void ApplyAllDeviceStates();
