// What the stand-in reports and accepts: device capabilities from the capability profile, and the formats
// it supports for textures, render targets, depth buffers and displays.
#pragma once

#include "platform/d3d9/d3d9_control.h"
#include "platform/d3d9/shader_validation.h"

namespace d3d9 {

void FillCaps(const D3D9CapabilityProfile& profile, D3DCAPS9* caps);
// The shader versions a device of the profile runs.
ShaderModels ShaderModelsOf(const D3D9CapabilityProfile& profile);
// The six packed colour formats, and what the profile adds: the block, wide and luminance formats.
bool IsTextureFormat(const D3D9CapabilityProfile& profile, D3DFORMAT format);
// The packed formats and the wide ones (no block or luminance format is a render target).
bool IsRenderTargetFormat(const D3D9CapabilityProfile& profile, D3DFORMAT format);
// D16 (and its lockable form), and the 24- and 32-bit depth formats the profile adds.
bool IsDepthStencilFormat(const D3D9CapabilityProfile& profile, D3DFORMAT format);
bool IsDisplayFormat(D3DFORMAT format);  // X8R8G8B8, R5G6B5, X1R5G5B5
// Whether surfaces of the format can be made with the multisample type (2 or 4 samples, within the
// profile's most; the packed colour formats and the depth formats). D3DMULTISAMPLE_NONE always can.
bool MultisampleOffered(const D3D9CapabilityProfile& profile, D3DFORMAT format, D3DMULTISAMPLE_TYPE type);
bool IsPowerOfTwo(UINT v);
// The display modes listed for a display format (the same list for each).
struct DisplayModeSize {
    UINT width, height;
};
const DisplayModeSize* DisplayModes(UINT* count);

}  // namespace d3d9
