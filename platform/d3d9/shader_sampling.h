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

// The texel index a coordinate gives along one axis of a size and address mode, kept by the coordinate's
// bits: the quads of a draw meet the same coordinates again and again (along a row, and in every row of
// an axis-aligned draw).
struct TexelIndexCache {
    static constexpr int kBits = 11, kEntries = 1 << kBits;
    struct Entry {
        uint32_t bits, made;  // made: the cache's generation that stored it
        int texel;
    };
    DWORD address = 0;
    int size = -1;
    uint32_t generation = 1;
    Entry entries[kEntries] = {};
};

struct SampleRequest {
    const LaneFloat* coordinates[3];       // u, v, w
    const LaneFloat* gradients_x[3] = {};  // kGradients
    const LaneFloat* gradients_y[3] = {};
    LaneFloat lod = {};  // kGradients: a bias; kGiven: the level of detail
    LodSource source = LodSource::kGradients;
    TexelIndexCache* texels = nullptr;  // u and v; kept by the caller across samples
};

// The texels of every lane; (0, 0, 0, 1) where no texture is bound.
void SampleLanes(const ShaderSampler& s, const SampleRequest& request, LaneVector* out);

}  // namespace d3d9
