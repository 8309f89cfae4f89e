// The generic per-pixel path. Arithmetic on 8-bit channels: products are truncated divisions by 255,
// sums saturate, every write to a 16-bit target rounds to the nearest representable value. A draw that
// meets a format of wider channels computes on floats instead.
#include "platform/d3d9/pixel_pipeline.h"

#include <algorithm>
#include <cstring>

#include "platform/d3d9/channel_formats.h"

namespace d3d9 {

namespace {

// The stage arithmetic on 8-bit channels (products truncated, sums saturated) and on floats (exact and
// unclamped, for draws with wider formats).
struct IntMath {
    using C = Color;
    using V = int;
    static constexpr int kOne = 255, kHalf = 128;
    static int Mul(int a, int b) { return Mul255(a, b); }
    static int Top(int v) { return std::min(255, v); }
    static int Clamp(int v) { return std::clamp(v, 0, 255); }
    static int Bottom(int v) { return std::max(0, v); }
    static int Lerp(int a1, int a2, int w) { return Div255(a1 * w + a2 * (255 - w)); }
    static Color From8(Color c) { return c; }
    static Color Sample(const SamplerSetup& s, int64_t u, int64_t v, bool minify) {
        return SampleStage(s, u, v, minify);
    }
};

struct FloatMath {
    using C = ColorF;
    using V = float;
    static constexpr float kOne = 1.0f, kHalf = 0.5f;
    static float Mul(float a, float b) { return a * b; }
    static float Top(float v) { return v; }
    static float Clamp(float v) { return v; }
    static float Bottom(float v) { return v; }
    static float Lerp(float a1, float a2, float w) { return a1 * w + a2 * (1.0f - w); }
    static ColorF From8(Color c) { return UnitColor(c); }
    static ColorF Sample(const SamplerSetup& s, int64_t u, int64_t v, bool minify) {
        return SampleStageFloat(s, u, v, minify);
    }
};

template <typename M>
typename M::C Complement(const typename M::C& c) {
    return {M::kOne - c.r, M::kOne - c.g, M::kOne - c.b, M::kOne - c.a};
}

template <typename M>
struct StageInputs {
    typename M::C diffuse, specular, current, temp, texture, factor;
};

template <typename M>
typename M::C Argument(DWORD arg, const StageInputs<M>& in) {
    typename M::C c;
    switch (arg & D3DTA_SELECTMASK) {
        case D3DTA_DIFFUSE:
            c = in.diffuse;
            break;
        case D3DTA_CURRENT:
            c = in.current;
            break;
        case D3DTA_TEXTURE:
            c = in.texture;
            break;
        case D3DTA_TFACTOR:
            c = in.factor;
            break;
        case D3DTA_SPECULAR:
            c = in.specular;
            break;
        case D3DTA_TEMP:
            c = in.temp;
            break;
        default:
            c = in.current;
            break;
    }
    if (arg & D3DTA_COMPLEMENT) c = Complement<M>(c);
    if (arg & D3DTA_ALPHAREPLICATE) c.r = c.g = c.b = c.a;
    return c;
}

template <typename M, typename V = typename M::V>
V Operate(DWORD op, V a1, V a2, const StageInputs<M>& in) {
    switch (op) {
        case D3DTOP_SELECTARG1:
            return a1;
        case D3DTOP_SELECTARG2:
            return a2;
        case D3DTOP_MODULATE:
            return M::Mul(a1, a2);
        case D3DTOP_MODULATE2X:
            return M::Top(M::Mul(a1, a2) * 2);
        case D3DTOP_MODULATE4X:
            return M::Top(M::Mul(a1, a2) * 4);
        case D3DTOP_ADD:
            return M::Top(a1 + a2);
        case D3DTOP_ADDSIGNED:
            return M::Clamp(a1 + a2 - M::kHalf);
        case D3DTOP_ADDSIGNED2X:
            return M::Clamp((a1 + a2 - M::kHalf) * 2);
        case D3DTOP_SUBTRACT:
            return M::Bottom(a1 - a2);
        case D3DTOP_ADDSMOOTH:
            return M::Top(a1 + a2 - M::Mul(a1, a2));
        case D3DTOP_BLENDDIFFUSEALPHA:
            return M::Lerp(a1, a2, in.diffuse.a);
        case D3DTOP_BLENDTEXTUREALPHA:
            return M::Lerp(a1, a2, in.texture.a);
        case D3DTOP_BLENDFACTORALPHA:
            return M::Lerp(a1, a2, in.factor.a);
        case D3DTOP_BLENDCURRENTALPHA:
            return M::Lerp(a1, a2, in.current.a);
        case D3DTOP_BLENDTEXTUREALPHAPM:
            return M::Top(a1 + M::Mul(a2, M::kOne - in.texture.a));
        default:
            return a1;
    }
}

template <typename M>
typename M::C RunStagesAs(const PixelPipeline& p, const Fragment& f) {
    const typename M::C diffuse = M::From8(f.diffuse);
    StageInputs<M> in{diffuse, M::From8(f.specular), diffuse, {0, 0, 0, 0}, {}, M::From8(p.texture_factor)};
    for (int i = 0; i < p.stage_count; ++i) {
        const StageSetup& s = p.stages[i];
        in.texture = M::Sample(s.sampler, f.u[i], f.v[i], f.minify[i]);
        const typename M::C c1 = Argument<M>(s.color_arg1, in), c2 = Argument<M>(s.color_arg2, in);
        typename M::C out;
        out.r = Operate<M>(s.color_op, c1.r, c2.r, in);
        out.g = Operate<M>(s.color_op, c1.g, c2.g, in);
        out.b = Operate<M>(s.color_op, c1.b, c2.b, in);
        if (s.alpha_op == D3DTOP_DISABLE) {
            out.a = in.current.a;
        } else {
            const auto a1 = Argument<M>(s.alpha_arg1, in).a, a2 = Argument<M>(s.alpha_arg2, in).a;
            out.a = Operate<M>(s.alpha_op, a1, a2, in);
        }
        if ((s.result_arg & D3DTA_SELECTMASK) == D3DTA_TEMP)
            in.temp = out;
        else
            in.current = out;
    }
    return in.current;
}

float BlendChannelFloat(DWORD op, float s, float fs, float d, float fd) {
    switch (op) {
        case D3DBLENDOP_SUBTRACT:
            return s * fs - d * fd;
        case D3DBLENDOP_REVSUBTRACT:
            return d * fd - s * fs;
        case D3DBLENDOP_MIN:
            return std::min(s, d);
        case D3DBLENDOP_MAX:
            return std::max(s, d);
        default:
            return s * fs + d * fd;
    }
}

// Depth test and write at x, y; false when the pixel is rejected.
bool DepthPasses(const PixelPipeline& p, int x, int y, int depth) {
    if (!p.depth) return true;
    if (x >= p.depth->width || y >= p.depth->height) return false;
    uint8_t* z = p.depth->At(x, y);
    if (p.depth->bytes_per_pixel == 4) {
        uint32_t stored;
        std::memcpy(&stored, z, 4);
        if (!CompareFunc(p.depth_func, depth, int(stored >> 16))) return false;
        if (p.depth_write) {
            const uint32_t value = DepthWord(p.depth->format, uint32_t(depth));
            std::memcpy(z, &value, 4);
        }
        return true;
    }
    uint16_t stored;
    std::memcpy(&stored, z, 2);
    if (!CompareFunc(p.depth_func, depth, stored)) return false;
    if (p.depth_write) {
        uint16_t value = uint16_t(depth);
        std::memcpy(z, &value, 2);
    }
    return true;
}

bool IsPackedTexture(const SurfaceStore* t) {
    return !t || IsPackedFormat(t->format);
}

}  // namespace

PixelPipeline CompilePipeline(const DeviceState& state, const SurfaceStore* textures[kStageCount],
                              SurfaceStore* target, SurfaceStore* depth, IntRect clip, bool temp_register,
                              bool blend_op_supported) {
    const auto& r = state.render;
    PixelPipeline p;
    for (int i = 0; i < kStageCount; ++i) {
        const auto& t = state.stage[size_t(i)];
        if (t[D3DTSS_COLOROP] == D3DTOP_DISABLE) break;
        const auto& smp = state.sampler[size_t(i)];
        StageSetup& s = p.stages[i];
        s.color_op = t[D3DTSS_COLOROP];
        s.color_arg1 = t[D3DTSS_COLORARG1];
        s.color_arg2 = t[D3DTSS_COLORARG2];
        s.alpha_op = t[D3DTSS_ALPHAOP];
        s.alpha_arg1 = t[D3DTSS_ALPHAARG1];
        s.alpha_arg2 = t[D3DTSS_ALPHAARG2];
        s.result_arg = temp_register ? t[D3DTSS_RESULTARG] : D3DTA_CURRENT;
        s.texcoord_index = int(t[D3DTSS_TEXCOORDINDEX] & 7);
        s.sampler.texture = textures[i];
        s.sampler.address_u = smp[D3DSAMP_ADDRESSU];
        s.sampler.address_v = smp[D3DSAMP_ADDRESSV];
        s.sampler.border = ColorFromArgb(smp[D3DSAMP_BORDERCOLOR]);
        s.sampler.linear_mag = smp[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR;
        s.sampler.linear_min = smp[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
        p.stage_count = i + 1;
    }
    p.texture_factor = ColorFromArgb(r[D3DRS_TEXTUREFACTOR]);
    p.specular_add = r[D3DRS_SPECULARENABLE] != 0;
    p.alpha_test = r[D3DRS_ALPHATESTENABLE] != 0;
    p.alpha_func = r[D3DRS_ALPHAFUNC];
    p.alpha_ref = int(r[D3DRS_ALPHAREF] & 0xFF);
    p.temp_register = temp_register;
    p.depth = (r[D3DRS_ZENABLE] != D3DZB_FALSE) ? depth : nullptr;
    p.depth_func = r[D3DRS_ZFUNC];
    p.depth_write = r[D3DRS_ZWRITEENABLE] != 0;
    BlendSetup& b = p.blend;
    b.enabled = r[D3DRS_ALPHABLENDENABLE] != 0;
    b.src = r[D3DRS_SRCBLEND];
    b.dst = r[D3DRS_DESTBLEND];
    b.op = blend_op_supported ? r[D3DRS_BLENDOP] : D3DBLENDOP_ADD;
    bool separate = r[D3DRS_SEPARATEALPHABLENDENABLE] != 0;
    b.src_alpha = separate ? r[D3DRS_SRCBLENDALPHA] : b.src;
    b.dst_alpha = separate ? r[D3DRS_DESTBLENDALPHA] : b.dst;
    b.op_alpha = separate && blend_op_supported ? r[D3DRS_BLENDOPALPHA] : b.op;
    b.factor = ColorFromArgb(r[D3DRS_BLENDFACTOR]);
    p.write_mask = r[D3DRS_COLORWRITEENABLE] & 0xF;
    p.target = target;
    p.clip = clip;
    p.wide = IsWideFormat(target->format);
    p.packed = IsPackedFormat(target->format);
    for (int i = 0; i < p.stage_count; ++i) {
        const SurfaceStore* t = p.stages[i].sampler.texture;
        p.wide = p.wide || (t && IsWideFormat(t->format));
        p.packed = p.packed && IsPackedTexture(t);
    }
    return p;
}

Color RunStages(const PixelPipeline& p, const Fragment& f) {
    return RunStagesAs<IntMath>(p, f);
}

Color BlendColors(const BlendSetup& b, Color s, Color d) {
    int cr = b.factor.r, cg = b.factor.g, cb = b.factor.b, ca = b.factor.a;
    Color out;
    out.r = BlendChannel(b.op, s.r, BlendFactor(b.src, s.r, s.a, d.r, d.a, cr, false), d.r,
                         BlendFactor(b.dst, s.r, s.a, d.r, d.a, cr, false));
    out.g = BlendChannel(b.op, s.g, BlendFactor(b.src, s.g, s.a, d.g, d.a, cg, false), d.g,
                         BlendFactor(b.dst, s.g, s.a, d.g, d.a, cg, false));
    out.b = BlendChannel(b.op, s.b, BlendFactor(b.src, s.b, s.a, d.b, d.a, cb, false), d.b,
                         BlendFactor(b.dst, s.b, s.a, d.b, d.a, cb, false));
    out.a = BlendChannel(b.op_alpha, s.a, BlendFactor(b.src_alpha, s.a, s.a, d.a, d.a, ca, true), d.a,
                         BlendFactor(b.dst_alpha, s.a, s.a, d.a, d.a, ca, true));
    return out;
}

ColorF BlendColorsFloat(const BlendSetup& b, const ColorF& s, const ColorF& d) {
    const ColorF k = UnitColor(b.factor);
    auto channel = [&](DWORD op, DWORD src, DWORD dst, float sv, float dv, float constant, bool alpha) {
        return BlendChannelFloat(op, sv, BlendFactor(src, sv, s.a, dv, d.a, constant, alpha), dv,
                                 BlendFactor(dst, sv, s.a, dv, d.a, constant, alpha));
    };
    return {channel(b.op, b.src, b.dst, s.r, d.r, k.r, false),
            channel(b.op, b.src, b.dst, s.g, d.g, k.g, false),
            channel(b.op, b.src, b.dst, s.b, d.b, k.b, false),
            channel(b.op_alpha, b.src_alpha, b.dst_alpha, s.a, d.a, k.a, true)};
}

void ShadeFragment(const PixelPipeline& p, const Fragment& f) {
    if (p.wide) {
        ColorF c = RunStagesAs<FloatMath>(p, f);
        if (p.specular_add) {
            const ColorF sp = UnitColor(f.specular);
            c.r += sp.r, c.g += sp.g, c.b += sp.b;
        }
        WritePixelFloat(p, f.x, f.y, f.depth, c);
        return;
    }
    Color c = RunStages(p, f);
    if (p.specular_add) {
        c.r = std::min(255, c.r + f.specular.r);
        c.g = std::min(255, c.g + f.specular.g);
        c.b = std::min(255, c.b + f.specular.b);
    }
    WritePixel(p, f.x, f.y, f.depth, c);
}

void WritePixel(const PixelPipeline& p, int x, int y, int depth, Color c) {
    if (!IsPackedFormat(p.target->format)) {
        WritePixelFloat(p, x, y, depth, UnitColor(c));
        return;
    }
    if (p.alpha_test && !CompareFunc(p.alpha_func, c.a, p.alpha_ref)) return;
    if (!DepthPasses(p, x, y, depth)) return;
    uint8_t* dst = p.target->At(x, y);
    if (p.blend.enabled || p.write_mask != 0xF) {
        Color d = DecodePixel(p.target->format, dst);
        if (p.blend.enabled) c = BlendColors(p.blend, c, d);
        if (!(p.write_mask & 1)) c.r = d.r;
        if (!(p.write_mask & 2)) c.g = d.g;
        if (!(p.write_mask & 4)) c.b = d.b;
        if (!(p.write_mask & 8)) c.a = d.a;
    }
    EncodePixel(p.target->format, dst, c);
}

void WritePixelFloat(const PixelPipeline& p, int x, int y, int depth, const ColorF& color) {
    if (p.alpha_test && !CompareFunc(p.alpha_func, RoundedSteps(color.a, 255), p.alpha_ref)) return;
    if (!DepthPasses(p, x, y, depth)) return;
    uint8_t* dst = p.target->At(x, y);
    ColorF c = color;
    if (p.blend.enabled || p.write_mask != 0xF) {
        const ColorF d = DecodePixelFloat(p.target->format, dst);
        if (p.blend.enabled) c = BlendColorsFloat(p.blend, c, d);
        if (!(p.write_mask & 1)) c.r = d.r;
        if (!(p.write_mask & 2)) c.g = d.g;
        if (!(p.write_mask & 4)) c.b = d.b;
        if (!(p.write_mask & 8)) c.a = d.a;
    }
    EncodePixelFloat(p.target->format, dst, c);
}

}  // namespace d3d9
