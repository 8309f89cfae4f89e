#include "platform/d3d9/shader_sampling.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/rasterizer.h"
#include "platform/d3d9/texel_address.h"
#include "platform/d3d9/texel_snap.h"

namespace d3d9 {

namespace {

ColorF Unit(Color c) {
    const float* unit = kUnitFloats.v;
    return {unit[c.r], unit[c.g], unit[c.b], unit[c.a]};
}

void Store(const ColorF& c, int lane, LaneVector* out) {
    out->c[0][lane] = c.r, out->c[1][lane] = c.g, out->c[2][lane] = c.b, out->c[3][lane] = c.a;
}

float ChannelOf(const ColorF& c, int channel) {
    const float channels[4] = {c.r, c.g, c.b, c.a};
    return channels[channel];
}

// The texel each lane's coordinate points at along one axis (-1 for the border). A quad's lanes mostly
// share their coordinate along an axis with another lane, which then gives its texel; the others come
// from `cache` when it has them.
void Texels(const LaneFloat& coordinate, DWORD address, int size, TexelIndexCache* cache, int* out) {
    uint32_t bits[kShaderLanes];
    std::memcpy(bits, &coordinate, sizeof(bits));
    if (cache && (cache->address != address || cache->size != size)) {
        cache->address = address, cache->size = size;
        if (++cache->generation == 0) {  // wrapped: no entry of an earlier generation may pass for current
            for (TexelIndexCache::Entry& e : cache->entries) e.made = 0;
            cache->generation = 1;
        }
    }
    for (int l = 0; l < kShaderLanes; ++l) {
        int same = l;
        for (int k = 0; k < l && same == l; ++k)
            if (bits[k] == bits[l]) same = k;
        if (same < l) {
            out[l] = out[same];
            continue;
        }
        if (!cache) {
            out[l] = TexelAddress(address, TexelOf(TexelFixed(coordinate[l], size)), size);
            continue;
        }
        TexelIndexCache::Entry& e = cache->entries[bits[l] * 0x9E3779B1u >> (32 - TexelIndexCache::kBits)];
        if (e.made != cache->generation || e.bits != bits[l])
            e = {bits[l], cache->generation,
                 TexelAddress(address, TexelOf(TexelFixed(coordinate[l], size)), size)};
        out[l] = e.texel;
    }
}

// Point samples of every lane from a 2D level of an 8-bit format: the stages' point rule, with the format's
// decoder inlined.
template <D3DFORMAT F>
void PointLanes(const ShaderSampler& s, const SurfaceStore& t, const SampleRequest& r, LaneVector* out) {
    int x[kShaderLanes], y[kShaderLanes];
    Texels(*r.coordinates[0], s.address[0], t.width, r.texels ? &r.texels[0] : nullptr, x);
    Texels(*r.coordinates[1], s.address[1], t.height, r.texels ? &r.texels[1] : nullptr, y);
    for (int l = 0; l < kShaderLanes; ++l)
        Store(Unit(x[l] < 0 || y[l] < 0 ? s.border8 : Decode<F>(t.At(x[l], y[l]))), l, out);
}

// A 2D level of an 8-bit format through the stages' sampler itself.
Color StageTexel(const ShaderSampler& s, int level, float u, float v, bool linear) {
    const SurfaceStore* store = s.stores[level];
    SamplerSetup setup{store, s.address[0], s.address[1], s.border8, linear, linear};
    return SampleStage(setup, TexelFixed(u, store->width), TexelFixed(v, store->height), false);
}

// A texel by its position on each axis; the border colour where the address modes give none.
ColorF Fetch(const ShaderSampler& s, const TexelLevel& t, const int64_t* at) {
    const int x = TexelAddress(s.address[0], at[0], t.width), y = TexelAddress(s.address[1], at[1], t.height);
    const int z = s.volume ? TexelAddress(s.address[2], at[2], t.depth) : 0;
    if (x < 0 || y < 0 || z < 0) return s.border;
    return FetchTexelFloat(s.format, t.bits + size_t(z) * size_t(t.slice_pitch), t.row_pitch, x, y);
}

// The weighted sum of the 2^dims texels around a sample (corner k is +1 along axis a where bit a of k is
// set), `weight[a]` being the next texel's share of 256 along axis a. At 8 bits the channels are summed
// as integers and rounded as the fixed-function sampler rounds.
ColorF Filter(const ColorF* texels, const int* weight, int dims, bool eight_bits) {
    const int corners = 1 << dims;
    auto share = [&](int k) {
        int64_t w = 1;
        for (int a = 0; a < dims; ++a) w *= (k >> a & 1) ? weight[a] : 256 - weight[a];
        return w;
    };
    float out[4];
    for (int ch = 0; ch < 4; ++ch) {
        auto channel = [&](int k) { return ChannelOf(texels[k], ch); };
        if (eight_bits) {
            int64_t sum = 0;
            for (int k = 0; k < corners; ++k) sum += int64_t(channel(k) * 255.0f + 0.5f) * share(k);
            const int shift = 8 * dims;
            out[ch] = float((sum + (int64_t(1) << (shift - 1))) >> shift) / 255.0f;
        } else {
            double sum = 0;
            for (int k = 0; k < corners; ++k) sum += double(channel(k)) * double(share(k));
            out[ch] = float(sum / double(int64_t(1) << (8 * dims)));
        }
    }
    return {out[0], out[1], out[2], out[3]};
}

ColorF SampleLevel(const ShaderSampler& s, int level, const float* coordinate, bool linear) {
    if (s.stores[level]) return Unit(StageTexel(s, level, coordinate[0], coordinate[1], linear));
    const TexelLevel& t = s.levels[level];
    const int size[3] = {t.width, t.height, t.depth};
    const int dims = s.volume ? 3 : 2;
    int64_t at[3] = {};
    if (!linear) {
        for (int a = 0; a < dims; ++a) at[a] = TexelOf(TexelFixed(coordinate[a], size[a]));
        return Fetch(s, t, at);
    }
    // The texel before the sample point (the point half a texel back) and the next one's weight.
    int weight[3] = {};
    for (int a = 0; a < dims; ++a) {
        const int64_t snapped = SnapTexelCoordinate(TexelFixed(coordinate[a], size[a])) - 32768;
        at[a] = snapped >> 16;
        weight[a] = int((snapped >> 8) & 255);
    }
    ColorF texels[8];
    for (int k = 0; k < (1 << dims); ++k) {
        const int64_t corner[3] = {at[0] + (k & 1), at[1] + (k >> 1 & 1), at[2] + (k >> 2 & 1)};
        texels[k] = Fetch(s, t, corner);
    }
    return Filter(texels, weight, dims, FiltersAtEightBits(s.format));
}

// log2 of the texels a pixel step covers along the faster axis (as the fixed-function stages measure it:
// the largest gradient of any coordinate), plus the biases; or the given level plus the sampler's bias.
float LevelOfDetail(const ShaderSampler& s, const SampleRequest& r, int lane) {
    if (r.source == LodSource::kGiven) return r.lod[lane] + s.lod_bias;
    const TexelLevel& t = s.levels[0];
    const float size[3] = {float(t.width), float(t.height), float(t.depth)};
    float rho = 0;
    for (int a = 0; a < (s.volume ? 3 : 2); ++a)
        rho = std::max({rho, std::abs((*r.gradients_x[a])[lane]) * size[a],
                        std::abs((*r.gradients_y[a])[lane]) * size[a]});
    return std::log2(rho) + r.lod[lane] + s.lod_bias;
}

ColorF SampleLane(const ShaderSampler& s, const SampleRequest& r, int lane) {
    const float coordinate[3] = {(*r.coordinates[0])[lane], (*r.coordinates[1])[lane],
                                 (*r.coordinates[2])[lane]};
    const int last = s.level_count - 1, base = std::min(s.first_level, last);
    // The level of detail only chooses between the filters and among the levels.
    if (s.mip_filter == D3DTEXF_NONE && s.linear_min == s.linear_mag)
        return SampleLevel(s, base, coordinate, s.linear_mag);
    float lod = LevelOfDetail(s, r, lane);
    if (!(lod > -32.0f)) lod = -32.0f;  // and NaN
    lod = std::min(lod, 32.0f);
    const bool minify = lod > 0;
    const bool linear = minify ? s.linear_min : s.linear_mag;
    if (!minify || s.mip_filter == D3DTEXF_NONE) return SampleLevel(s, base, coordinate, linear);
    if (s.mip_filter == D3DTEXF_POINT)
        return SampleLevel(s, std::min(last, base + int(std::floor(lod + 0.5f))), coordinate, linear);
    const int whole = int(std::floor(lod));
    const int first = base + whole;
    if (first >= last) return SampleLevel(s, last, coordinate, linear);
    const ColorF a = SampleLevel(s, first, coordinate, linear),
                 b = SampleLevel(s, first + 1, coordinate, linear);
    const float f = lod - float(whole);
    return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f, a.a + (b.a - a.a) * f};
}

}  // namespace

void SetSamplerStates(const DWORD* states, ShaderSampler* s) {
    s->address[0] = states[D3DSAMP_ADDRESSU];
    s->address[1] = states[D3DSAMP_ADDRESSV];
    s->address[2] = states[D3DSAMP_ADDRESSW];
    s->border8 = ColorFromArgb(states[D3DSAMP_BORDERCOLOR]);
    const float* unit = kUnitFloats.v;
    s->border = {unit[s->border8.r], unit[s->border8.g], unit[s->border8.b], unit[s->border8.a]};
    s->linear_mag = states[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR;
    s->linear_min = states[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
    s->mip_filter = std::min<DWORD>(states[D3DSAMP_MIPFILTER], D3DTEXF_LINEAR);
    s->first_level = int(std::min<DWORD>(states[D3DSAMP_MAXMIPLEVEL], kMaxTextureLevels));
    std::memcpy(&s->lod_bias, &states[D3DSAMP_MIPMAPLODBIAS], 4);
    if (!std::isfinite(s->lod_bias)) s->lod_bias = 0;
}

void SampleLanes(const ShaderSampler& s, const SampleRequest& request, LaneVector* out) {
    // One level and one filter whatever the level of detail, 8 bits: the common case, straight.
    if (s.level_count > 0 && s.mip_filter == D3DTEXF_NONE && s.linear_min == s.linear_mag) {
        const int level = std::min(s.first_level, s.level_count - 1);
        const SurfaceStore* store = s.stores[level];
        if (store && !s.linear_mag && DispatchColorFormat(store->format, [&](auto f) {
                PointLanes<decltype(f)::value>(s, *store, request, out);
            }))
            return;
        if (store) {
            for (int l = 0; l < kShaderLanes; ++l)
                Store(Unit(StageTexel(s, level, (*request.coordinates[0])[l], (*request.coordinates[1])[l],
                                      s.linear_mag)),
                      l, out);
            return;
        }
    }
    for (int l = 0; l < kShaderLanes; ++l) {
        const ColorF c = s.level_count > 0 ? SampleLane(s, request, l) : ColorF{0, 0, 0, 1};
        Store(c, l, out);
    }
}

}  // namespace d3d9
