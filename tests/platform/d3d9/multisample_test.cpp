// Multisampled render targets: 2 and 4 samples at Direct3D's standard positions, resolved by StretchRect
// and by present; what CheckDeviceMultiSampleType answers and what creation refuses.
#include "tests/platform/d3d9/d3d9_test_support.h"

namespace d3d9_test {
namespace {

class MultisampleTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        MakeDevice(16, 4);
    }

    // White below the edge x + 4y = 16, drawn as one large triangle whose other edges lie outside the
    // target.
    void DrawEdge() {
        ColorVertex t[3] = {
            {48, -8, 0, 1, 0xFFFFFFFF}, {-32, 12, 0, 1, 0xFFFFFFFF}, {-32, -8, 0, 1, 0xFFFFFFFF}};
        device->SetFVF(0x44);
        device->BeginScene();
        EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, t, sizeof(ColorVertex)), D3D_OK);
        device->EndScene();
    }
};

// A pixel (px, py) has the value m = px + 4 py against the edge at 16. Its samples lie at
// dx + 4 dy = -1.625, -0.125, 0.125, 1.625 (four samples) or -1.25, 1.25 (two samples) from it, and each
// one with m + that < 16 is covered: the resolved pixel is the covered share of 255.
TEST_F(MultisampleTest, DiagonalEdgeResolvesToTheStandardPatternsCoverage) {
    struct Case {
        int px, py;
        uint32_t four, two;  // the resolved red channel
    };
    const Case cases[] = {
        {13, 0, 255, 255},  // m 13
        {14, 0, 255, 255},  // m 14: four of four, two of two
        {15, 0, 191, 128},  // m 15: three of four, one of two
        {12, 1, 128, 128},  // m 16: two of four, one of two
        {13, 1, 64, 128},   // m 17: one of four, one of two
        {14, 1, 0, 0},      // m 18: none
        {8, 2, 128, 128},   // m 16
        {7, 2, 191, 128},   // m 15
        {9, 2, 64, 128},    // m 17
        {2, 3, 255, 255},   // m 14
    };
    for (D3DMULTISAMPLE_TYPE type : {D3DMULTISAMPLE_4_SAMPLES, D3DMULTISAMPLE_2_SAMPLES}) {
        IDirect3DSurface9 *ms = nullptr, *resolved = nullptr;
        ASSERT_EQ(device->CreateRenderTarget(16, 4, D3DFMT_X8R8G8B8, type, 0, FALSE, &ms, nullptr), D3D_OK);
        D3DSURFACE_DESC desc;
        ms->GetDesc(&desc);
        EXPECT_EQ(desc.MultiSampleType, type);
        ASSERT_EQ(device->SetRenderTarget(0, ms), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        DrawEdge();
        ASSERT_EQ(device->CreateRenderTarget(16, 4, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &resolved,
                                             nullptr),
                  D3D_OK);
        ASSERT_EQ(device->StretchRect(ms, nullptr, resolved, nullptr, D3DTEXF_NONE), D3D_OK);
        ASSERT_EQ(device->SetRenderTarget(0, resolved), D3D_OK);
        const std::vector<uint32_t> pixels = ReadTarget();
        for (const Case& c : cases) {
            const uint32_t expected = type == D3DMULTISAMPLE_4_SAMPLES ? c.four : c.two;
            EXPECT_EQ(pixels[size_t(c.py * 16 + c.px)] >> 16 & 255, expected)
                << type << " samples at " << c.px << "," << c.py;
        }
        ms->Release();
        resolved->Release();
    }
}

// Present shows the resolved samples of a multisampled back buffer, which cannot be made lockable.
TEST_F(MultisampleTest, PresentResolvesAMultisampledBackBuffer) {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 16;
    pp.BackBufferHeight = 4;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.hDeviceWindow = TestWindow();
    pp.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
    pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    IDirect3DDevice9* refused = nullptr;
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                &refused),
              D3DERR_INVALIDCALL);
    device->Release();
    d3d->Release();
    device = nullptr;
    MakeDevice(16, 4, D3DFMT_X8R8G8B8, true, D3DMULTISAMPLE_4_SAMPLES);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    DrawEdge();
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    const D3D9PresentedPicture picture = D3D9GetPresentedPicture();
    ASSERT_EQ(picture.width, 16u);
    EXPECT_EQ(picture.pixels[15] & 0xFFFFFF, 0xBFBFBFu);       // m 15: three of four
    EXPECT_EQ(picture.pixels[16 + 12] & 0xFFFFFF, 0x808080u);  // m 16: two of four
    EXPECT_EQ(picture.pixels[16 + 13] & 0xFFFFFF, 0x404040u);  // m 17: one of four
}

// Offered: 2 and 4 samples for the packed colour formats and the depth formats, within the profile's
// most; creation refuses other types, a quality other than 0, lockable multisampled targets, and reading
// a multisampled target back without a resolve.
TEST_F(MultisampleTest, AnswersAndRefusals) {
    DWORD levels = 0;
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                              D3DMULTISAMPLE_4_SAMPLES, &levels),
              D3D_OK);
    EXPECT_EQ(levels, 1u);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_D24S8, TRUE, D3DMULTISAMPLE_2_SAMPLES,
                                              nullptr),
              D3D_OK);
    for (auto [format, type] : {std::pair{D3DFMT_X8R8G8B8, D3DMULTISAMPLE_16_SAMPLES},
                                std::pair{D3DFMT_A32B32G32R32F, D3DMULTISAMPLE_4_SAMPLES},
                                std::pair{D3DFMT_DXT1, D3DMULTISAMPLE_2_SAMPLES}})
        EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, format, TRUE, type, nullptr),
                  D3DERR_NOTAVAILABLE)
            << format << " " << type;

    IDirect3DSurface9* s = nullptr;
    EXPECT_EQ(
        device->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_4_SAMPLES, 1, FALSE, &s, nullptr),
        D3DERR_INVALIDCALL);
    EXPECT_EQ(
        device->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_4_SAMPLES, 0, TRUE, &s, nullptr),
        D3DERR_INVALIDCALL);
    ASSERT_EQ(
        device->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_4_SAMPLES, 0, FALSE, &s, nullptr),
        D3D_OK);
    IDirect3DSurface9* sys = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(8, 8, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &sys, nullptr),
              D3D_OK);
    EXPECT_EQ(device->GetRenderTargetData(s, sys), D3DERR_INVALIDCALL);
    sys->Release();
    s->Release();

    device->Release();
    d3d->Release();
    device = nullptr;
    D3D9CapabilityProfile profile = D3D9DefaultCapabilityProfile();
    profile.multisample_samples = 2;
    D3D9SetCapabilityProfile(profile);
    MakeDevice(8, 8);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                              D3DMULTISAMPLE_4_SAMPLES, nullptr),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                              D3DMULTISAMPLE_2_SAMPLES, nullptr),
              D3D_OK);
    EXPECT_EQ(
        device->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_4_SAMPLES, 0, FALSE, &s, nullptr),
        D3DERR_INVALIDCALL);
}

}  // namespace
}  // namespace d3d9_test
