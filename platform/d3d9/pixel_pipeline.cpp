// The generic per-pixel path. Arithmetic on 8-bit channels: products are truncated divisions by 255,
// sums saturate, every write to a 16-bit target rounds to the nearest representable value.
#include "platform/d3d9/pixel_pipeline.h"

#include <algorithm>

namespace d3d9 {

namespace {

Color Complement(Color c) {
    return {255 - c.r, 255 - c.g, 255 - c.b, 255 - c.a};
}

struct StageInputs {
    Color diffuse, specular, current, temp, texture, factor;
};

Color Argument(DWORD arg, const StageInputs& in) {
    Color c;
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
    if (arg & D3DTA_COMPLEMENT) c = Complement(c);
    if (arg & D3DTA_ALPHAREPLICATE) c.r = c.g = c.b = c.a;
    return c;
}

int Operate(DWORD op, int a1, int a2, const StageInputs& in) {
    switch (op) {
        case D3DTOP_SELECTARG1:
            return a1;
        case D3DTOP_SELECTARG2:
            return a2;
        case D3DTOP_MODULATE:
            return Mul255(a1, a2);
        case D3DTOP_MODULATE2X:
            return std::min(255, Mul255(a1, a2) * 2);
        case D3DTOP_MODULATE4X:
            return std::min(255, Mul255(a1, a2) * 4);
        case D3DTOP_ADD:
            return std::min(255, a1 + a2);
        case D3DTOP_ADDSIGNED:
            return std::clamp(a1 + a2 - 128, 0, 255);
        case D3DTOP_ADDSIGNED2X:
            return std::clamp((a1 + a2 - 128) * 2, 0, 255);
        case D3DTOP_SUBTRACT:
            return std::max(0, a1 - a2);
        case D3DTOP_ADDSMOOTH:
            return std::min(255, a1 + a2 - Mul255(a1, a2));
        case D3DTOP_BLENDDIFFUSEALPHA:
            return Div255(a1 * in.diffuse.a + a2 * (255 - in.diffuse.a));
        case D3DTOP_BLENDTEXTUREALPHA:
            return Div255(a1 * in.texture.a + a2 * (255 - in.texture.a));
        case D3DTOP_BLENDFACTORALPHA:
            return Div255(a1 * in.factor.a + a2 * (255 - in.factor.a));
        case D3DTOP_BLENDCURRENTALPHA:
            return Div255(a1 * in.current.a + a2 * (255 - in.current.a));
        case D3DTOP_BLENDTEXTUREALPHAPM:
            return std::min(255, a1 + Mul255(a2, 255 - in.texture.a));
        default:
            return a1;
    }
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
    return p;
}

Color RunStages(const PixelPipeline& p, const Fragment& f) {
    StageInputs in{f.diffuse, f.specular, f.diffuse, {0, 0, 0, 0}, {}, p.texture_factor};
    for (int i = 0; i < p.stage_count; ++i) {
        const StageSetup& s = p.stages[i];
        in.texture = SampleStage(s.sampler, f.u[i], f.v[i], f.minify[i]);
        Color c1 = Argument(s.color_arg1, in), c2 = Argument(s.color_arg2, in);
        Color out;
        out.r = Operate(s.color_op, c1.r, c2.r, in);
        out.g = Operate(s.color_op, c1.g, c2.g, in);
        out.b = Operate(s.color_op, c1.b, c2.b, in);
        if (s.alpha_op == D3DTOP_DISABLE) {
            out.a = in.current.a;
        } else {
            int a1 = Argument(s.alpha_arg1, in).a, a2 = Argument(s.alpha_arg2, in).a;
            out.a = Operate(s.alpha_op, a1, a2, in);
        }
        if ((s.result_arg & D3DTA_SELECTMASK) == D3DTA_TEMP)
            in.temp = out;
        else
            in.current = out;
    }
    return in.current;
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

void ShadeFragment(const PixelPipeline& p, const Fragment& f) {
    Color c = RunStages(p, f);
    if (p.specular_add) {
        c.r = std::min(255, c.r + f.specular.r);
        c.g = std::min(255, c.g + f.specular.g);
        c.b = std::min(255, c.b + f.specular.b);
    }
    WritePixel(p, f.x, f.y, f.depth, c);
}

void WritePixel(const PixelPipeline& p, int x, int y, int depth, Color c) {
    if (p.alpha_test && !CompareFunc(p.alpha_func, c.a, p.alpha_ref)) return;
    if (p.depth) {
        if (x >= p.depth->width || y >= p.depth->height) return;
        uint8_t* z = p.depth->At(x, y);
        uint16_t stored;
        std::memcpy(&stored, z, 2);
        if (!CompareFunc(p.depth_func, depth, stored)) return;
        if (p.depth_write) {
            uint16_t value = uint16_t(depth);
            std::memcpy(z, &value, 2);
        }
    }
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

}  // namespace d3d9
