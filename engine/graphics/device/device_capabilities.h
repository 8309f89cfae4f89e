// What the capability probe found: the device's capabilities, the flags derived
// from them, the format chosen for every kind of surface, and the back buffer
// held for present, capture and lock.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"

struct DeviceCapabilityFlags {
    int32_t tempRegister;        // texture stages may write the temporary register
    int32_t nativeSubtractive;   // the blend operation (reverse subtract) is honoured
    int32_t nonPow2Conditional;  // non-power-of-two textures under conditions
    int32_t pow2Required;        // textures must be powers of two
    int32_t maxTextureWidth;     // 256 where the device reported 0
    int32_t maxTextureHeight;
    int32_t maxTextureSize;  // the smaller of the two
    int32_t maxPrimitiveCount;
    int32_t renderTargetSlots;  // at most 16
    int32_t vertexShader2;      // vertex shader 2.0 or above
    int32_t pixelShader2;       // pixel shader 2.0 or above
    int32_t backBufferLock;     // the capture reads the back buffer by a direct lock
};

// One Direct3D format code per purpose, 0 where none was found.
struct DeviceFormatTable {
    int32_t display;
    int32_t depth;
    int32_t texture16;
    int32_t texture32;
    int32_t textureAlpha16;
    int32_t textureAlpha32;
    int32_t textureAlphaTest16;
    int32_t textureAlphaTest32;
    int32_t textureDxt[5];  // DXT1 to DXT5, or their fallbacks
    int32_t target16;
    int32_t target32;
    int32_t targetAlpha32;
    int32_t targetAbgrInt16;
    int32_t targetAbgrFloat16;
    int32_t targetAbgrFloat32;
    int32_t targetOneInt8;
    int32_t targetOneInt16;
    int32_t targetOneFloat16;
    int32_t targetOneFloat32;
    int32_t targetTwoInt8;
    int32_t targetTwoInt16;
    int32_t targetTwoFloat16;
    int32_t targetTwoFloat32;
    int32_t screenTarget;     // the render-target format of the screen's colour depth
    int32_t screenAlphaTest;  // the alpha-test texture format of the screen's
                              // colour depth
};

extern D3DCAPS9 DeviceCaps;
extern DeviceCapabilityFlags deviceCapabilityFlags;
extern DeviceFormatTable deviceFormatTable;
// Back buffer 0 of swap chain 0, held until the device is released.
extern IDirect3DSurface9* BackBufferSurface;
