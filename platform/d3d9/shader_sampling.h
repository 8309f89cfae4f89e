// Texture sampling for shaders (texld and its forms): 2D and volume textures, point and linear filters,
// mip levels chosen from the quad's gradients or given, and the address modes. A level of a 2D texture of
// an 8-bit format is sampled by the fixed-function stages' sampler itself, so texld gives the texels the
// stages give on the same states; volumes and wider formats are filtered by the same rules
// (texel_snap.h, texel_address.h) on floats decoded per format (texel_float.h).
#pragma once

#include "platform/d3d9/d3d9_types.h"
#include "platform/d3d9/pixel_pipeline.h"
#include "platform/d3d9/shader_lanes.h"
#include "platform/d3d9/texel_float.h"

namespace d3d9 {

constexpr int kMaxTextureLevels = 16;

// One level of a texture (of a volume texture, or of a format over 8 bits a channel).
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
    // The levels of a 2D texture of an 8-bit format, sampled by the stages' own sampler (null otherwise).
    const SurfaceStore* stores[kMaxTextureLevels] = {};
    DWORD address[3] = {D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP};
    ColorF border;
    Color border8;  // the border colour on 8-bit channels
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

// The texels the lanes of the last quad's coordinates chose along u and v, so that the next quad of the same
// sample instruction (a quad of the same rows, mostly) finds those it shares with it.
struct TexelMemo2D {
    bool valid = false;
    uint32_t bits[2][4];
    int texel[2][4];
};

struct SampleRequest {
    const LaneFloat* coordinates[3];       // u, v, w
    const LaneFloat* gradients_x[3] = {};  // kGradients
    const LaneFloat* gradients_y[3] = {};
    LaneFloat lod = {};  // kGradients: a bias; kGiven: the level of detail
    LodSource source = LodSource::kGradients;
    TexelMemo2D* memo = nullptr;  // kept by the caller across the quads of one instruction on one sampler
};

// The texels of every lane; (0, 0, 0, 1) where no texture is bound.
void SampleLanes(const ShaderSampler& s, const SampleRequest& request, LaneVector* out);

}  // namespace d3d9
