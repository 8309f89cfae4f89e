// Quads whose pixels spread one colour or stretched texels: the fast path's fills of one colour and its
// stretched rows (each texel on two pixels, rows repeated from the row above) give the generic path's
// pixels, over a target of random pixels, at widths and offsets around the steps of the row loops.
#include <random>

#include "tests/platform/d3d9/d3d9_test_support.h"

namespace d3d9_test {
namespace {

class FastPathSpreadTest : public DeviceTest {
  protected:
    // Random pixels over the whole target, drawn the same way by both paths.
    void PaintBackground(IDirect3DTexture9* noise) {
        device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTexture(0, noise);
        DrawQuad(-0.5f, -0.5f, 63.5f, 63.5f, 0, 0, 1, 1, 0xFFFFFFFF);
    }

    void SetBlend(bool blend, DWORD dst_blend, bool alpha_test) {
        device->SetRenderState(D3DRS_ALPHATESTENABLE, alpha_test);
        device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        device->SetRenderState(D3DRS_ALPHAREF, 0x40);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, dst_blend);
    }

    std::vector<uint32_t> RandomTexels(size_t count) {
        std::vector<uint32_t> texels(count);
        for (auto& t : texels) {
            t = rng();
            if (rng() % 3 == 0) t = (t & 0xFFFFFF) | (rng() % 2 ? 0xFF000000u : 0u);
        }
        return texels;
    }

    std::mt19937 rng{4141};
};

struct FillCase {
    D3DFORMAT target;
    bool blend;
    DWORD dst_blend;  // INVSRCALPHA blends by the alpha, ONE adds
    D3DCOLOR color;
    bool alpha_test;  // alpha greater than 0x40
};

TEST_F(FastPathSpreadTest, OneColourQuadsGiveTheGenericPathsPixels) {
    MakeDevice(64, 64);
    const FillCase cases[] = {
        {D3DFMT_R5G6B5, false, D3DBLEND_ZERO, 0xFF4080C0, false},
        {D3DFMT_R5G6B5, false, D3DBLEND_ZERO, 0x20FF8000, true},
        {D3DFMT_R5G6B5, true, D3DBLEND_INVSRCALPHA, 0xC8000000, false},
        {D3DFMT_R5G6B5, true, D3DBLEND_INVSRCALPHA, 0x5A12EF77, true},
        {D3DFMT_X8R8G8B8, false, D3DBLEND_ZERO, 0x00FFFFFF, false},
        {D3DFMT_X8R8G8B8, true, D3DBLEND_INVSRCALPHA, 0xC8000000, false},
        {D3DFMT_X8R8G8B8, true, D3DBLEND_INVSRCALPHA, 0x00000000, false},
        {D3DFMT_X8R8G8B8, true, D3DBLEND_INVSRCALPHA, 0xFF336699, true},
        {D3DFMT_X8R8G8B8, true, D3DBLEND_ONE, 0x80FFC040, false},
        {D3DFMT_A8R8G8B8, true, D3DBLEND_INVSRCALPHA, 0x7F102030, false},
        {D3DFMT_A8R8G8B8, false, D3DBLEND_ZERO, 0x7F102030, true},
        {D3DFMT_A4R4G4B4, true, D3DBLEND_INVSRCALPHA, 0x90F0E0D0, false},
        {D3DFMT_A1R5G5B5, false, D3DBLEND_ZERO, 0x90F0E0D0, false},
    };
    IDirect3DTexture9* noise = MakeTexture(64, 64, D3DFMT_A8R8G8B8, RandomTexels(64 * 64));
    for (const FillCase& c : cases) {
        IDirect3DTexture9* rt = MakeTarget(64, 64, c.target);
        const int widths[] = {1, 3, 4, 5, 8, 13, 20, 37, 61};
        std::vector<uint32_t> results[2];
        for (int fast = 0; fast < 2; ++fast) {
            d3d9::SetFastPathsEnabled(fast == 1);
            PaintBackground(noise);
            SetBlend(c.blend, c.dst_blend, c.alpha_test);
            device->SetTexture(0, nullptr);
            device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
            device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
            for (size_t i = 0; i < std::size(widths); ++i) {
                const float x = float(i % 3), y = float(i * 7);
                DrawQuad(x - 0.5f, y - 0.5f, x + float(widths[i]) - 0.5f, y + 5.5f, 0, 0, 1, 1, c.color);
            }
            results[fast] = ReadTarget();
        }
        EXPECT_EQ(results[0], results[1])
            << "target " << c.target << " blend " << c.blend << " colour " << std::hex << c.color;
        rt->Release();
    }
    noise->Release();
}

struct StretchCase {
    D3DFORMAT target, texture;
    int scale_x, scale_y;
    bool alpha_test, blend;
    D3DCOLOR diffuse;  // white passes the texel on
};

TEST_F(FastPathSpreadTest, StretchedQuadsGiveTheGenericPathsPixels) {
    MakeDevice(64, 64);
    const StretchCase cases[] = {
        {D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, 2, 2, false, false, 0xFFFFFFFF},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, 2, 2, false, false, 0xFFFFFFFF},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, 2, 2, true, false, 0xFFFFFFFF},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, 2, 1, false, false, 0xFFFFFFFF},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, 1, 3, false, false, 0xFFFFFFFF},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, 3, 3, false, false, 0xFFFFFFFF},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, 2, 2, false, false, 0x80C0FFFF},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, 2, 2, false, true, 0xFFFFFFFF},
        {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, 2, 2, false, false, 0xFFFFFFFF},
        {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, 2, 2, false, true, 0xFFFFFFFF},
        {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 2, 2, false, false, 0xFFFFFFFF},
        {D3DFMT_A1R5G5B5, D3DFMT_R5G6B5, 2, 2, false, false, 0xFFFFFFFF},
    };
    IDirect3DTexture9* noise = MakeTexture(64, 64, D3DFMT_A8R8G8B8, RandomTexels(64 * 64));
    const std::vector<uint32_t> texels = RandomTexels(24 * 8);
    for (const StretchCase& c : cases) {
        IDirect3DTexture9* rt = MakeTarget(64, 64, c.target);
        IDirect3DTexture9* tex = MakeTexture(24, 8, c.texture, texels);
        // Quads of whole texels, and quads starting half a texel in (the first pair of pixels split),
        // some running off the target's left edge.
        struct Quad {
            float x, y, u0;
            int texels;
        };
        const Quad quads[] = {{0, 0, 0, 24}, {3, 17, 0.5f, 9}, {-5, 30, 0.5f, 17}, {1, 44, 0, 4}};
        std::vector<uint32_t> results[2];
        for (int fast = 0; fast < 2; ++fast) {
            d3d9::SetFastPathsEnabled(fast == 1);
            PaintBackground(noise);
            SetBlend(c.blend, D3DBLEND_INVSRCALPHA, c.alpha_test);
            device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
            device->SetTexture(0, tex);
            for (const Quad& q : quads) {
                const float w = float(q.texels * c.scale_x), h = float(4 * c.scale_y);
                DrawQuad(q.x - 0.5f, q.y - 0.5f, q.x + w - 0.5f, q.y + h - 0.5f, q.u0 / 24, 0,
                         (q.u0 + float(q.texels)) / 24, 0.5f, c.diffuse);
            }
            results[fast] = ReadTarget();
        }
        EXPECT_EQ(results[0], results[1]) << "target " << c.target << " texture " << c.texture << " scale "
                                          << c.scale_x << "x" << c.scale_y;
        device->SetTexture(0, nullptr);
        tex->Release();
        rt->Release();
    }
    noise->Release();
}

}  // namespace
}  // namespace d3d9_test
