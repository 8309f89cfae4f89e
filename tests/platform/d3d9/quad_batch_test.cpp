// Draw calls of many quads, as the game batches its tiles, sprites and glyphs: after each call the
// target holds the generic path's pixels. The batches mix one-to-one copies with quads that are not
// (stretched, mirrored, off the texture's edge, between pixel centres, clipped by the target's edge) and
// change colour from quad to quad.
#include <random>

#include "tests/platform/d3d9/d3d9_test_support.h"

namespace d3d9_test {
namespace {

class QuadBatchTest : public DeviceTest {};

struct BatchState {
    const char* name;
    D3DFORMAT target, texture;
    bool blend, alpha_test;
    DWORD color_op;  // MODULATE with the diffuse colour, or SELECTARG1: the texel
    DWORD alpha_func = D3DCMP_GREATER;
    DWORD alpha_ref = 0;
};

void AppendQuad(std::vector<TexturedVertex>& out, float x0, float y0, float x1, float y1, float u0, float v0,
                float u1, float v1, D3DCOLOR color) {
    const TexturedVertex tl{x0, y0, 0, 1, color, u0, v0}, tr{x1, y0, 0, 1, color, u1, v0},
        bl{x0, y1, 0, 1, color, u0, v1}, br{x1, y1, 0, 1, color, u1, v1};
    out.insert(out.end(), {tl, tr, bl, br, bl, tr});
}

// One batch: mostly 8x8 and 16x16 copies of texel rectangles at whole pixels, some of them partly
// outside the 72x56 target, with a few quads of the other kinds among them.
std::vector<TexturedVertex> MakeBatch(std::mt19937& rng, int texture_size) {
    std::vector<TexturedVertex> out;
    const float t = float(texture_size);
    const D3DCOLOR colours[] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFF80FF40, 0x80FFFFFF, 0xC0204060};
    for (int i = 0; i < 40; ++i) {
        const int size = rng() % 3 == 0 ? 16 : 8;
        const float x = float(int(rng() % 88) - 8) - 0.5f, y = float(int(rng() % 72) - 8) - 0.5f;
        const float u = float(rng() % (texture_size - size + 1)),
                    v = float(rng() % (texture_size - size + 1));
        const D3DCOLOR colour = colours[rng() % 5];
        const float s = float(size);
        switch (rng() % 10) {
            case 0:  // stretched to twice its size
                AppendQuad(out, x, y, x + 2 * s, y + 2 * s, u / t, v / t, (u + s) / t, (v + s) / t, colour);
                break;
            case 1:  // mirrored
                AppendQuad(out, x, y, x + s, y + s, (u + s) / t, v / t, u / t, (v + s) / t, colour);
                break;
            case 2:  // reaching past the texture's edge
                AppendQuad(out, x, y, x + s, y + s, (t - s / 2) / t, v / t, (t + s / 2) / t, (v + s) / t,
                           colour);
                break;
            case 3:  // between pixel centres
                AppendQuad(out, x + 0.25f, y + 0.5f, x + s + 0.25f, y + s + 0.5f, u / t, v / t, (u + s) / t,
                           (v + s) / t, colour);
                break;
            default:
                AppendQuad(out, x, y, x + s, y + s, u / t, v / t, (u + s) / t, (v + s) / t, colour);
                break;
        }
    }
    return out;
}

TEST_F(QuadBatchTest, EveryDrawCallOfABatchGivesTheGenericPathsPixels) {
    MakeDevice(72, 56);
    const BatchState states[] = {
        {"tiles onto X8R8G8B8", D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false, false, D3DTOP_MODULATE},
        {"sprites under the alpha test", D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, false, true, D3DTOP_MODULATE},
        {"sprites blended", D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, true, false, D3DTOP_MODULATE},
        {"texels as they are", D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, true, true, D3DTOP_SELECTARG1},
        {"onto R5G6B5 under the alpha test", D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, false, true, D3DTOP_MODULATE},
        {"onto R5G6B5 blended", D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, true, false, D3DTOP_MODULATE},
        {"16-bit texels", D3DFMT_X8R8G8B8, D3DFMT_A1R5G5B5, true, true, D3DTOP_MODULATE},
        {"onto A8R8G8B8", D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, true, false, D3DTOP_MODULATE},
        {"an alpha test passing all but one alpha", D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, false, true,
         D3DTOP_SELECTARG1, D3DCMP_NOTEQUAL, 0xFF},
        {"an alpha test passing both ends only", D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, false, true,
         D3DTOP_SELECTARG1, D3DCMP_NOTEQUAL, 0x80},
    };
    std::mt19937 rng(54);
    // Sprite-like texels: runs of clear, opaque and half-transparent texels (half of these of alpha 0x80).
    std::vector<uint32_t> texels(64 * 64);
    for (size_t i = 0; i < texels.size();) {
        const uint32_t kind = rng() % 3;
        for (size_t end = std::min(texels.size(), i + 1 + rng() % 10); i < end; ++i) {
            const uint32_t colour = rng() & 0xFFFFFF;
            const uint32_t half = rng() % 2 ? 0x80000000u : rng() & 0xFF000000u;
            texels[i] = colour | (kind == 0 ? 0u : kind == 1 ? 0xFF000000u : half);
        }
    }
    for (const BatchState& s : states) {
        IDirect3DTexture9* rt = MakeTarget(72, 56, s.target);
        IDirect3DTexture9* tex = MakeTexture(64, 64, s.texture, texels);
        std::vector<std::vector<TexturedVertex>> batches;
        for (int b = 0; b < 4; ++b) batches.push_back(MakeBatch(rng, 64));
        std::vector<std::vector<uint32_t>> after[2];
        const uint64_t fast_before = d3d9::FastPathQuadCount();
        for (int fast = 0; fast < 2; ++fast) {
            d3d9::SetFastPathsEnabled(fast == 1);
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x5A3C7E91, 1.0f, 0);
            device->SetRenderState(D3DRS_ALPHATESTENABLE, s.alpha_test);
            device->SetRenderState(D3DRS_ALPHAFUNC, s.alpha_func);
            device->SetRenderState(D3DRS_ALPHAREF, s.alpha_ref);
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, s.blend);
            device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
            device->SetTextureStageState(0, D3DTSS_COLOROP, s.color_op);
            device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, s.color_op);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
            device->SetTexture(0, tex);
            device->SetFVF(0x144);
            for (const auto& batch : batches) {
                device->BeginScene();
                EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(batch.size() / 3), batch.data(),
                                                  sizeof(TexturedVertex)),
                          D3D_OK);
                device->EndScene();
                after[fast].push_back(ReadTarget());
            }
        }
        EXPECT_GT(d3d9::FastPathQuadCount(), fast_before) << s.name;
        for (size_t call = 0; call < batches.size(); ++call)
            EXPECT_EQ(after[0][call], after[1][call]) << s.name << ", draw call " << call;
        device->SetTexture(0, nullptr);
        tex->Release();
        rt->Release();
    }
}

}  // namespace
}  // namespace d3d9_test
