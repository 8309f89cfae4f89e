// What happens to a covered pixel: the texture-stage cascade, specular add, alpha test, D16 depth test,
// blending and the quantised write. A draw call compiles the device's states into a PixelPipeline once.
#pragma once

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/pixel_format.h"
#include "platform/d3d9/surface_store.h"
#include "platform/d3d9/texel_float.h"

namespace d3d9 {

struct SamplerSetup {
    const SurfaceStore* texture = nullptr;  // level 0 of the bound texture, null when none
    DWORD address_u = D3DTADDRESS_WRAP, address_v = D3DTADDRESS_WRAP;
    Color border;
    bool linear_mag = false, linear_min = false;
};

struct StageSetup {
    DWORD color_op, color_arg1, color_arg2, alpha_op, alpha_arg1, alpha_arg2, result_arg;
    int texcoord_index;
    SamplerSetup sampler;
};

struct BlendSetup {
    bool enabled = false;
    DWORD src = D3DBLEND_ONE, dst = D3DBLEND_ZERO, op = D3DBLENDOP_ADD;
    DWORD src_alpha = D3DBLEND_ONE, dst_alpha = D3DBLEND_ZERO, op_alpha = D3DBLENDOP_ADD;
    Color factor;
};

struct PixelShaderDraw;

struct PixelPipeline {
    PixelShaderDraw* shader = nullptr;  // a bound pixel shader, which takes the place of the stages
    int stage_count = 0;                // stages before the first disabled colour operation
    StageSetup stages[kStageCount];
    Color texture_factor;
    bool specular_add = false;
    bool alpha_test = false;
    DWORD alpha_func = D3DCMP_ALWAYS;
    int alpha_ref = 0;
    bool temp_register = false;
    SurfaceStore* depth = nullptr;  // null: no depth test
    DWORD depth_func = D3DCMP_LESSEQUAL;
    bool depth_write = false;
    BlendSetup blend;
    DWORD write_mask = 0xF;
    SurfaceStore* target = nullptr;
    IntRect clip;  // target, viewport and scissor together
    // A texture or the target has channels over 8 bits: the stages, the blend and the write then carry
    // floats, unclamped, and only a write to a target of at most 8 bits a channel clamps.
    bool wide = false;
    // The target and every texture are packed formats (pixel_format.h), as the fast paths need.
    bool packed = true;
};

// One covered pixel. u and v of stage i are in texels of that stage's texture, with 16 fraction bits.
struct Fragment {
    int x = 0, y = 0;
    Color diffuse, specular;
    int64_t u[kStageCount] = {}, v[kStageCount] = {};
    bool minify[kStageCount] = {};
    int depth = 0;  // 0..65535
};

PixelPipeline CompilePipeline(const DeviceState& state, const SurfaceStore* textures[kStageCount],
                              SurfaceStore* target, SurfaceStore* depth, IntRect clip, bool temp_register,
                              bool blend_op_supported);

// The colour the stage cascade gives (before the specular add).
Color RunStages(const PixelPipeline& p, const Fragment& f);
Color SampleStage(const SamplerSetup& s, int64_t u, int64_t v, bool minify);
ColorF SampleStageFloat(const SamplerSetup& s, int64_t u, int64_t v, bool minify);
// The texel (x, y) of a stored texture level on 8-bit channels (block formats decoded).
Color FetchTexel8(const SurfaceStore& texture, int x, int y);

// The whole pixel: shading, tests, blending and the write.
void ShadeFragment(const PixelPipeline& p, const Fragment& f);
// A shaded pixel's tests, blending and write (depth 0..65535).
void WritePixel(const PixelPipeline& p, int x, int y, int depth, Color c);
void WritePixelFloat(const PixelPipeline& p, int x, int y, int depth, const ColorF& c);

inline bool CompareFunc(DWORD func, int value, int reference) {
    switch (func) {
        case D3DCMP_NEVER:
            return false;
        case D3DCMP_LESS:
            return value < reference;
        case D3DCMP_EQUAL:
            return value == reference;
        case D3DCMP_LESSEQUAL:
            return value <= reference;
        case D3DCMP_GREATER:
            return value > reference;
        case D3DCMP_NOTEQUAL:
            return value != reference;
        case D3DCMP_GREATEREQUAL:
            return value >= reference;
        default:
            return true;
    }
}

// Factor for one channel, 0..255 (or 0..1 on floats); `dst_alpha` is full for targets without alpha.
template <typename V>
inline V BlendFactor(DWORD factor, V s, V sa, V d, V da, V constant, bool alpha_channel) {
    constexpr V one = std::is_same_v<V, int> ? V(255) : V(1);
    switch (factor) {
        case D3DBLEND_ZERO:
            return 0;
        case D3DBLEND_ONE:
            return one;
        case D3DBLEND_SRCCOLOR:
            return s;
        case D3DBLEND_INVSRCCOLOR:
            return one - s;
        case D3DBLEND_SRCALPHA:
            return sa;
        case D3DBLEND_INVSRCALPHA:
            return one - sa;
        case D3DBLEND_DESTALPHA:
            return da;
        case D3DBLEND_INVDESTALPHA:
            return one - da;
        case D3DBLEND_DESTCOLOR:
            return d;
        case D3DBLEND_INVDESTCOLOR:
            return one - d;
        case D3DBLEND_SRCALPHASAT:
            return alpha_channel ? one : std::min(sa, one - da);
        case D3DBLEND_BLENDFACTOR:
            return constant;
        case D3DBLEND_INVBLENDFACTOR:
            return one - constant;
        default:
            return 0;
    }
}

// result = trunc((s * fs (op) d * fd) / 255), clamped to 0..255.
inline int BlendChannel(DWORD op, int s, int fs, int d, int fd) {
    int v;
    switch (op) {
        case D3DBLENDOP_SUBTRACT:
            v = s * fs - d * fd;
            break;
        case D3DBLENDOP_REVSUBTRACT:
            v = d * fd - s * fs;
            break;
        case D3DBLENDOP_MIN:
            return std::min(s, d);
        case D3DBLENDOP_MAX:
            return std::max(s, d);
        default:
            v = s * fs + d * fd;
            break;
    }
    if (v <= 0) return 0;
    return std::min(255, Div255(v));
}

Color BlendColors(const BlendSetup& b, Color src, Color dst);
// The blend on floats, unclamped.
ColorF BlendColorsFloat(const BlendSetup& b, const ColorF& src, const ColorF& dst);

}  // namespace d3d9
