// The fast path for axis-aligned quads. Two triangles that split a rectangle cover exactly the pixels whose
// centres lie in [left, right) x [top, bottom) under the fill rule, and when the quad's texture
// coordinates are affine along the axes every pixel's texel depends on its column or row alone; with
// exact interpolation these are the generic path's values. Shading then runs per row with kernels
// specialised for the common states, falling back to the generic per-pixel shading otherwise.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/d3d9/fast_paths.h"
#include "platform/d3d9/texel_lanes.h"
#include "platform/d3d9/texel_snap.h"

namespace d3d9 {

namespace {

int64_t PixelCeil(int64_t fixed) {
    return -((-fixed) >> kSubpixelBits);
}

using Kernel = QuadKernel;

bool IsDiffuseArg(DWORD arg) {
    return arg == D3DTA_DIFFUSE || arg == D3DTA_CURRENT;
}

// The one-stage set-ups whose result is a simple function of the texel and the constant diffuse colour.
bool ClassifyStage(const PixelPipeline& p, ColorKind* color, AlphaKind* alpha) {
    if (p.stage_count != 1 || p.specular_add) return false;
    const StageSetup& s = p.stages[0];
    if ((s.result_arg & D3DTA_SELECTMASK) == D3DTA_TEMP) return false;
    if (s.color_op == D3DTOP_SELECTARG1 && s.color_arg1 == D3DTA_TEXTURE)
        *color = ColorKind::kTexture;
    else if (s.color_op == D3DTOP_SELECTARG2 && s.color_arg2 == D3DTA_TEXTURE)
        *color = ColorKind::kTexture;
    else if (s.color_op == D3DTOP_MODULATE &&
             ((s.color_arg1 == D3DTA_TEXTURE && IsDiffuseArg(s.color_arg2)) ||
              (s.color_arg2 == D3DTA_TEXTURE && IsDiffuseArg(s.color_arg1))))
        *color = ColorKind::kModulate;
    else
        return false;
    if (s.alpha_op == D3DTOP_SELECTARG1 && s.alpha_arg1 == D3DTA_TEXTURE)
        *alpha = AlphaKind::kTexture;
    else if (s.alpha_op == D3DTOP_SELECTARG2 && s.alpha_arg2 == D3DTA_TEXTURE)
        *alpha = AlphaKind::kTexture;
    else if ((s.alpha_op == D3DTOP_SELECTARG1 && IsDiffuseArg(s.alpha_arg1)) ||
             (s.alpha_op == D3DTOP_SELECTARG2 && IsDiffuseArg(s.alpha_arg2)) || s.alpha_op == D3DTOP_DISABLE)
        *alpha = AlphaKind::kDiffuse;
    else if (s.alpha_op == D3DTOP_MODULATE &&
             ((s.alpha_arg1 == D3DTA_TEXTURE && IsDiffuseArg(s.alpha_arg2)) ||
              (s.alpha_arg2 == D3DTA_TEXTURE && IsDiffuseArg(s.alpha_arg1))))
        *alpha = AlphaKind::kModulate;
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

template <D3DFORMAT F>
constexpr int kBytes = F == D3DFMT_A8R8G8B8 || F == D3DFMT_X8R8G8B8 ? 4 : 2;

// The stage's result for a texel; the kinds and the diffuse colour are the kernel's, held in registers.
inline Color ShadeTexel(ColorKind color, AlphaKind alpha, Color d, Color t) {
    Color c = t;
    if (color == ColorKind::kModulate) c.r = Mul255(t.r, d.r), c.g = Mul255(t.g, d.g), c.b = Mul255(t.b, d.b);
    if (alpha == AlphaKind::kDiffuse)
        c.a = d.a;
    else if (alpha == AlphaKind::kModulate)
        c.a = Mul255(t.a, d.a);
    return c;
}

// Blending of the special kinds and the quantised write. Alpha blending cannot leave 0..255 * 255, so it
// needs no clamp; targets without alpha bits skip the alpha channel.
template <D3DFORMAT D, BlendKind B>
[[gnu::always_inline]] inline void WritePixel(uint8_t* dst, Color c) {
    if constexpr (B == BlendKind::kNone) {
        Encode<D>(dst, c);
    } else {
        static_assert(B == BlendKind::kAlpha || B == BlendKind::kAdditive);
        constexpr bool kStoresAlpha = D == D3DFMT_A8R8G8B8 || D == D3DFMT_A1R5G5B5 || D == D3DFMT_A4R4G4B4;
        Color d = Decode<D>(dst);
        const int a = c.a;
        auto channel = [a](int s, int t) {
            if constexpr (B == BlendKind::kAlpha)
                return Div255(s * a + t * (255 - a));
            else
                return std::min(255, Div255(s * a + t * 255));
        };
        Encode<D>(dst, {channel(c.r, d.r), channel(c.g, d.g), channel(c.b, d.b),
                        kStoresAlpha ? channel(a, d.a) : 255});
    }
}

// The columns of a run of consecutive texels, indexed as a table of columns is.
struct TexelRun {
    int first;
    int operator[](int i) const { return first + i; }
    TexelRun operator+(int n) const { return {first + n}; }
};

// One row of a textured quad, shaded and written pixel by pixel. Identity: the stage passes the texel on.
// Columns: a table of texel columns by pixel, or a TexelRun.
template <D3DFORMAT T, D3DFORMAT D, BlendKind B, bool Identity, class Columns>
void DrawTexturedRow(const Kernel& k, const SurfaceStore& tex, int texel_row, Columns columns, int n,
                     const bool* alpha_pass, uint8_t* dst) {
    const ColorKind color = k.color;
    const AlphaKind alpha = k.alpha;
    const Color d = k.diffuse;
    auto shade = [&](Color t) { return Identity ? t : ShadeTexel(color, alpha, d, t); };
    const Color border = shade(k.p->stages[0].sampler.border);
    if (texel_row < 0) {
        if (alpha_pass[border.a])
            for (int i = 0; i < n; ++i) WritePixel<D, B>(dst + i * kBytes<D>, border);
        return;
    }
    const uint8_t* row = tex.Row(texel_row);
    if constexpr (Identity && B == BlendKind::kNone && T == D3DFMT_X8R8G8B8 && D == D3DFMT_X8R8G8B8) {
        // Texels of alpha 255 under a test they pass: each is its bytes with the X byte set.
        if (alpha_pass[255]) {
            for (int i = 0; i < n; ++i, dst += 4) {
                if (columns[i] >= 0) {
                    uint32_t v;
                    std::memcpy(&v, row + columns[i] * 4, 4);
                    v |= 0xFF000000u;
                    std::memcpy(dst, &v, 4);
                } else if (alpha_pass[border.a]) {
                    WritePixel<D, B>(dst, border);
                }
            }
            return;
        }
    }
    for (int i = 0; i < n; ++i, dst += kBytes<D>) {
        int column = columns[i];
        Color c = column >= 0 ? shade(Decode<T>(row + column * kBytes<T>)) : border;
        if (alpha_pass[c.a]) WritePixel<D, B>(dst, c);
    }
}

// The alpha test as a table by alpha, and the range [lo, hi] of the alphas that pass when they are one.
struct AlphaPass {
    bool made = false, test = false;
    DWORD func = 0;
    int ref = 0;
    bool pass[256];
    bool range = false;
    int lo = 0, hi = -1;
};

bool Consecutive(const int* columns, int n) {
    if (n == 0 || columns[0] < 0) return false;
    for (int i = 1; i < n; ++i)
        if (columns[i] != columns[0] + i) return false;
    return true;
}

// Columns that take each texel on two pixels in a row from pixel *head on (0, or 1 when the quad's left
// edge falls inside a pair), as a quad stretched to twice the texture's width does.
bool Doubled(const int* columns, int n, int* head) {
    if (n < 2) return false;
    *head = columns[1] == columns[0] ? 0 : 1;
    const int first = columns[*head];
    if (first < 0) return false;
    for (int i = *head; i < n; ++i)
        if (columns[i] != first + (i - *head) / 2) return false;
    return true;
}

// The texel, target and blend formats with a lane form for rows of consecutive texels: 32-bit texels
// copied onto R5G6B5 (A8R8G8B8 only) and X8R8G8B8 targets under an alpha test of one range, and
// A8R8G8B8 texels alpha-blended by their alpha (or it times the diffuse alpha) onto those targets.
template <D3DFORMAT T, D3DFORMAT D, BlendKind B>
constexpr bool kRowLanes = (D == D3DFMT_R5G6B5 || D == D3DFMT_X8R8G8B8) &&
                           ((B == BlendKind::kNone &&
                             (T == D3DFMT_A8R8G8B8 || (T == D3DFMT_X8R8G8B8 && D == D3DFMT_X8R8G8B8))) ||
                            (B == BlendKind::kAlpha && T == D3DFMT_A8R8G8B8));

// The first pixels of a row of consecutive texels (with `doubled`, each texel on two pixels: copies onto
// X8R8G8B8 only) on lanes; returns how many it handled.
template <D3DFORMAT T, D3DFORMAT D, BlendKind B>
int WriteLanes(const uint8_t* texels, int n, bool doubled, int alpha_scale, int lo, int hi, uint8_t* dst) {
    static_assert(kRowLanes<T, D, B>);
    constexpr bool kOpaque = T == D3DFMT_X8R8G8B8;
    if constexpr (B == BlendKind::kAlpha) {
        return D == D3DFMT_R5G6B5 ? BlendTexels565(texels, n, alpha_scale, lo, hi, dst)
                                  : BlendTexels8888(texels, n, alpha_scale, lo, hi, dst);
    } else if constexpr (D == D3DFMT_R5G6B5) {
        return WriteTexels565(texels, n, lo, hi, dst);
    } else {
        return doubled ? WriteDoubledTexels8888(texels, n, kOpaque, lo, hi, dst)
                       : WriteTexels8888(texels, n, kOpaque, lo, hi, dst);
    }
}

bool IsIdentity(const Kernel& k) {
    return k.color == ColorKind::kTexture && k.alpha == AlphaKind::kTexture;
}

// Whether rows of consecutive texels go on lanes under the kernel, and the alpha scale they blend by.
template <D3DFORMAT T, D3DFORMAT D, BlendKind B>
bool RowLanes(const Kernel& k, const AlphaPass& alpha, int* alpha_scale) {
    if constexpr (!kRowLanes<T, D, B>) {
        return false;
    } else if constexpr (B == BlendKind::kNone) {
        return IsIdentity(k) && alpha.range;
    } else {
        if (k.alpha == AlphaKind::kModulate) *alpha_scale = k.diffuse.a;
        return k.color == ColorKind::kTexture && k.alpha != AlphaKind::kDiffuse && alpha.range;
    }
}

template <D3DFORMAT T, D3DFORMAT D, BlendKind B>
void DrawTexturedRows(const Kernel& k, const SurfaceStore& tex, const int* rows, const int* columns,
                      IntRect box, const AlphaPass& alpha) {
    const bool identity = IsIdentity(k);
    const int w = box.Width();
    bool doubled = false;
    int alpha_scale = 255, head = 0;
    bool lanes = RowLanes<T, D, B>(k, alpha, &alpha_scale);
    if constexpr (kRowLanes<T, D, B>) {
        if (lanes && !Consecutive(columns, w)) {
            doubled = B == BlendKind::kNone && D == D3DFMT_X8R8G8B8 && Doubled(columns, w, &head);
            lanes = doubled;
        }
    }
    // Where every pixel is written whatever the target held, a row of the same texels as the row above
    // is a copy of it (a quad stretched to more rows than its texels).
    const bool copies = B == BlendKind::kNone && alpha.range && alpha.lo == 0 && alpha.hi == 255;
    for (int j = 0; j < box.Height(); ++j) {
        uint8_t* dst = k.p->target->At(box.left, box.top + j);
        if (copies && j > 0 && rows[j] == rows[j - 1]) {
            std::memcpy(dst, k.p->target->At(box.left, box.top + j - 1), size_t(w) * kBytes<D>);
            continue;
        }
        auto row = [&](int from, int count) {
            if (count == 0) return;
            if (identity)
                DrawTexturedRow<T, D, B, true>(k, tex, rows[j], columns + from, count, alpha.pass,
                                               dst + from * kBytes<D>);
            else
                DrawTexturedRow<T, D, B, false>(k, tex, rows[j], columns + from, count, alpha.pass,
                                                dst + from * kBytes<D>);
        };
        int done = 0;
        if constexpr (kRowLanes<T, D, B>) {
            if (lanes && rows[j] >= 0) {
                if (head) row(0, head);
                done = head + WriteLanes<T, D, B>(tex.Row(rows[j]) + columns[head] * kBytes<T>, w - head,
                                                  doubled, alpha_scale, alpha.lo, alpha.hi,
                                                  dst + head * kBytes<D>);
            }
        }
        row(done, w - done);
    }
}

// One row of shaded texels, for blends without a special kind.
template <D3DFORMAT T>
void ShadeTexturedRow(const Kernel& k, const SurfaceStore& tex, int texel_row, const int* columns, int n,
                      Color* out) {
    const Color border = k.p->stages[0].sampler.border;
    const uint8_t* row = texel_row >= 0 ? tex.Row(texel_row) : nullptr;
    for (int i = 0; i < n; ++i) {
        Color t = (row && columns[i] >= 0) ? Decode<T>(row + columns[i] * kBytes<T>) : border;
        out[i] = ShadeTexel(k.color, k.alpha, k.diffuse, t);
    }
}

template <D3DFORMAT D, BlendKind B>
void WriteRow(const PixelPipeline& p, const bool* alpha_pass, uint8_t* dst, const Color* src, int n) {
    for (int i = 0; i < n; ++i, dst += kBytes<D>) {
        Color c = src[i];
        if (!alpha_pass[c.a]) continue;
        if constexpr (B == BlendKind::kGeneric) {
            Color d = Decode<D>(dst);
            if (p.blend.enabled) c = BlendColors(p.blend, c, d);
            if (!(p.write_mask & 1)) c.r = d.r;
            if (!(p.write_mask & 2)) c.g = d.g;
            if (!(p.write_mask & 4)) c.b = d.b;
            if (!(p.write_mask & 8)) c.a = d.a;
            Encode<D>(dst, c);
        } else {
            WritePixel<D, B>(dst, c);
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

// Applies an addressing mode to a texel coordinate; -1 where the border colour shows.
int AddressTexel(int64_t t, int size, DWORD mode) {
    switch (mode) {
        case D3DTADDRESS_CLAMP:
            return int(std::clamp<int64_t>(t, 0, size - 1));
        case D3DTADDRESS_BORDER:
            return (t < 0 || t >= size) ? -1 : int(t);
        case D3DTADDRESS_MIRROR: {
            int64_t period = int64_t(size) * 2, m = ((t % period) + period) % period;
            return int(m < size ? m : period - 1 - m);
        }
        case D3DTADDRESS_MIRRORONCE:
            return int(std::min<int64_t>(t < 0 ? -t - 1 : t, size - 1));
        default:
            if (t >= 0 && t < size) return int(t);
            return int(((t % size) + size) % size);
    }
}

// Texel index of each pixel along one axis (after addressing), -1 where the border colour shows, chosen as
// the sampler chooses it. The interpolated coordinate is an exact floor of an affine function of the pixel,
// stepped from one pixel to the next with a quotient and a remainder while the products fit in 64 bits.
void TexelIndices(int64_t a_pos, int64_t b_pos, int64_t a_tex, int64_t b_tex, int first, int count, int size,
                  DWORD mode, std::vector<int>& out) {
    out.resize(size_t(count));
    if (count == 0) return;
    const int64_t limit = int64_t(1) << 30, step = int64_t(1) << kSubpixelBits;
    const int64_t pos0 = int64_t(first) << kSubpixelBits, pos1 = int64_t(first + count - 1) << kSubpixelBits;
    bool small = std::abs(a_tex) < limit && std::abs(b_tex) < limit;
    for (int64_t pos : {pos0, pos1})
        small = small && std::abs(b_pos - pos) < limit && std::abs(pos - a_pos) < limit;
    if (!small) {
        for (int i = 0; i < count; ++i) {
            int64_t pos = int64_t(first + i) << kSubpixelBits;
            out[size_t(i)] = AddressTexel(TexelOf(Interpolate(a_pos, b_pos, a_tex, b_tex, pos)), size, mode);
        }
        return;
    }
    int64_t n = a_tex * (b_pos - pos0) + b_tex * (pos0 - a_pos), delta = (b_tex - a_tex) * step,
            d = b_pos - a_pos;
    if (d < 0) n = -n, delta = -delta, d = -d;
    auto floor_div = [d](int64_t v, int64_t* rem) {
        int64_t q = v / d, r = v % d;
        if (r < 0) r += d, --q;
        *rem = r;
        return q;
    };
    int64_t r, dr;
    int64_t q = floor_div(n, &r), dq = floor_div(delta, &dr);
    for (int i = 0; i < count; ++i) {
        out[size_t(i)] = int(TexelOf(q));
        q += dq, r += dr;
        if (r >= d) r -= d, ++q;
    }
    // The texels run one way: when the first and the last lie inside the texture, so do all, and the
    // addressing leaves them as they are.
    if (out[0] < 0 || out[0] >= size || out.back() < 0 || out.back() >= size)
        for (int& t : out) t = AddressTexel(t, size, mode);
}

// The alpha test's table, made again only when the test's states change.
const AlphaPass& AlphaPassTable(const PixelPipeline& p) {
    thread_local AlphaPass table;
    if (!table.made || table.test != p.alpha_test || table.func != p.alpha_func || table.ref != p.alpha_ref) {
        table = {true, p.alpha_test, p.alpha_func, p.alpha_ref, {}};
        int passed = 0;
        for (int a = 0; a < 256; ++a) {
            table.pass[a] = !p.alpha_test || CompareFunc(p.alpha_func, a, p.alpha_ref);
            if (!table.pass[a]) continue;
            if (passed++ == 0) table.lo = a;
            table.hi = a;
        }
        table.range = passed > 0 && passed == table.hi - table.lo + 1;
    }
    return table;
}

// An untextured quad's one colour, row by row: stored as one encoded pixel without blending,
// alpha-blended on lanes where the target has them (onto R5G6B5 as a row of texels of that colour), and
// pixel by pixel otherwise. An alpha test that refuses the colour leaves every pixel.
template <D3DFORMAT D>
void FillRows(const Kernel& k, Color c, IntRect box, const AlphaPass& alpha) {
    if (!alpha.pass[c.a]) return;
    const int w = box.Width();
    if (k.blend == BlendKind::kNone) {
        uint8_t pixel[4];
        Encode<D>(pixel, c);
        for (int j = 0; j < box.Height(); ++j) {
            uint8_t* dst = k.p->target->At(box.left, box.top + j);
            for (int i = 0; i < w; ++i) std::memcpy(dst + i * kBytes<D>, pixel, kBytes<D>);
        }
        return;
    }
    thread_local std::vector<Color> colors;
    thread_local std::vector<uint32_t> texels;
    colors.assign(size_t(w), c);
    if (D == D3DFMT_R5G6B5) texels.assign(size_t(w), ArgbFromColor(c));
    for (int j = 0; j < box.Height(); ++j) {
        uint8_t* dst = k.p->target->At(box.left, box.top + j);
        int done = 0;
        if (k.blend == BlendKind::kAlpha && D == D3DFMT_X8R8G8B8)
            done = BlendColor8888(ArgbFromColor(c), w, dst);
        if constexpr (D == D3DFMT_R5G6B5)
            if (k.blend == BlendKind::kAlpha)
                done = BlendTexels565(reinterpret_cast<const uint8_t*>(texels.data()), w, 255, 0, 255, dst);
        WriteRowFor<D>(k.blend, *k.p, alpha.pass, dst + done * kBytes<D>, colors.data(), w - done);
    }
}

// 32-bit texels stored as X8R8G8B8 pixels, their alpha byte set: what the row lanes do when every texel
// passes, without reading the target.
void CopyTexelsOpaque8888(const uint8_t* texels, int n, uint8_t* dst) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i set = _mm_set1_epi32(int32_t(0xFF000000u));
    for (; i + 4 <= n; i += 4)
        _mm_storeu_si128(
            reinterpret_cast<__m128i*>(dst + i * 4),
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + i * 4)), set));
#endif
    for (; i < n; ++i) {
        uint32_t v;
        std::memcpy(&v, texels + i * 4, 4);
        v |= 0xFF000000u;
        std::memcpy(dst + i * 4, &v, 4);
    }
}

// A one-to-one copy of the box from texel (column, row) on, all inside the texture: rows of consecutive
// texels, on lanes where the formats have them.
template <D3DFORMAT T, D3DFORMAT D, BlendKind B>
void CopyTexelRows(const Kernel& k, int column, int row, IntRect box) {
    static_assert(kRowLanes<T, D, B>);
    const SurfaceStore& tex = *k.p->stages[0].sampler.texture;
    const AlphaPass& alpha = AlphaPassTable(*k.p);
    const bool identity = IsIdentity(k);
    int alpha_scale = 255;
    const bool lanes = RowLanes<T, D, B>(k, alpha, &alpha_scale);
    const int w = box.Width();
    if constexpr (B == BlendKind::kNone && D == D3DFMT_X8R8G8B8) {
        // Every texel passes and is stored as it is, its alpha byte set: rows of plain copies.
        if (identity && alpha.range && alpha.lo == 0 && alpha.hi == 255) {
            const uint8_t* from = tex.Row(row) + column * 4;
            uint8_t* to = k.p->target->At(box.left, box.top);
            const size_t from_pitch = size_t(tex.pitch), to_pitch = size_t(k.p->target->pitch);
            for (int j = 0; j < box.Height(); ++j, from += from_pitch, to += to_pitch)
                CopyTexelsOpaque8888(from, w, to);
            return;
        }
    }
    for (int j = 0; j < box.Height(); ++j) {
        uint8_t* dst = k.p->target->At(box.left, box.top + j);
        const int texel_row = row + j;
        int done = 0;
        if (lanes)
            done = WriteLanes<T, D, B>(tex.Row(texel_row) + column * kBytes<T>, w, false, alpha_scale,
                                       alpha.lo, alpha.hi, dst);
        if (done == w) continue;
        if (identity)
            DrawTexturedRow<T, D, B, true>(k, tex, texel_row, TexelRun{column + done}, w - done, alpha.pass,
                                           dst + done * kBytes<D>);
        else
            DrawTexturedRow<T, D, B, false>(k, tex, texel_row, TexelRun{column + done}, w - done, alpha.pass,
                                            dst + done * kBytes<D>);
    }
}

// The kernel of a quad of one diffuse colour: kinds that the colour leaves without effect are dropped.
Kernel QuadKernelFor(const PixelPipeline& p, BlendKind blend, ColorKind color, AlphaKind alpha, Color diffuse,
                     bool untextured) {
    Kernel k{&p, blend, color, alpha, diffuse};
    // Modulating by 255 leaves a channel as it is.
    if (k.color == ColorKind::kModulate && k.diffuse.r == 255 && k.diffuse.g == 255 && k.diffuse.b == 255)
        k.color = ColorKind::kTexture;
    if (k.alpha == AlphaKind::kModulate && k.diffuse.a == 255) k.alpha = AlphaKind::kTexture;
    // A texture without alpha reads 255, as the diffuse alpha then does: either alpha is the texel's
    // (the border colour, which has an alpha of its own, is never read but in border addressing).
    if (k.alpha == AlphaKind::kDiffuse && k.diffuse.a == 255 && !untextured) {
        const SamplerSetup& sampler = p.stages[0].sampler;
        if (!HasAlphaChannel(sampler.texture->format) && sampler.address_u != D3DTADDRESS_BORDER &&
            sampler.address_v != D3DTADDRESS_BORDER)
            k.alpha = AlphaKind::kTexture;
    }
    return k;
}

// The quad's corners snapped, and its box of covered pixels within the clip.
struct QuadGeometry {
    int64_t x0, x1, y0, y2;
    IntRect box;
};

// The per-fragment shading of a quad whose stages have no special kernel, with the texel coordinates of
// each column and row as the generic path interpolates them.
void ShadeQuadFragments(const PixelPipeline& p, const ScreenVertex* q, const QuadGeometry& g) {
    const IntRect& box = g.box;
    thread_local std::vector<int64_t> col_u[kStageCount], row_v[kStageCount];
    for (int s = 0; s < p.stage_count; ++s) {
        const SurfaceStore* t = p.stages[s].sampler.texture;
        if (!t) continue;
        int set = p.stages[s].texcoord_index;
        int64_t ua = TexelFixed(q[0].u[set], t->width), ub = TexelFixed(q[1].u[set], t->width);
        int64_t va = TexelFixed(q[0].v[set], t->height), vb = TexelFixed(q[2].v[set], t->height);
        col_u[s].resize(size_t(box.Width()));
        row_v[s].resize(size_t(box.Height()));
        for (int i = 0; i < box.Width(); ++i)
            col_u[s][size_t(i)] = Interpolate(g.x0, g.x1, ua, ub, int64_t(box.left + i) << kSubpixelBits);
        for (int j = 0; j < box.Height(); ++j)
            row_v[s][size_t(j)] = Interpolate(g.y0, g.y2, va, vb, int64_t(box.top + j) << kSubpixelBits);
    }
    Fragment f;
    f.diffuse = q[0].diffuse;
    f.specular = q[0].specular;
    for (int j = 0; j < box.Height(); ++j)
        for (int i = 0; i < box.Width(); ++i) {
            f.x = box.left + i;
            f.y = box.top + j;
            for (int s = 0; s < p.stage_count; ++s)
                if (p.stages[s].sampler.texture) f.u[s] = col_u[s][size_t(i)], f.v[s] = row_v[s][size_t(j)];
            ShadeFragment(p, f);
        }
}

// An untextured quad: the stages' one colour, with the specular colour added, filled in.
void FillQuad(const Kernel& k, const ScreenVertex& corner, IntRect box, const AlphaPass& alpha) {
    const PixelPipeline& p = *k.p;
    Fragment f;
    f.diffuse = corner.diffuse;
    f.specular = corner.specular;
    Color c = RunStages(p, f);
    if (p.specular_add) {
        c.r = std::min(255, c.r + f.specular.r);
        c.g = std::min(255, c.g + f.specular.g);
        c.b = std::min(255, c.b + f.specular.b);
    }
    DispatchColorFormat(p.target->format, [&](auto d) { FillRows<decltype(d)::value>(k, c, box, alpha); });
}

// A quad of one texture through a stage of a special kind: the texel of each column and row, then the
// rows by the texture's and the target's formats and the blend's kind.
void DrawTexturedQuad(const Kernel& k, const ScreenVertex* q, const QuadGeometry& g, const AlphaPass& alpha) {
    const PixelPipeline& p = *k.p;
    const SamplerSetup& smp = p.stages[0].sampler;
    const SurfaceStore& tex = *smp.texture;
    const IntRect& box = g.box;
    const int set = p.stages[0].texcoord_index, w = box.Width();
    thread_local std::vector<int> columns, rows;
    TexelIndices(g.x0, g.x1, TexelFixed(q[0].u[set], tex.width), TexelFixed(q[1].u[set], tex.width), box.left,
                 w, tex.width, smp.address_u, columns);
    TexelIndices(g.y0, g.y2, TexelFixed(q[0].v[set], tex.height), TexelFixed(q[2].v[set], tex.height),
                 box.top, box.Height(), tex.height, smp.address_v, rows);
    DispatchColorFormat(tex.format, [&](auto t) {
        DispatchColorFormat(p.target->format, [&](auto d) {
            constexpr D3DFORMAT T = decltype(t)::value, D = decltype(d)::value;
            switch (k.blend) {
                case BlendKind::kNone:
                    DrawTexturedRows<T, D, BlendKind::kNone>(k, tex, rows.data(), columns.data(), box, alpha);
                    break;
                case BlendKind::kAlpha:
                    DrawTexturedRows<T, D, BlendKind::kAlpha>(k, tex, rows.data(), columns.data(), box,
                                                              alpha);
                    break;
                case BlendKind::kAdditive:
                    DrawTexturedRows<T, D, BlendKind::kAdditive>(k, tex, rows.data(), columns.data(), box,
                                                                 alpha);
                    break;
                default:
                    thread_local std::vector<Color> colors;
                    colors.resize(size_t(w));
                    for (int j = 0; j < box.Height(); ++j) {
                        ShadeTexturedRow<T>(k, tex, rows[size_t(j)], columns.data(), w, colors.data());
                        WriteRow<D, BlendKind::kGeneric>(p, alpha.pass, p.target->At(box.left, box.top + j),
                                                         colors.data(), w);
                    }
                    break;
            }
        });
    });
}

}  // namespace

AxisAlignedQuads::AxisAlignedQuads(const RasterSetup& raster) : raster_(raster) {
    const PixelPipeline& p = *raster.pipeline;
    usable_ = !p.depth && !p.shader;  // a pixel shader takes the place of the stages
    untextured_ = true;
    for (int s = 0; s < p.stage_count; ++s) {
        const SamplerSetup& smp = p.stages[s].sampler;
        if (!smp.texture) continue;
        untextured_ = false;
        if (smp.linear_mag || smp.linear_min) usable_ = false;
    }
    blend_ = ClassifyBlend(p);
    const bool textured = p.stage_count == 1 && p.stages[0].sampler.texture;
    special_ =
        IsColorFormat(p.target->format) && (untextured_ || (textured && ClassifyStage(p, &color_, &alpha_)));
}

bool AxisAlignedQuads::Draw(const ScreenVertex* q) const {
    if (!usable_) return false;
    const PixelPipeline& p = *raster_.pipeline;
    // Far coordinates (and NaN) are left to the generic path's guard band.
    auto near = [](double v) { return std::abs(v) <= 1e6; };
    if (!near(q[0].x) || !near(q[1].x) || !near(q[0].y) || !near(q[2].y)) return false;
    // Values equal as given round alike: only differing ones are rounded to be compared.
    auto snap_alike = [](double a, double b) { return a == b || SnapCoordinate(a) == SnapCoordinate(b); };
    auto texel_alike = [](float a, float b) { return a == b || TexelFixed(a, 1) == TexelFixed(b, 1); };
    if (!snap_alike(q[0].x, q[2].x) || !snap_alike(q[1].x, q[3].x) || !snap_alike(q[0].y, q[1].y) ||
        !snap_alike(q[2].y, q[3].y))
        return false;
    QuadGeometry g{
        SnapCoordinate(q[0].x), SnapCoordinate(q[1].x), SnapCoordinate(q[0].y), SnapCoordinate(q[2].y), {}};
    for (int k = 1; k < 4; ++k)
        if (!(q[k].diffuse == q[0].diffuse) || !(q[k].specular == q[0].specular) || q[k].rhw != q[0].rhw)
            return false;
    // The quad's winding decides culling for both of its triangles alike.
    int64_t area = (g.x1 - g.x0) * (g.y2 - g.y0);
    if (area == 0) return true;
    if ((raster_.cull == D3DCULL_CW && area > 0) || (raster_.cull == D3DCULL_CCW && area < 0)) return true;
    for (int s = 0; s < p.stage_count; ++s) {
        if (!p.stages[s].sampler.texture) continue;
        int set = p.stages[s].texcoord_index;
        if (!texel_alike(q[0].u[set], q[2].u[set]) || !texel_alike(q[1].u[set], q[3].u[set]) ||
            !texel_alike(q[0].v[set], q[1].v[set]) || !texel_alike(q[2].v[set], q[3].v[set]))
            return false;
    }
    g.box = Intersect({int(PixelCeil(std::min(g.x0, g.x1))), int(PixelCeil(std::min(g.y0, g.y2))),
                       int(PixelCeil(std::max(g.x0, g.x1))), int(PixelCeil(std::max(g.y0, g.y2)))},
                      p.clip);
    if (g.box.Empty()) return true;
    if (!special_) {
        ShadeQuadFragments(p, q, g);
        return true;
    }
    const Kernel k = QuadKernelFor(p, blend_, color_, alpha_, q[0].diffuse, untextured_);
    const AlphaPass& alpha = AlphaPassTable(p);
    if (untextured_)
        FillQuad(k, q[0], g.box, alpha);
    else
        DrawTexturedQuad(k, q, g, alpha);
    return true;
}

namespace {

float ReadFloatAt(const uint8_t* vertex, int offset) {
    float v;
    std::memcpy(&v, vertex + offset, 4);
    return v;
}

uint32_t ReadWordAt(const uint8_t* vertex, int offset) {
    uint32_t v = 0;
    if (offset >= 0) std::memcpy(&v, vertex + offset, 4);
    return v;
}

// The texel of the first of `count` pixels from `first` on along an axis, when the pixels take
// consecutive texels; -1 otherwise. An exact step of one texel per pixel needs no division. Otherwise
// the texel is the floor of an affine function of the pixel, which steps by the floor or the ceiling of
// its slope: when the last pixel's texel lies count - 1 after the first's, every step is one.
int64_t FirstOfTexelRun(int64_t a_pos, int64_t b_pos, int64_t a_tex, int64_t b_tex, int first, int count) {
    constexpr int kTexelPerSubpixel = 16 - kSubpixelBits;
    const int64_t first_pos = int64_t(first) << kSubpixelBits;
    if (b_tex - a_tex == (b_pos - a_pos) << kTexelPerSubpixel)
        return TexelOf(a_tex + ((first_pos - a_pos) << kTexelPerSubpixel));
    const int64_t head = TexelOf(Interpolate(a_pos, b_pos, a_tex, b_tex, first_pos));
    const int64_t last_pos = int64_t(first + count - 1) << kSubpixelBits;
    return TexelOf(Interpolate(a_pos, b_pos, a_tex, b_tex, last_pos)) - head == count - 1 ? head : -1;
}

// memcmp's answer for the few bytes of a vertex, without its call: eight bytes at a time, the last eight
// overlapping the ones before.
bool SameBytes(const uint8_t* a, const uint8_t* b, int size) {
    auto same = [a, b](int at) {
        uint64_t x, y;
        std::memcpy(&x, a + at, 8);
        std::memcpy(&y, b + at, 8);
        return x == y;
    };
    if (size < 8) return std::memcmp(a, b, size_t(size)) == 0;
    for (int i = 0; i + 8 < size; i += 8)
        if (!same(i)) return false;
    return same(size - 8);
}

// TexelFixed of a coordinate, remembered by its bits: a batch's quads share few texel edges.
int64_t RectangleTexelFixed(float coordinate, int size, TexelMemo& memo) {
    uint32_t bits;
    std::memcpy(&bits, &coordinate, 4);
    TexelMemo::Entry& entry = memo.entries[(bits * 0x9E3779B1u) >> (32 - TexelMemo::kBits)];
    if (entry.made && entry.bits == bits) return entry.fixed;
    entry = {true, bits, TexelFixed(coordinate, size)};
    return entry.fixed;
}

bool AnyTextureTransform(const DeviceState& state) {
    for (const auto& stage : state.stage)
        if ((stage[D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF) != D3DTTFF_DISABLE) return true;
    return false;
}

}  // namespace

RectangleCopies::RectangleCopies(const DrawCall& call) : call_(call) {
    const PixelPipeline& p = *call.pipeline;
    const VertexLayout& layout = call.layout;
    if (call.vertex_shader || p.shader || p.depth || !layout.pretransformed || p.stage_count != 1) return;
    const SamplerSetup& sampler = p.stages[0].sampler;
    if (!sampler.texture || sampler.linear_mag || sampler.linear_min || !IsColorFormat(p.target->format))
        return;
    if (AnyTextureTransform(*call.state)) return;
    const int set = p.stages[0].texcoord_index;
    if (set < 0 || set >= layout.tex_count || !ClassifyStage(p, &color_, &alpha_)) return;
    texcoord_ = layout.tex[set];
    blend_ = ClassifyBlend(p);
    DispatchColorFormat(sampler.texture->format, [&](auto t) {
        DispatchColorFormat(p.target->format, [&](auto d) {
            constexpr D3DFORMAT T = decltype(t)::value, D = decltype(d)::value;
            if constexpr (kRowLanes<T, D, BlendKind::kNone>)
                if (blend_ == BlendKind::kNone) rows_ = &CopyTexelRows<T, D, BlendKind::kNone>;
            if constexpr (kRowLanes<T, D, BlendKind::kAlpha>)
                if (blend_ == BlendKind::kAlpha) rows_ = &CopyTexelRows<T, D, BlendKind::kAlpha>;
        });
    });
}

// A copy has its corners on one rectangle with the texture coordinates along its axes (as given, not
// only after rounding), one colour, and exactly one texel per pixel both ways: the texel of each pixel
// then steps by one from the first, which no division is needed to find.
bool RectangleCopies::Draw(const uint8_t* const v[6]) const {
    if (!rows_) return false;
    const VertexLayout& layout = call_.layout;
    if (!SameBytes(v[4], v[2], layout.size) || !SameBytes(v[5], v[1], layout.size)) return false;
    const int at = layout.position;
    const float x0 = ReadFloatAt(v[0], at), x1 = ReadFloatAt(v[1], at);
    const float y0 = ReadFloatAt(v[0], at + 4), y2 = ReadFloatAt(v[2], at + 4);
    if (ReadFloatAt(v[2], at) != x0 || ReadFloatAt(v[3], at) != x1 || ReadFloatAt(v[1], at + 4) != y0 ||
        ReadFloatAt(v[3], at + 4) != y2)
        return false;
    const float u0 = ReadFloatAt(v[0], texcoord_), u1 = ReadFloatAt(v[1], texcoord_);
    const float v0 = ReadFloatAt(v[0], texcoord_ + 4), v2 = ReadFloatAt(v[2], texcoord_ + 4);
    if (ReadFloatAt(v[2], texcoord_) != u0 || ReadFloatAt(v[3], texcoord_) != u1 ||
        ReadFloatAt(v[1], texcoord_ + 4) != v0 || ReadFloatAt(v[3], texcoord_ + 4) != v2)
        return false;
    const float rhw = ReadFloatAt(v[0], at + 12);
    const uint32_t diffuse = ReadWordAt(v[0], layout.diffuse), specular = ReadWordAt(v[0], layout.specular);
    for (int k = 1; k < 4; ++k)
        if (ReadFloatAt(v[k], at + 12) != rhw || ReadWordAt(v[k], layout.diffuse) != diffuse ||
            ReadWordAt(v[k], layout.specular) != specular)
            return false;
    auto near = [](float c) { return std::abs(c) <= 1e6f; };
    if (!near(x0) || !near(x1) || !near(y0) || !near(y2)) return false;
    const int64_t left = SnapCoordinate(x0), right = SnapCoordinate(x1);
    const int64_t top = SnapCoordinate(y0), bottom = SnapCoordinate(y2);
    if (right <= left || bottom <= top) return false;
    if (call_.raster.cull == D3DCULL_CW) return true;  // clockwise on the screen, as both triangles are
    const PixelPipeline& p = *call_.pipeline;
    const SurfaceStore& tex = *p.stages[0].sampler.texture;
    const IntRect box = Intersect(
        {int(PixelCeil(left)), int(PixelCeil(top)), int(PixelCeil(right)), int(PixelCeil(bottom))}, p.clip);
    if (box.Empty()) return true;
    const int64_t column =
        FirstOfTexelRun(left, right, RectangleTexelFixed(u0, tex.width, u_memo_),
                        RectangleTexelFixed(u1, tex.width, u_memo_), box.left, box.Width());
    const int64_t row = FirstOfTexelRun(top, bottom, RectangleTexelFixed(v0, tex.height, v_memo_),
                                        RectangleTexelFixed(v2, tex.height, v_memo_), box.top, box.Height());
    if (column < 0 || row < 0 || column + box.Width() > tex.width || row + box.Height() > tex.height)
        return false;
    if (!kernel_made_ || diffuse != kernel_diffuse_) {
        const Color colour = layout.diffuse >= 0 ? ColorFromArgb(diffuse) : Color{255, 255, 255, 255};
        kernel_ = QuadKernelFor(p, blend_, color_, alpha_, colour, false);
        kernel_diffuse_ = diffuse;
        kernel_made_ = true;
    }
    rows_(kernel_, int(column), int(row), box);
    return true;
}

}  // namespace d3d9
