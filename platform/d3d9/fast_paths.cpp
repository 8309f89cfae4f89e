// The fast path for axis-aligned quads. Two triangles that split a rectangle cover exactly the pixels whose
// centres lie in [left, right) x [top, bottom) under the fill rule, and when the quad's texture
// coordinates are affine along the axes every pixel's texel depends on its column or row alone; with
// exact interpolation these are the generic path's values. Shading then runs per row with kernels
// specialised for the common states, falling back to the generic per-pixel shading otherwise.
#include <algorithm>
#include <vector>

#include "platform/d3d9/draw.h"

namespace d3d9 {

namespace {

int64_t PixelCeil(int64_t fixed) {
    return -((-fixed) >> kSubpixelBits);
}

bool SameVertex(const ScreenVertex& a, const ScreenVertex& b) {
    if (a.x != b.x || a.y != b.y || a.z != b.z || a.rhw != b.rhw || !(a.diffuse == b.diffuse) ||
        !(a.specular == b.specular))
        return false;
    for (int i = 0; i < kStageCount; ++i)
        if (a.u[i] != b.u[i] || a.v[i] != b.v[i]) return false;
    return true;
}

enum class BlendKind { kNone, kAlpha, kAdditive, kGeneric };
enum class ColorKind { kTexture, kModulate, kGeneric };
enum class AlphaKind { kTexture, kDiffuse, kModulate };

struct Kernel {
    const PixelPipeline* p;
    BlendKind blend;
    ColorKind color;
    AlphaKind alpha;
    Color diffuse;
    bool textured;
};

bool IsDiffuseArg(DWORD arg) {
    return arg == D3DTA_DIFFUSE || arg == D3DTA_CURRENT;
}

// The one-stage set-ups whose result is a simple function of the texel and the constant diffuse colour.
bool ClassifyStage(const PixelPipeline& p, Kernel* k) {
    if (p.stage_count != 1 || p.specular_add) return false;
    const StageSetup& s = p.stages[0];
    if ((s.result_arg & D3DTA_SELECTMASK) == D3DTA_TEMP) return false;
    if (s.color_op == D3DTOP_SELECTARG1 && s.color_arg1 == D3DTA_TEXTURE)
        k->color = ColorKind::kTexture;
    else if (s.color_op == D3DTOP_SELECTARG2 && s.color_arg2 == D3DTA_TEXTURE)
        k->color = ColorKind::kTexture;
    else if (s.color_op == D3DTOP_MODULATE &&
             ((s.color_arg1 == D3DTA_TEXTURE && IsDiffuseArg(s.color_arg2)) ||
              (s.color_arg2 == D3DTA_TEXTURE && IsDiffuseArg(s.color_arg1))))
        k->color = ColorKind::kModulate;
    else
        return false;
    if (s.alpha_op == D3DTOP_SELECTARG1 && s.alpha_arg1 == D3DTA_TEXTURE)
        k->alpha = AlphaKind::kTexture;
    else if (s.alpha_op == D3DTOP_SELECTARG2 && s.alpha_arg2 == D3DTA_TEXTURE)
        k->alpha = AlphaKind::kTexture;
    else if ((s.alpha_op == D3DTOP_SELECTARG1 && IsDiffuseArg(s.alpha_arg1)) ||
             (s.alpha_op == D3DTOP_SELECTARG2 && IsDiffuseArg(s.alpha_arg2)) || s.alpha_op == D3DTOP_DISABLE)
        k->alpha = AlphaKind::kDiffuse;
    else if (s.alpha_op == D3DTOP_MODULATE &&
             ((s.alpha_arg1 == D3DTA_TEXTURE && IsDiffuseArg(s.alpha_arg2)) ||
              (s.alpha_arg2 == D3DTA_TEXTURE && IsDiffuseArg(s.alpha_arg1))))
        k->alpha = AlphaKind::kModulate;
    else
        return false;
    return true;
}

BlendKind ClassifyBlend(const PixelPipeline& p) {
    const BlendSetup& b = p.blend;
    if (p.write_mask != 0xF) return BlendKind::kGeneric;
    if (!b.enabled) return BlendKind::kNone;
    bool same_alpha = b.src_alpha == b.src && b.dst_alpha == b.dst && b.op_alpha == b.op;
    if (!same_alpha || b.op != D3DBLENDOP_ADD || b.src != D3DBLEND_SRCALPHA) return BlendKind::kGeneric;
    if (b.dst == D3DBLEND_INVSRCALPHA) return BlendKind::kAlpha;
    if (b.dst == D3DBLEND_ONE) return BlendKind::kAdditive;
    return BlendKind::kGeneric;
}

template <D3DFORMAT T>
void ShadeTexturedRow(const Kernel& k, const SurfaceStore& tex, int texel_row, const int* columns, int n,
                      Color* out) {
    const StageSetup& s = k.p->stages[0];
    const uint8_t* row = texel_row >= 0 ? tex.Row(texel_row) : nullptr;
    const Color d = k.diffuse;
    for (int i = 0; i < n; ++i) {
        int column = columns[i];
        Color t = (row && column >= 0) ? Decode<T>(row + column * tex.bytes_per_pixel) : s.sampler.border;
        Color c = t;
        if (k.color == ColorKind::kModulate)
            c.r = Mul255(t.r, d.r), c.g = Mul255(t.g, d.g), c.b = Mul255(t.b, d.b);
        if (k.alpha == AlphaKind::kDiffuse)
            c.a = d.a;
        else if (k.alpha == AlphaKind::kModulate)
            c.a = Mul255(t.a, d.a);
        out[i] = c;
    }
}

template <D3DFORMAT D, BlendKind B>
void WriteRow(const PixelPipeline& p, const bool* alpha_pass, uint8_t* dst, const Color* src, int n) {
    constexpr int bpp = D == D3DFMT_A8R8G8B8 || D == D3DFMT_X8R8G8B8 ? 4 : 2;
    for (int i = 0; i < n; ++i, dst += bpp) {
        Color c = src[i];
        if (!alpha_pass[c.a]) continue;
        if constexpr (B == BlendKind::kNone) {
            Encode<D>(dst, c);
        } else {
            Color d = Decode<D>(dst);
            if constexpr (B == BlendKind::kAlpha) {
                int a = c.a, ia = 255 - c.a;
                c = {BlendChannel(D3DBLENDOP_ADD, c.r, a, d.r, ia),
                     BlendChannel(D3DBLENDOP_ADD, c.g, a, d.g, ia),
                     BlendChannel(D3DBLENDOP_ADD, c.b, a, d.b, ia),
                     BlendChannel(D3DBLENDOP_ADD, c.a, a, d.a, ia)};
            } else if constexpr (B == BlendKind::kAdditive) {
                int a = c.a;
                c = {BlendChannel(D3DBLENDOP_ADD, c.r, a, d.r, 255),
                     BlendChannel(D3DBLENDOP_ADD, c.g, a, d.g, 255),
                     BlendChannel(D3DBLENDOP_ADD, c.b, a, d.b, 255),
                     BlendChannel(D3DBLENDOP_ADD, c.a, a, d.a, 255)};
            } else {
                if (p.blend.enabled) c = BlendColors(p.blend, c, d);
                if (!(p.write_mask & 1)) c.r = d.r;
                if (!(p.write_mask & 2)) c.g = d.g;
                if (!(p.write_mask & 4)) c.b = d.b;
                if (!(p.write_mask & 8)) c.a = d.a;
            }
            Encode<D>(dst, c);
        }
    }
}

template <D3DFORMAT D>
void WriteRowFor(BlendKind kind, const PixelPipeline& p, const bool* pass, uint8_t* dst, const Color* src,
                 int n) {
    switch (kind) {
        case BlendKind::kNone:
            WriteRow<D, BlendKind::kNone>(p, pass, dst, src, n);
            break;
        case BlendKind::kAlpha:
            WriteRow<D, BlendKind::kAlpha>(p, pass, dst, src, n);
            break;
        case BlendKind::kAdditive:
            WriteRow<D, BlendKind::kAdditive>(p, pass, dst, src, n);
            break;
        default:
            WriteRow<D, BlendKind::kGeneric>(p, pass, dst, src, n);
            break;
    }
}

// The exact affine value at pos of a line through (a_pos, a_tex) and (b_pos, b_tex), rounded down.
int64_t Interpolate(int64_t a_pos, int64_t b_pos, int64_t a_tex, int64_t b_tex, int64_t pos) {
    const int64_t limit = int64_t(1) << 30;
    if (std::abs(a_tex) < limit && std::abs(b_tex) < limit && std::abs(b_pos - pos) < limit &&
        std::abs(pos - a_pos) < limit) {
        int64_t n = a_tex * (b_pos - pos) + b_tex * (pos - a_pos), d = b_pos - a_pos;
        if (d < 0) n = -n, d = -d;
        int64_t q = n / d;
        return (n % d != 0 && n < 0) ? q - 1 : q;
    }
    return FloorDiv(__int128(a_tex) * (b_pos - pos) + __int128(b_tex) * (pos - a_pos), b_pos - a_pos);
}

// Texel index of each pixel along one axis (after addressing), -1 where the border colour shows.
void TexelIndices(int64_t a_pos, int64_t b_pos, int64_t a_tex, int64_t b_tex, int first, int count, int size,
                  DWORD mode, std::vector<int>& out) {
    out.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        int64_t pos = int64_t(first + i) << kSubpixelBits;
        int64_t t =
            FloorDiv(__int128(a_tex) * (b_pos - pos) + __int128(b_tex) * (pos - a_pos), b_pos - a_pos) >> 16;
        int index;
        switch (mode) {
            case D3DTADDRESS_CLAMP:
                index = int(std::clamp<int64_t>(t, 0, size - 1));
                break;
            case D3DTADDRESS_BORDER:
                index = (t < 0 || t >= size) ? -1 : int(t);
                break;
            case D3DTADDRESS_MIRROR: {
                int64_t period = int64_t(size) * 2, m = ((t % period) + period) % period;
                index = int(m < size ? m : period - 1 - m);
                break;
            }
            case D3DTADDRESS_MIRRORONCE:
                index = int(std::min<int64_t>(t < 0 ? -t - 1 : t, size - 1));
                break;
            default:
                index = int(((t % size) + size) % size);
                break;
        }
        out[size_t(i)] = index;
    }
}

}  // namespace

bool DrawAxisAlignedQuad(const RasterSetup& r, const ScreenVertex* q) {
    const PixelPipeline& p = *r.pipeline;
    if (p.depth || !SameVertex(q[4], q[2]) || !SameVertex(q[5], q[1])) return false;
    int64_t x0 = SnapCoordinate(q[0].x), x1 = SnapCoordinate(q[1].x), y0 = SnapCoordinate(q[0].y),
            y2 = SnapCoordinate(q[2].y);
    if (SnapCoordinate(q[2].x) != x0 || SnapCoordinate(q[3].x) != x1 || SnapCoordinate(q[1].y) != y0 ||
        SnapCoordinate(q[3].y) != y2)
        return false;
    for (int k = 1; k < 4; ++k)
        if (!(q[k].diffuse == q[0].diffuse) || !(q[k].specular == q[0].specular) || q[k].rhw != q[0].rhw)
            return false;
    if (std::abs(q[0].x) > 1e6 || std::abs(q[1].x) > 1e6 || std::abs(q[0].y) > 1e6 || std::abs(q[2].y) > 1e6)
        return false;
    // The quad's winding decides culling for both of its triangles alike.
    int64_t area = (x1 - x0) * (y2 - y0);
    if (area == 0) return true;
    if ((r.cull == D3DCULL_CW && area > 0) || (r.cull == D3DCULL_CCW && area < 0)) return true;
    for (int s = 0; s < p.stage_count; ++s) {
        const SamplerSetup& smp = p.stages[s].sampler;
        if (!smp.texture) continue;
        if (smp.linear_mag || smp.linear_min) return false;
        int set = p.stages[s].texcoord_index;
        if (TexelFixed(q[0].u[set], 1) != TexelFixed(q[2].u[set], 1) ||
            TexelFixed(q[1].u[set], 1) != TexelFixed(q[3].u[set], 1) ||
            TexelFixed(q[0].v[set], 1) != TexelFixed(q[1].v[set], 1) ||
            TexelFixed(q[2].v[set], 1) != TexelFixed(q[3].v[set], 1))
            return false;
    }
    IntRect box{int(PixelCeil(std::min(x0, x1))), int(PixelCeil(std::min(y0, y2))),
                int(PixelCeil(std::max(x0, x1))), int(PixelCeil(std::max(y0, y2)))};
    box = Intersect(box, p.clip);
    if (box.Empty()) return true;
    int w = box.Width(), h = box.Height();

    Kernel k{&p, ClassifyBlend(p), ColorKind::kGeneric, AlphaKind::kTexture, q[0].diffuse, false};
    bool textured = p.stage_count == 1 && p.stages[0].sampler.texture;
    bool untextured = true;
    for (int s = 0; s < p.stage_count; ++s) untextured = untextured && !p.stages[s].sampler.texture;
    bool special = IsColorFormat(p.target->format) && (untextured || (textured && ClassifyStage(p, &k)));
    // Modulating by 255 leaves a channel as it is.
    if (k.diffuse == Color{255, 255, 255, 255}) {
        if (k.color == ColorKind::kModulate) k.color = ColorKind::kTexture;
        if (k.alpha == AlphaKind::kModulate) k.alpha = AlphaKind::kTexture;
    }
    if (!special) {
        // Texel coordinates per column and per row of each stage, as the generic path interpolates them.
        std::vector<int64_t> col_u[kStageCount], row_v[kStageCount];
        for (int s = 0; s < p.stage_count; ++s) {
            const SurfaceStore* t = p.stages[s].sampler.texture;
            if (!t) continue;
            int set = p.stages[s].texcoord_index;
            int64_t ua = TexelFixed(q[0].u[set], t->width), ub = TexelFixed(q[1].u[set], t->width);
            int64_t va = TexelFixed(q[0].v[set], t->height), vb = TexelFixed(q[2].v[set], t->height);
            col_u[s].resize(size_t(w));
            row_v[s].resize(size_t(h));
            for (int i = 0; i < w; ++i) {
                int64_t pos = int64_t(box.left + i) << kSubpixelBits;
                col_u[s][size_t(i)] =
                    FloorDiv(__int128(ua) * (x1 - pos) + __int128(ub) * (pos - x0), x1 - x0);
            }
            for (int j = 0; j < h; ++j) {
                int64_t pos = int64_t(box.top + j) << kSubpixelBits;
                row_v[s][size_t(j)] =
                    FloorDiv(__int128(va) * (y2 - pos) + __int128(vb) * (pos - y0), y2 - y0);
            }
        }
        Fragment f;
        f.diffuse = q[0].diffuse;
        f.specular = q[0].specular;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                f.x = box.left + i;
                f.y = box.top + j;
                for (int s = 0; s < p.stage_count; ++s)
                    if (p.stages[s].sampler.texture)
                        f.u[s] = col_u[s][size_t(i)], f.v[s] = row_v[s][size_t(j)];
                ShadeFragment(p, f);
            }
        return true;
    }

    std::vector<Color> colors(static_cast<size_t>(w));
    std::vector<int> columns;
    if (untextured) {
        Fragment f;
        f.diffuse = q[0].diffuse;
        f.specular = q[0].specular;
        Color c = RunStages(p, f);
        if (p.specular_add) {
            c.r = std::min(255, c.r + f.specular.r);
            c.g = std::min(255, c.g + f.specular.g);
            c.b = std::min(255, c.b + f.specular.b);
        }
        std::fill(colors.begin(), colors.end(), c);
    } else {
        const SamplerSetup& smp = p.stages[0].sampler;
        int set = p.stages[0].texcoord_index;
        TexelIndices(x0, x1, TexelFixed(q[0].u[set], smp.texture->width),
                     TexelFixed(q[1].u[set], smp.texture->width), box.left, w, smp.texture->width,
                     smp.address_u, columns);
    }
    std::vector<int> rows;
    if (!untextured) {
        const SamplerSetup& smp = p.stages[0].sampler;
        int set = p.stages[0].texcoord_index;
        TexelIndices(y0, y2, TexelFixed(q[0].v[set], smp.texture->height),
                     TexelFixed(q[2].v[set], smp.texture->height), box.top, h, smp.texture->height,
                     smp.address_v, rows);
    }
    bool alpha_pass[256];
    for (int a = 0; a < 256; ++a) alpha_pass[a] = !p.alpha_test || CompareFunc(p.alpha_func, a, p.alpha_ref);
    for (int j = 0; j < h; ++j) {
        if (!untextured) {
            const SurfaceStore& tex = *p.stages[0].sampler.texture;
            DispatchColorFormat(tex.format, [&](auto f) {
                ShadeTexturedRow<decltype(f)::value>(k, tex, rows[size_t(j)], columns.data(), w,
                                                     colors.data());
            });
        }
        uint8_t* dst = p.target->At(box.left, box.top + j);
        DispatchColorFormat(p.target->format, [&](auto f) {
            WriteRowFor<decltype(f)::value>(k.blend, p, alpha_pass, dst, colors.data(), w);
        });
    }
    return true;
}

}  // namespace d3d9
