// Quads that map texels one to one: the fast path's rows of consecutive texels (the copies under the
// alpha test and the alpha blends onto R5G6B5 and X8R8G8B8, with steps of texels all clear or all
// opaque) give the generic path's pixels, at widths below, at and between the steps of the row loops.
#include <random>

#include "tests/platform/d3d9/d3d9_test_support.h"

namespace d3d9_test {
namespace {

class FastPathRowsTest : public DeviceTest {};

struct RowCase {
    D3DFORMAT target, texture;
    bool blend;
    D3DCOLOR diffuse;  // white passes the texel on; a grey alpha modulates the texel's
    DWORD alpha_func;
    DWORD alpha_op = D3DTOP_MODULATE;  // SELECTARG2: the diffuse alpha
    bool blend_alpha_test = false;     // blends under the alpha test too
};

TEST_F(FastPathRowsTest, OneToOneQuadsGiveTheGenericPathsPixels) {
    MakeDevice(64, 64);
    const RowCase cases[] = {
        {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, false, 0xFFFFFFFF, D3DCMP_GREATER},
        {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, false, 0xFFFFFFFF, D3DCMP_NOTEQUAL},
        {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, true, 0xFFFFFFFF, D3DCMP_ALWAYS},
        {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, true, 0x80FFFFFF, D3DCMP_LESS},
        {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, true, 0xFFFFFFFF, D3DCMP_LESS, D3DTOP_MODULATE, true},
        {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, true, 0xFFFFFFFF, D3DCMP_GREATER, D3DTOP_MODULATE, true},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, false, 0xFFFFFFFF, D3DCMP_GREATEREQUAL},
        {D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false, 0xFFFFFFFF, D3DCMP_ALWAYS},
        {D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false, 0xFFFFFFFF, D3DCMP_LESS},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, true, 0xFFFFFFFF, D3DCMP_ALWAYS},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, true, 0x5AFFFFFF, D3DCMP_GREATER},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, true, 0xFFFFFFFF, D3DCMP_LESS, D3DTOP_MODULATE, true},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, true, 0xFFFFFFFF, D3DCMP_GREATER, D3DTOP_MODULATE, true},
        {D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false, 0xFFFFFFFF, D3DCMP_GREATER, D3DTOP_SELECTARG2},
    };
    std::mt19937 rng(41);
    // Runs of texels of random alphas, of alpha 0 and of alpha 255, so that whole steps of the row loops
    // meet each.
    std::vector<uint32_t> texels(48 * 8);
    for (size_t i = 0; i < texels.size();) {
        const uint32_t kind = rng() % 3;
        for (size_t end = std::min(texels.size(), i + 1 + rng() % 12); i < end; ++i) {
            texels[i] = rng();
            if (kind != 0) texels[i] = (texels[i] & 0xFFFFFF) | (kind == 1 ? 0xFF000000u : 0u);
        }
    }
    for (const RowCase& c : cases) {
        IDirect3DTexture9* rt = MakeTarget(64, 64, c.target);
        IDirect3DTexture9* tex = MakeTexture(48, 8, c.texture, texels);
        const int widths[] = {3, 4, 8, 13, 20, 37, 48};
        std::vector<float> starts;
        for (int w : widths) starts.push_back(float(rng() % (49 - w)));
        std::vector<uint32_t> results[2];
        for (int fast = 0; fast < 2; ++fast) {
            d3d9::SetFastPathsEnabled(fast == 1);
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x5A3C7E91, 1.0f, 0);
            device->SetRenderState(D3DRS_ALPHATESTENABLE, !c.blend || c.blend_alpha_test);
            device->SetRenderState(D3DRS_ALPHAFUNC, c.alpha_func);
            device->SetRenderState(D3DRS_ALPHAREF, 0x40);
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, c.blend);
            device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
            device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, c.alpha_op);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
            device->SetTexture(0, tex);
            for (size_t i = 0; i < starts.size(); ++i) {
                const float y = float(i * 9), w = float(widths[i]);
                DrawQuad(-0.5f, y - 0.5f, w - 0.5f, y + 7.5f, starts[i] / 48, 0, (starts[i] + w) / 48, 1,
                         c.diffuse);
            }
            results[fast] = ReadTarget();
        }
        EXPECT_EQ(results[0], results[1]) << "target " << c.target << " texture " << c.texture << " blend "
                                          << c.blend << " diffuse " << std::hex << c.diffuse;
        device->SetTexture(0, nullptr);
        tex->Release();
        rt->Release();
    }
}

}  // namespace
}  // namespace d3d9_test
