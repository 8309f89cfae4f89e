// The fast quad path gives exactly the generic path's pixels, and the same scene gives the same pixels
// under every capability profile.
#include <cmath>
#include <limits>
#include <random>

#include "tests/platform/d3d9/d3d9_test_support.h"

namespace d3d9_test {
namespace {

class FastPathTest : public DeviceTest {};

struct SceneState {
    DWORD target_format, texture_format;
    bool textured, alpha_test, blend, modulate;
    DWORD src, dst, op, alpha_func, alpha_ref, address;
};

void ApplyState(IDirect3DDevice9* device, const SceneState& s) {
    device->SetRenderState(D3DRS_ALPHATESTENABLE, s.alpha_test);
    device->SetRenderState(D3DRS_ALPHAFUNC, s.alpha_func);
    device->SetRenderState(D3DRS_ALPHAREF, s.alpha_ref);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, s.blend);
    device->SetRenderState(D3DRS_SRCBLEND, s.src);
    device->SetRenderState(D3DRS_DESTBLEND, s.dst);
    device->SetRenderState(D3DRS_BLENDOP, s.op);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, s.address);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, s.address);
    device->SetSamplerState(0, D3DSAMP_BORDERCOLOR, 0x80FF00FF);
    if (s.textured) {
        device->SetTextureStageState(0, D3DTSS_COLOROP, s.modulate ? D3DTOP_MODULATE : D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, s.modulate ? D3DTOP_MODULATE : D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    } else {
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    }
}

TEST_F(FastPathTest, RandomQuadsGiveTheGenericPathsPixels) {
    MakeDevice(64, 64);
    std::mt19937 rng(20240611);
    auto pick = [&](auto... v) {
        const std::array<std::common_type_t<decltype(v)...>, sizeof...(v)> a{v...};
        return a[rng() % a.size()];
    };
    std::uniform_real_distribution<float> pos(-12.0f, 70.0f), frac(-1.0f, 2.0f);
    uint64_t fast_before = d3d9::FastPathQuadCount();
    for (int round = 0; round < 60; ++round) {
        SceneState s{pick(D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
                          D3DFMT_A4R4G4B4),
                     pick(D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5,
                          D3DFMT_X1R5G5B5),
                     rng() % 4 != 0,
                     rng() % 2 == 0,
                     rng() % 2 == 0,
                     rng() % 2 == 0,
                     pick(D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO),
                     pick(D3DBLEND_INVSRCALPHA, D3DBLEND_ONE, D3DBLEND_SRCCOLOR, D3DBLEND_ZERO),
                     pick(D3DBLENDOP_ADD, D3DBLENDOP_ADD, D3DBLENDOP_REVSUBTRACT),
                     pick(D3DCMP_GREATER, D3DCMP_GREATEREQUAL, D3DCMP_LESS, D3DCMP_NOTEQUAL),
                     DWORD(rng() % 256),
                     pick(D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP, D3DTADDRESS_MIRROR, D3DTADDRESS_BORDER)};
        UINT tw = 1 + rng() % 24, th = 1 + rng() % 24;
        std::vector<uint32_t> texels(tw * th);
        for (auto& t : texels) t = rng();
        IDirect3DTexture9* rt = MakeTarget(64, 64, D3DFORMAT(s.target_format));
        IDirect3DTexture9* tex = MakeTexture(tw, th, D3DFORMAT(s.texture_format), texels);
        // A few quads per round, with whole, half and arbitrary coordinates and mirrored orientation.
        struct Quad {
            float x0, y0, x1, y1, u0, v0, u1, v1;
            D3DCOLOR color;
        };
        std::vector<Quad> quads;
        // Colours: random, white (the texel passed on), white with a random alpha, grey with full alpha.
        // Some rounds use texture coordinates far from the texture.
        float scale = round % 6 == 5 ? 4000.0f : 1.0f;
        for (int q = 0; q < 4; ++q) {
            float x0 = pos(rng), y0 = pos(rng), x1 = pos(rng), y1 = pos(rng);
            if (rng() % 2)
                x0 = std::floor(x0) - 0.5f, y0 = std::floor(y0) - 0.5f, x1 = std::floor(x1) - 0.5f,
                y1 = std::floor(y1) - 0.5f;
            D3DCOLOR color = pick(D3DCOLOR(rng()), D3DCOLOR(0xFFFFFFFF), D3DCOLOR(rng() | 0xFFFFFF),
                                  D3DCOLOR(rng() | 0xFF000000));
            quads.push_back({x0, y0, x1, y1, frac(rng) * scale, frac(rng) * scale, frac(rng) * scale,
                             frac(rng) * scale, color});
        }
        std::vector<uint32_t> results[2];
        for (int fast = 0; fast < 2; ++fast) {
            d3d9::SetFastPathsEnabled(fast == 1);
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x5A3C7E91, 1.0f, 0);
            ApplyState(device, s);
            device->SetTexture(0, s.textured ? tex : nullptr);
            for (const auto& q : quads) DrawQuad(q.x0, q.y0, q.x1, q.y1, q.u0, q.v0, q.u1, q.v1, q.color);
            results[fast] = ReadTarget();
        }
        ASSERT_EQ(results[0], results[1]) << "round " << round;
        device->SetTexture(0, nullptr);
        tex->Release();
        rt->Release();
    }
    EXPECT_GT(d3d9::FastPathQuadCount() - fast_before, 200u);
}

TEST_F(FastPathTest, SameSceneUnderEveryCapabilityProfile) {
    std::vector<D3D9CapabilityProfile> profiles(4);
    profiles[1].pixel_shader_version = D3DPS_VERSION(2, 0);
    profiles[1].vertex_shader_version = D3DVS_VERSION(2, 0);
    profiles[2].tss_arg_temp = true;
    profiles[2].simultaneous_render_targets = 4;
    profiles[3].nonpow2_conditional = false;
    profiles[3].max_texture_width = profiles[3].max_texture_height = 256;
    profiles[3].desktop_format = D3DFMT_R5G6B5;
    std::vector<uint32_t> first;
    for (const auto& p : profiles) {
        D3D9SetCapabilityProfile(p);
        MakeDevice(32, 32, D3DFMT_X8R8G8B8);
        std::vector<uint32_t> texels(16 * 16);
        for (size_t i = 0; i < texels.size(); ++i) texels[i] = uint32_t(i * 0x9E3779B9u);
        IDirect3DTexture9* tex = MakeTexture(16, 16, D3DFMT_A8R8G8B8, texels);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040, 1.0f, 0);
        device->SetTexture(0, tex);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        device->SetRenderState(D3DRS_ALPHAREF, 16);
        DrawQuad(-0.5f, -0.5f, 15.5f, 15.5f, 0, 0, 1, 1, 0xFFFFFFFF);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        DrawQuad(5.5f, 7.5f, 29.5f, 31.5f, 0, 0, 1.5f, 1.5f, 0xC0FF8040);
        auto px = ReadTarget();
        if (first.empty())
            first = px;
        else
            EXPECT_EQ(px, first);
        device->SetTexture(0, nullptr);
        tex->Release();
        device->Release();
        device = nullptr;
        d3d->Release();
        d3d = nullptr;
    }
}

// Six vertices whose last two do not repeat the third and the second are two triangles of their own: the
// fast path takes only true quads, whether the repeats come as copies or through shared indices, and
// every list gives the generic path's pixels.
struct SixVertexCase {
    int changed;                    // the vertex changed (-1: none)
    int field;                      // 0 position, 1 colour, 2 texture coordinate
    std::vector<uint16_t> indices;  // empty: not indexed
    bool quad;
};

TEST_F(FastPathTest, OnlySixVerticesThatRepeatTheirCornersAreOneQuad) {
    MakeDevice(16, 16);
    std::vector<uint32_t> texels(8 * 8);
    for (size_t i = 0; i < texels.size(); ++i) texels[i] = 0xFF000000u | uint32_t(i * 0x3A5F17u);
    IDirect3DTexture9* tex = MakeTexture(8, 8, D3DFMT_A8R8G8B8, texels);
    const SixVertexCase cases[] = {
        {-1, 0, {}, true},
        {4, 0, {}, false},
        {5, 1, {}, false},
        {4, 2, {}, false},
        {-1, 0, {0, 1, 2, 3, 2, 1}, true},
        {-1, 0, {0, 1, 2, 3, 4, 5}, true},
        {4, 0, {0, 1, 2, 3, 4, 1}, false},
    };
    for (const SixVertexCase& c : cases) {
        const float x0 = 1.5f, y0 = 2.5f, x1 = 13.5f, y1 = 10.5f;
        const D3DCOLOR white = 0xFFFFFFFF;
        TexturedVertex v[6] = {{x0, y0, 0, 1, white, 0, 0}, {x1, y0, 0, 1, white, 1, 0},
                               {x0, y1, 0, 1, white, 0, 1}, {x1, y1, 0, 1, white, 1, 1},
                               {x0, y1, 0, 1, white, 0, 1}, {x1, y0, 0, 1, white, 1, 0}};
        if (c.changed >= 0) {
            TexturedVertex& changed = v[c.changed];
            if (c.field == 0) changed.x += 3;
            if (c.field == 1) changed.diffuse = 0xFF4080C0;
            if (c.field == 2) changed.u += 0.25f;
        }
        std::vector<uint32_t> results[2];
        for (int fast = 0; fast < 2; ++fast) {
            d3d9::SetFastPathsEnabled(fast == 1);
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
            device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            device->SetTexture(0, tex);
            device->SetFVF(0x144);
            device->BeginScene();
            const uint64_t before = d3d9::FastPathQuadCount();
            if (c.indices.empty())
                EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, v, sizeof(TexturedVertex)), D3D_OK);
            else
                EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 6, 2, c.indices.data(),
                                                         D3DFMT_INDEX16, v, sizeof(TexturedVertex)),
                          D3D_OK);
            EXPECT_EQ(d3d9::FastPathQuadCount() - before, fast == 1 && c.quad ? 1u : 0u)
                << "vertex " << c.changed << " field " << c.field << " indices " << c.indices.size();
            device->EndScene();
            results[fast] = ReadTarget();
        }
        EXPECT_EQ(results[0], results[1]) << "vertex " << c.changed << " field " << c.field;
        device->SetTexture(0, nullptr);
    }
    tex->Release();
}

// Quads reaching far off the target (past the generic path's guard band) give the generic path's pixels,
// and quads with a coordinate that is not a number draw nothing through either path.
TEST_F(FastPathTest, FarAndNaNCornersGiveTheGenericPathsPixels) {
    MakeDevice(16, 16);
    std::vector<uint32_t> texels(16 * 16);
    for (size_t i = 0; i < texels.size(); ++i) texels[i] = 0xFF000000u | uint32_t(i * 0x9E3779B9u);
    IDirect3DTexture9* tex = MakeTexture(16, 16, D3DFMT_A8R8G8B8, texels);
    const float nan = std::nanf(""), inf = std::numeric_limits<float>::infinity();
    struct Corners {
        float x0, y0, x1, y1, u0, v0, u1, v1;
    };
    const Corners cases[] = {
        {-0.5f, -0.5f, 3e6f, 15.5f, 0, 0, 3e6f / 16, 1},
        {-3e6f, -3e6f, 3e6f, 3e6f, -3e6f / 16, -3e6f / 16, 3e6f / 16, 3e6f / 16},
        {nan, -0.5f, 15.5f, 15.5f, 0, 0, 1, 1},
        {-0.5f, -0.5f, 15.5f, nan, 0, 0, 1, 1},
        {-0.5f, -0.5f, inf, 15.5f, 0, 0, 1, 1},
    };
    for (const Corners& c : cases) {
        std::vector<uint32_t> results[2];
        for (int fast = 0; fast < 2; ++fast) {
            d3d9::SetFastPathsEnabled(fast == 1);
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
            device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
            device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            device->SetTexture(0, tex);
            DrawQuad(c.x0, c.y0, c.x1, c.y1, c.u0, c.v0, c.u1, c.v1, 0xFFFFFFFF);
            results[fast] = ReadTarget();
        }
        EXPECT_EQ(results[0], results[1]) << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1;
        const bool finite =
            std::isfinite(c.x0) && std::isfinite(c.y0) && std::isfinite(c.x1) && std::isfinite(c.y1);
        if (!finite) {
            EXPECT_EQ(results[1], std::vector<uint32_t>(16 * 16, 0xFF000000u)) << c.x0 << "," << c.y1;
        }
        device->SetTexture(0, nullptr);
    }
    tex->Release();
}

}  // namespace
}  // namespace d3d9_test
