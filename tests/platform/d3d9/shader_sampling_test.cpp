// texld's sampler against the fixed-function stages' sampler on the same texels and states: point and
// linear filters, every address mode, the magnification and minification filters chosen by the
// gradients, and mip levels chosen by the level of detail give the same texels.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "platform/d3d9/channel_formats.h"
#include "platform/d3d9/device_state.h"
#include "platform/d3d9/pixel_pipeline.h"
#include "platform/d3d9/rasterizer.h"
#include "platform/d3d9/shader_sampling.h"

namespace d3d9_test {
namespace {

using d3d9::Color;
using d3d9::LaneFloat;
using d3d9::SurfaceStore;

// Random texels: random colours, random blocks for a block format, random floats in [-2, 4] for a wide
// format.
SurfaceStore RandomLevel(D3DFORMAT format, int width, int height, std::mt19937& rng) {
    SurfaceStore s;
    s.Allocate(format, width, height);
    if (d3d9::IsBlockFormat(format)) {
        for (uint8_t& b : s.bits) b = uint8_t(rng());
        return s;
    }
    std::uniform_real_distribution<float> any(-2.0f, 4.0f);
    if (d3d9::IsWideFormat(format)) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                d3d9::EncodePixelFloat(format, s.At(x, y), {any(rng), any(rng), any(rng), any(rng)});
        return s;
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) d3d9::EncodePixel(format, s.At(x, y), d3d9::ColorFromArgb(rng()));
    return s;
}

struct Samplers {
    d3d9::SamplerSetup fixed;
    d3d9::ShaderSampler shader;
};

Samplers Make(const std::vector<SurfaceStore>& levels, DWORD address_u, DWORD address_v, DWORD mag, DWORD min,
              DWORD mip) {
    Samplers s;
    std::array<DWORD, D3D_SAMPLER_STATE_COUNT> states{};
    states[D3DSAMP_ADDRESSU] = address_u;
    states[D3DSAMP_ADDRESSV] = address_v;
    states[D3DSAMP_BORDERCOLOR] = 0x80402010;
    states[D3DSAMP_MAGFILTER] = mag;
    states[D3DSAMP_MINFILTER] = min;
    states[D3DSAMP_MIPFILTER] = mip;
    d3d9::SetSamplerStates(states.data(), &s.shader);
    s.shader.format = levels[0].format;
    s.shader.bytes_per_texel = levels[0].bytes_per_pixel;
    s.shader.level_count = int(levels.size());
    for (size_t i = 0; i < levels.size(); ++i)
        s.shader.levels[i] = {
            levels[i].bits.data(), levels[i].width, levels[i].height, 1, levels[i].pitch, 0};
    s.fixed.texture = &levels[0];
    s.fixed.address_u = address_u;
    s.fixed.address_v = address_v;
    s.fixed.border = d3d9::ColorFromArgb(0x80402010);
    s.fixed.linear_mag = mag == D3DTEXF_LINEAR;
    s.fixed.linear_min = min == D3DTEXF_LINEAR;
    return s;
}

// The shader sampler's texel for lane values u, v with a gradient of `texels_per_pixel` (at level 0)
// along x, as 8-bit channels.
Color ShaderTexel(const d3d9::ShaderSampler& s, float u, float v, float texels_per_pixel) {
    const LaneFloat lu = d3d9::Broadcast(u), lv = d3d9::Broadcast(v), zero = d3d9::Broadcast(0);
    const LaneFloat gx = d3d9::Broadcast(texels_per_pixel / float(s.levels[0].width));
    d3d9::SampleRequest r;
    r.coordinates[0] = &lu, r.coordinates[1] = &lv, r.coordinates[2] = &zero;
    r.gradients_x[0] = &gx, r.gradients_x[1] = &zero, r.gradients_x[2] = &zero;
    r.gradients_y[0] = &zero, r.gradients_y[1] = &zero, r.gradients_y[2] = &zero;
    d3d9::LaneVector out;
    d3d9::SampleLanes(s, r, &out);
    auto channel = [&](int c) {
        const float f = out.c[c][0] * 255.0f;
        EXPECT_EQ(f, std::round(f)) << "not an 8-bit value";
        return int(std::lround(f));
    };
    return {channel(0), channel(1), channel(2), channel(3)};
}

// Coordinates over a few repeats of the texture: random ones, texel edges and centres.
std::vector<float> Coordinates(int size, std::mt19937& rng) {
    std::vector<float> c;
    std::uniform_real_distribution<float> any(-2.5f, 3.5f);
    for (int i = 0; i < 40; ++i) c.push_back(any(rng));
    for (int t = -size; t <= 2 * size; t += 3) {
        c.push_back(float(t) / float(size));
        c.push_back((float(t) + 0.5f) / float(size));
    }
    return c;
}

TEST(ShaderSamplingTest, TexelsEqualTheFixedFunctionSamplersForEveryAddressModeAndFilter) {
    std::mt19937 rng(11);
    const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A4R4G4B4, D3DFMT_X1R5G5B5,
                                 D3DFMT_DXT1,     D3DFMT_DXT3,   D3DFMT_DXT5,     D3DFMT_L8,
                                 D3DFMT_A8L8,     D3DFMT_A8};
    const DWORD modes[] = {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP, D3DTADDRESS_BORDER,
                           D3DTADDRESS_MIRRORONCE};
    for (D3DFORMAT format : formats) {
        const std::vector<SurfaceStore> levels = {RandomLevel(format, 8, 5, rng)};
        const std::vector<float> us = Coordinates(8, rng), vs = Coordinates(5, rng);
        for (DWORD mode_u : modes)
            for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
                const DWORD mode_v = modes[(mode_u + 1) % 5];
                const Samplers s = Make(levels, mode_u, mode_v, filter, filter, D3DTEXF_NONE);
                for (size_t i = 0; i < us.size(); ++i) {
                    const float u = us[i], v = vs[i % vs.size()];
                    const Color fixed =
                        d3d9::SampleStage(s.fixed, d3d9::TexelFixed(u, 8), d3d9::TexelFixed(v, 5), false);
                    EXPECT_EQ(ShaderTexel(s.shader, u, v, 0.5f), fixed)
                        << "format " << format << " modes " << mode_u << "/" << mode_v << " filter " << filter
                        << " at " << u << ", " << v;
                }
            }
    }
}

// Formats of wider channels: the shader's float texels equal the stages' float sampler's, unclamped.
TEST(ShaderSamplingTest, WideTexelsEqualTheStagesFloatSamplerUnclamped) {
    std::mt19937 rng(23);
    const D3DFORMAT formats[] = {D3DFMT_R16F,   D3DFMT_G16R16F,     D3DFMT_A16B16G16R16F,
                                 D3DFMT_R32F,   D3DFMT_G32R32F,     D3DFMT_A32B32G32R32F,
                                 D3DFMT_G16R16, D3DFMT_A16B16G16R16};
    bool beyond_one = false;
    for (D3DFORMAT format : formats) {
        const std::vector<SurfaceStore> levels = {RandomLevel(format, 8, 5, rng)};
        const std::vector<float> us = Coordinates(8, rng), vs = Coordinates(5, rng);
        for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
            const Samplers s =
                Make(levels, D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, filter, filter, D3DTEXF_NONE);
            for (size_t i = 0; i < us.size(); ++i) {
                const float u = us[i], v = vs[i % vs.size()];
                const d3d9::ColorF fixed =
                    d3d9::SampleStageFloat(s.fixed, d3d9::TexelFixed(u, 8), d3d9::TexelFixed(v, 5), false);
                const LaneFloat lu = d3d9::Broadcast(u), lv = d3d9::Broadcast(v), zero = d3d9::Broadcast(0);
                d3d9::SampleRequest r;
                r.coordinates[0] = &lu, r.coordinates[1] = &lv, r.coordinates[2] = &zero;
                r.gradients_x[0] = r.gradients_x[1] = r.gradients_x[2] = &zero;
                r.gradients_y[0] = r.gradients_y[1] = r.gradients_y[2] = &zero;
                d3d9::LaneVector out;
                d3d9::SampleLanes(s.shader, r, &out);
                const float expected[4] = {fixed.r, fixed.g, fixed.b, fixed.a};
                for (int c = 0; c < 4; ++c) {
                    EXPECT_NEAR(out.c[c][0], expected[c], 1e-4f)
                        << "format " << format << " filter " << filter << " channel " << c << " at " << u
                        << ", " << v;
                    beyond_one = beyond_one || expected[c] > 1.0f;
                }
            }
        }
    }
    EXPECT_TRUE(beyond_one) << "no texel above 1 was met";
}

TEST(ShaderSamplingTest, GradientsChooseTheMinificationFilterAsTheStagesDo) {
    std::mt19937 rng(5);
    const std::vector<SurfaceStore> levels = {RandomLevel(D3DFMT_A8R8G8B8, 16, 16, rng)};
    const Samplers s =
        Make(levels, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTEXF_NONE);
    for (float rho : {0.25f, 1.0f, 1.5f, 3.0f})
        for (float u : Coordinates(16, rng)) {
            const Color fixed =
                d3d9::SampleStage(s.fixed, d3d9::TexelFixed(u, 16), d3d9::TexelFixed(0.3f, 16), rho > 1);
            EXPECT_EQ(ShaderTexel(s.shader, u, 0.3f, rho), fixed) << "rho " << rho << " u " << u;
        }
}

TEST(ShaderSamplingTest, TheLevelOfDetailChoosesTheMipLevel) {
    std::mt19937 rng(9);
    std::vector<SurfaceStore> levels;
    for (int size = 16; size >= 2; size /= 2) levels.push_back(RandomLevel(D3DFMT_A8R8G8B8, size, size, rng));
    struct Case {
        float texels_per_pixel;  // at level 0
        DWORD mip;
        int level;  // -1: a blend of levels 1 and 2
    };
    const Case cases[] = {{0.5f, D3DTEXF_POINT, 0}, {1.0f, D3DTEXF_POINT, 0},  {2.0f, D3DTEXF_POINT, 1},
                          {4.0f, D3DTEXF_POINT, 2}, {5.0f, D3DTEXF_POINT, 2},  {64.0f, D3DTEXF_POINT, 3},
                          {8.0f, D3DTEXF_NONE, 0},  {4.0f, D3DTEXF_LINEAR, 2}, {16.0f, D3DTEXF_LINEAR, 3}};
    for (const Case& k : cases)
        for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
            const Samplers s = Make(levels, D3DTADDRESS_CLAMP, D3DTADDRESS_WRAP, filter, filter, k.mip);
            d3d9::SamplerSetup level = s.fixed;
            level.texture = &levels[size_t(k.level)];
            const int size = level.texture->width;
            for (float u : Coordinates(size, rng)) {
                const Color fixed =
                    d3d9::SampleStage(level, d3d9::TexelFixed(u, size), d3d9::TexelFixed(0.7f, size), true);
                EXPECT_EQ(ShaderTexel(s.shader, u, 0.7f, k.texels_per_pixel), fixed)
                    << "texels per pixel " << k.texels_per_pixel << " mip filter " << k.mip << " u " << u;
            }
        }
}

TEST(ShaderSamplingTest, WithoutATextureSamplesAreOpaqueBlack) {
    d3d9::ShaderSampler none;
    EXPECT_EQ(ShaderTexel(none, 0.5f, 0.5f, 1.0f), (Color{0, 0, 0, 255}));
}

}  // namespace
}  // namespace d3d9_test
