#include "platform/d3d9/capabilities.h"

#include <cstring>

#include "platform/d3d9/channel_formats.h"
#include "platform/d3d9/multisample.h"
#include "platform/d3d9/pixel_format.h"
#include "platform/d3d9/shader_machine.h"

namespace d3d9 {

bool IsTextureFormat(const D3D9CapabilityProfile& p, D3DFORMAT f) {
    if (IsPackedFormat(f)) return true;
    if (IsBlockFormat(f)) return p.dxt_formats;
    if (IsWideFormat(f)) return p.wide_formats;
    if (f == D3DFMT_L8 || f == D3DFMT_A8L8 || f == D3DFMT_A8) return p.luminance_formats;
    return false;
}

bool IsRenderTargetFormat(const D3D9CapabilityProfile& p, D3DFORMAT f) {
    return IsPackedFormat(f) || (IsWideFormat(f) && p.wide_formats);
}

bool IsDepthStencilFormat(const D3D9CapabilityProfile& p, D3DFORMAT f) {
    if (f == D3DFMT_D16 || f == D3DFMT_D16_LOCKABLE) return true;
    return IsDepthFormat(f) && p.depth24_formats;
}

bool MultisampleOffered(const D3D9CapabilityProfile& p, D3DFORMAT f, D3DMULTISAMPLE_TYPE type) {
    if (type == D3DMULTISAMPLE_NONE) return true;
    const int samples = SampleCountOf(type);
    return samples >= 2 && DWORD(samples) <= p.multisample_samples &&
           (IsPackedFormat(f) || IsDepthStencilFormat(p, f));
}

bool IsDisplayFormat(D3DFORMAT f) {
    return f == D3DFMT_X8R8G8B8 || f == D3DFMT_R5G6B5 || f == D3DFMT_X1R5G5B5;
}

bool IsPowerOfTwo(UINT v) {
    return v != 0 && (v & (v - 1)) == 0;
}

const DisplayModeSize* DisplayModes(UINT* count) {
    static const DisplayModeSize modes[] = {{320, 240}, {640, 480}, {800, 600}, {1024, 768}};
    *count = sizeof modes / sizeof modes[0];
    return modes;
}

namespace {

// PS20Caps and VS20Caps bits and limits.
constexpr DWORD kMipFilters = 0x00010000 | 0x00020000;  // D3DPTFILTERCAPS_MIPFPOINT, MIPFLINEAR
constexpr DWORD kPs20ArbitrarySwizzle = 1, kPs20GradientInstructions = 2, kPs20Predication = 4,
                kPs20NoDependentReadLimit = 8, kPs20NoTextureInstructionLimit = 16, kVs20Predication = 1;

// What the profile's shader versions imply: the extended 2.0 pixel caps (ps_2_x) with any pixel shaders,
// the extended vertex caps only with 3.0 (vs_2_x is not run).
void FillShaderCaps(const D3D9CapabilityProfile& p, D3DCAPS9* caps) {
    const ShaderModels models = ShaderModelsOf(p);
    const DWORD filters = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MAGFPOINT |
                          D3DPTFILTERCAPS_MAGFLINEAR;
    if (models.pixel >= 0x200) {
        const DWORD ps20[5] = {kPs20ArbitrarySwizzle | kPs20GradientInstructions | kPs20Predication |
                                   kPs20NoDependentReadLimit | kPs20NoTextureInstructionLimit,
                               24, 32, 4, 512};
        std::memcpy(caps->PS20Caps, ps20, sizeof ps20);
        caps->MaxPShaderInstructionsExecuted = kShaderInstructionBudget;
        caps->VolumeTextureFilterCaps = filters | kMipFilters;
        caps->VolumeTextureAddressCaps = caps->TextureAddressCaps;
    }
    if (models.vertex >= 0x200) {
        const bool v3 = models.vertex >= 0x300;
        const DWORD vs20[4] = {v3 ? kVs20Predication : 0, v3 ? 24u : 0u, v3 ? 32u : 12u, v3 ? 4u : 1u};
        std::memcpy(caps->VS20Caps, vs20, sizeof vs20);
        caps->MaxVShaderInstructionsExecuted = kShaderInstructionBudget;
    }
    if (models.pixel >= 0x300) caps->MaxPixelShader30InstructionSlots = 32768;
    if (models.vertex >= 0x300) {
        caps->MaxVertexShader30InstructionSlots = 32768;
        caps->VertexTextureFilterCaps = filters;
    }
}

}  // namespace

ShaderModels ShaderModelsOf(const D3D9CapabilityProfile& p) {
    return {p.pixel_shader_version & 0xFFFF, p.vertex_shader_version & 0xFFFF};
}

void FillCaps(const D3D9CapabilityProfile& p, D3DCAPS9* caps) {
    std::memset(caps, 0, sizeof *caps);
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->Caps2 = D3DCAPS2_DYNAMICTEXTURES;
    caps->PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
    caps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    caps->PrimitiveMiscCaps = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW |
                              D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_SEPARATEALPHABLEND;
    if (p.blend_op) caps->PrimitiveMiscCaps |= D3DPMISCCAPS_BLENDOP;
    if (p.tss_arg_temp) caps->PrimitiveMiscCaps |= D3DPMISCCAPS_TSSARGTEMP;
    caps->RasterCaps = D3DPRASTERCAPS_SCISSORTEST;
    caps->ZCmpCaps = caps->AlphaCmpCaps = D3DPCMPCAPS_ALL;
    caps->SrcBlendCaps = caps->DestBlendCaps =
        D3DPBLENDCAPS_ZERO | D3DPBLENDCAPS_ONE | D3DPBLENDCAPS_SRCCOLOR | D3DPBLENDCAPS_INVSRCCOLOR |
        D3DPBLENDCAPS_SRCALPHA | D3DPBLENDCAPS_INVSRCALPHA | D3DPBLENDCAPS_DESTALPHA |
        D3DPBLENDCAPS_INVDESTALPHA | D3DPBLENDCAPS_DESTCOLOR | D3DPBLENDCAPS_INVDESTCOLOR |
        D3DPBLENDCAPS_SRCALPHASAT | D3DPBLENDCAPS_BLENDFACTOR;
    caps->ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB;
    caps->TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_VOLUMEMAP;
    if (p.pow2) caps->TextureCaps |= D3DPTEXTURECAPS_POW2;
    if (p.nonpow2_conditional) caps->TextureCaps |= D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
    caps->TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                              D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    caps->TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP |
                               D3DPTADDRESSCAPS_BORDER | D3DPTADDRESSCAPS_MIRRORONCE;
    caps->MaxTextureWidth = p.max_texture_width;
    caps->MaxTextureHeight = p.max_texture_height;
    caps->MaxVolumeExtent = 256;
    caps->MaxTextureRepeat = 8192;
    caps->MaxTextureAspectRatio = 0;
    caps->MaxAnisotropy = 16;
    caps->MaxVertexW = 1e10f;
    caps->GuardBandLeft = caps->GuardBandTop = -1048576.0f;
    caps->GuardBandRight = caps->GuardBandBottom = 1048576.0f;
    caps->TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                          D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MODULATE4X |
                          D3DTEXOPCAPS_ADD | D3DTEXOPCAPS_SUBTRACT | D3DTEXOPCAPS_BLENDDIFFUSEALPHA |
                          D3DTEXOPCAPS_BLENDTEXTUREALPHA | D3DTEXOPCAPS_BLENDFACTORALPHA |
                          D3DTEXOPCAPS_BLENDCURRENTALPHA;
    caps->MaxTextureBlendStages = 8;
    caps->MaxSimultaneousTextures = 8;
    caps->MaxActiveLights = 8;
    caps->MaxPointSize = 1.0f;
    caps->MaxPrimitiveCount = 0xFFFFF;
    caps->MaxVertexIndex = 0xFFFFF;
    caps->MaxStreams = 1;
    caps->MaxStreamStride = 255;
    caps->VertexShaderVersion = p.vertex_shader_version;
    caps->MaxVertexShaderConst = 256;
    caps->PixelShaderVersion = p.pixel_shader_version;
    caps->NumberOfAdaptersInGroup = 1;
    caps->NumSimultaneousRTs = p.simultaneous_render_targets;
    caps->StretchRectFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MAGFPOINT;
    FillShaderCaps(p, caps);
}

}  // namespace d3d9
