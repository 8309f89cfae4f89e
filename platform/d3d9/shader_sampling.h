// Texture sampling for shaders (texld and its forms): 2D and volume textures, point and linear filters,
// mip levels chosen from the quad's gradients or given, and the address modes. A 2D sample resolves its
// coordinates, texels and filter weights by the fixed-function sampler's rules (texel_snap.h,
// texel_address.h), so texld gives the texels the fixed-function stages give on the same states.
#pragma once

#include "platform/d3d9/d3d9_types.h"
#include "platform/d3d9/shader_lanes.h"
#include "platform/d3d9/texel_float.h"

namespace d3d9 {

constexpr int kMaxTextureLevels = 16;

// One level of a texture.
struct TexelLevel {
    const uint8_t* bits = nullptr;
    int width = 0, height = 0, depth = 1;
    int row_pitch = 0, slice_pitch = 0;
};

struct ShaderSampler {
    bool volume = false;
    int level_count = 0;  // 0: no texture bound
    D3DFORMAT format = D3DFMT_UNKNOWN;
    int bytes_per_texel = 0;
    TexelLevel levels[kMaxTextureLevels];
    DWORD address[3] = {D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP};
    ColorF border;
    bool linear_mag = false, linear_min = false;
    DWORD mip_filter = D3DTEXF_NONE;
    int first_level = 0;  // D3DSAMP_MAXMIPLEVEL
    float lod_bias = 0;   // D3DSAMP_MIPMAPLODBIAS
};

// The sampler states of a sampler (D3DSAMP_* values by state).
void SetSamplerStates(const DWORD* states, ShaderSampler* s);

// How a sample finds its level of detail: from the lanes' coordinate gradients along x and y plus a bias
// per lane, or given per lane.
enum class LodSource { kGradients, kGiven };

struct SampleRequest {
    const LaneFloat* coordinates[3];       // u, v, w
    const LaneFloat* gradients_x[3] = {};  // kGradients
    const LaneFloat* gradients_y[3] = {};
    LaneFloat lod = {};  // kGradients: a bias; kGiven: the level of detail
    LodSource source = LodSource::kGradients;
};

// The texels of every lane; (0, 0, 0, 1) where no texture is bound.
void SampleLanes(const ShaderSampler& s, const SampleRequest& request, LaneVector* out);

}  // namespace d3d9
