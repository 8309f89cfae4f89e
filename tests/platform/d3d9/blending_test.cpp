// Blending, texture stages and alpha test against values worked out with Direct3D 9's blend arithmetic
// in floating point: channels are fractions of full scale, the result is clamped to [0, 1] and truncated
// to 8 bits (the device model drops the fraction of every product, as the software kernels do), then
// written at the target's precision; a 16-bit target reads its channels as the nearest 8-bit value.
#include <cmath>

#include "tests/platform/d3d9/d3d9_test_support.h"

namespace d3d9_test {
namespace {

struct BlendSetupCase {
    const char* name;
    DWORD src, dst, op;
};

double Factor(DWORD f, double s, double sa, double d, double da) {
    switch (f) {
        case D3DBLEND_ZERO:
            return 0;
        case D3DBLEND_ONE:
            return 1;
        case D3DBLEND_SRCCOLOR:
            return s;
        case D3DBLEND_INVSRCCOLOR:
            return 1 - s;
        case D3DBLEND_SRCALPHA:
            return sa;
        case D3DBLEND_INVSRCALPHA:
            return 1 - sa;
        case D3DBLEND_DESTCOLOR:
            return d;
        case D3DBLEND_INVDESTCOLOR:
            return 1 - d;
        case D3DBLEND_DESTALPHA:
            return da;
        default:
            return -1;
    }
}

// Full-scale value of an n-bit channel read back as 8 bits.
int ReadBack(int v8, int max) {
    if (max == 255) return v8;
    int q = int(std::lround(v8 * max / 255.0));
    return int(std::lround(q * 255.0 / max));
}

class BlendingTest : public DeviceTest {};

TEST_F(BlendingTest, PixelTableOverBlendSetupsAndTargets) {
    MakeDevice(8, 8);
    const BlendSetupCase setups[] = {
        {"alpha", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD},
        {"additive", D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD},
        {"subtractive", D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT},
        {"multiply", D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, D3DBLENDOP_ADD},
        {"invert", D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD},
        {"screen", D3DBLEND_INVDESTCOLOR, D3DBLEND_ONE, D3DBLENDOP_ADD},
        {"src minus dst", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_SUBTRACT},
        {"copy", D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLENDOP_ADD},
    };
    const uint32_t sources[] = {0x80FF4010, 0xFF123456, 0x00FFFFFF, 0x40C0C0C0, 0xC7083B9D};
    const uint32_t dests[] = {0xFF000000, 0xFFFFFFFF, 0xFF3C7AB1, 0xFF818181};
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
        IDirect3DTexture9* rt = MakeTarget(8, 8, format);
        const int max[3] = {format == D3DFMT_R5G6B5 ? 31 : 255, format == D3DFMT_R5G6B5 ? 63 : 255,
                            format == D3DFMT_R5G6B5 ? 31 : 255};
        for (const auto& b : setups)
            for (uint32_t src : sources)
                for (uint32_t dst : dests) {
                    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
                    device->SetRenderState(D3DRS_SRCBLEND, b.src);
                    device->SetRenderState(D3DRS_DESTBLEND, b.dst);
                    device->SetRenderState(D3DRS_BLENDOP, b.op);
                    device->SetTexture(0, nullptr);
                    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
                    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
                    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
                    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
                    device->Clear(0, nullptr, D3DCLEAR_TARGET, dst, 1.0f, 0);
                    DrawQuad(-0.5f, -0.5f, 7.5f, 7.5f, 0, 0, 1, 1, src);
                    uint32_t got = ReadTarget()[0];
                    double sa = (src >> 24) / 255.0;
                    for (int ch = 0; ch < 3; ++ch) {
                        int shift = 16 - 8 * ch;
                        double s = ((src >> shift) & 255) / 255.0;
                        double d = ReadBack((dst >> shift) & 255, max[ch]) / 255.0;
                        double fs = Factor(b.src, s, sa, d, 1), fd = Factor(b.dst, s, sa, d, 1);
                        double r = b.op == D3DBLENDOP_ADD        ? s * fs + d * fd
                                   : b.op == D3DBLENDOP_SUBTRACT ? s * fs - d * fd
                                                                 : d * fd - s * fs;
                        int r8 = int(std::floor(std::clamp(r, 0.0, 1.0) * 255 + 1e-9));
                        EXPECT_EQ(int((got >> shift) & 255), ReadBack(r8, max[ch]))
                            << b.name << " format " << format << " src " << std::hex << src << " dst " << dst
                            << " channel " << ch;
                    }
                }
        rt->Release();
    }
}

TEST_F(BlendingTest, WithoutTheBlendOperationCapabilityEveryOperationAdds) {
    D3D9CapabilityProfile p;
    p.blend_op = false;
    D3D9SetCapabilityProfile(p);
    MakeDevice(4, 4);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF808080, 1.0f, 0);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    DrawQuad(-0.5f, -0.5f, 3.5f, 3.5f, 0, 0, 1, 1, 0xFF101010);
    EXPECT_EQ(ReadTarget()[0], 0xFF909090u);
}

struct StageCase {
    const char* name;
    DWORD op, arg1, arg2;
    uint32_t expected;  // for texel 0x80C04020, diffuse 0x40808080, factor 0xC0102030
};

TEST_F(BlendingTest, TextureStageOperations) {
    MakeDevice(4, 4);
    IDirect3DTexture9* tex = MakeTexture(1, 1, D3DFMT_A8R8G8B8, {0x80C04020});
    // Each expectation: channel arithmetic of the operation on fractions of 255, truncated (alpha from
    // texture).
    const StageCase cases[] = {
        {"select texture", D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFFC04020},
        {"select diffuse", D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF808080},
        {"modulate", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF602010},
        {"modulate 2x", D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFFC04020},
        {"modulate 4x", D3DTOP_MODULATE4X, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFFFF8040},
        {"add", D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFFFFC0A0},
        {"subtract", D3DTOP_SUBTRACT, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF400000},
        {"complement", D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE, 0xFF3FBFDF},
        {"factor", D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE, 0xFF102030},
        {"blend diffuse alpha", D3DTOP_BLENDDIFFUSEALPHA, D3DTA_TEXTURE, D3DTA_TFACTOR, 0xFF3C282B},
        {"blend factor alpha", D3DTOP_BLENDFACTORALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFFB04F37},
    };
    device->SetTexture(0, tex);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xC0102030);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    for (const auto& c : cases) {
        device->SetTextureStageState(0, D3DTSS_COLOROP, c.op);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, c.arg1);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
        DrawQuad(-0.5f, -0.5f, 3.5f, 3.5f, 0, 0, 1, 1, 0x40808080);
        EXPECT_EQ(ReadTarget()[0], c.expected) << c.name;
    }
    device->SetTexture(0, nullptr);
    tex->Release();
}

TEST_F(BlendingTest, AlphaTestWithEveryFunction) {
    MakeDevice(4, 1);
    const DWORD funcs[] = {D3DCMP_NEVER,   D3DCMP_LESS,     D3DCMP_EQUAL,        D3DCMP_LESSEQUAL,
                           D3DCMP_GREATER, D3DCMP_NOTEQUAL, D3DCMP_GREATEREQUAL, D3DCMP_ALWAYS};
    // Alphas 0x3F, 0x40, 0x41 against reference 0x40; pixel 3 keeps the cleared colour as a control.
    IDirect3DTexture9* tex =
        MakeTexture(4, 1, D3DFMT_A8R8G8B8, {0x3FFFFFFF, 0x40FFFFFF, 0x41FFFFFF, 0x00000000});
    device->SetTexture(0, tex);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 0x40);
    for (DWORD f : funcs) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device->SetRenderState(D3DRS_ALPHAFUNC, f);
        DrawQuad(-0.5f, -0.5f, 2.5f, 0.5f, 0, 0, 0.75f, 1, 0xFFFFFFFF);
        auto px = ReadTarget();
        for (int i = 0; i < 3; ++i) {
            int a = 0x3F + i;
            bool pass = f == D3DCMP_ALWAYS || (f == D3DCMP_LESS && a < 0x40) ||
                        (f == D3DCMP_EQUAL && a == 0x40) || (f == D3DCMP_LESSEQUAL && a <= 0x40) ||
                        (f == D3DCMP_GREATER && a > 0x40) || (f == D3DCMP_NOTEQUAL && a != 0x40) ||
                        (f == D3DCMP_GREATEREQUAL && a >= 0x40);
            EXPECT_EQ(px[size_t(i)], pass ? 0xFFFFFFFFu : 0xFF000000u) << "func " << f << " alpha " << a;
        }
        EXPECT_EQ(px[3], 0xFF000000u);
    }
    device->SetTexture(0, nullptr);
    tex->Release();
}

}  // namespace
}  // namespace d3d9_test
