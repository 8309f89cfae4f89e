// What the stand-in reports and accepts: device capabilities from the capability profile, and the formats
// it supports for textures, render targets, depth buffers and displays.
#pragma once

#include "platform/d3d9/d3d9_control.h"
#include "platform/d3d9/shader_validation.h"

namespace d3d9 {

void FillCaps(const D3D9CapabilityProfile& profile, D3DCAPS9* caps);
// The shader versions a device of the profile runs.
ShaderModels ShaderModelsOf(const D3D9CapabilityProfile& profile);
bool IsTextureFormat(D3DFORMAT format);       // R5G6B5, X1R5G5B5, A1R5G5B5, A4R4G4B4, X8R8G8B8, A8R8G8B8
bool IsRenderTargetFormat(D3DFORMAT format);  // the same six
bool IsDisplayFormat(D3DFORMAT format);       // X8R8G8B8, R5G6B5, X1R5G5B5
bool IsPowerOfTwo(UINT v);
// The display modes listed for a display format (the same list for each).
struct DisplayModeSize {
    UINT width, height;
};
const DisplayModeSize* DisplayModes(UINT* count);

}  // namespace d3d9
