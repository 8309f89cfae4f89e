// The device's multisampling setting: the presentation parameters it gives (lowered to what the adapter
// offers), its drop on a device without programmable shaders, and a started device whose screen shows
// the resolved samples of an edge.
#include "engine/graphics/device/device_probe.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/target/frame_flip.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

class MultisampleDeviceTest : public GraphicsTest {
  protected:
    void TearDown() override {
        libraryFlags.initialised = 0;
        deviceCreationSettings.multiSampleType = 0;
        deviceCreationSettings.multiSampleQuality = 0;
        GraphicsTest::TearDown();
    }
    static void UseProfile(DWORD samples, D3D9ShaderProfile shaders) {
        D3D9CapabilityProfile profile = D3D9DefaultCapabilityProfile();
        profile.multisample_samples = samples;
        D3D9ApplyShaderProfile(&profile, shaders);
        D3D9SetCapabilityProfile(profile);
    }
};

TEST_F(MultisampleDeviceTest, PresentationFollowsTheTypeTheAdapterOffers) {
    struct Case {
        DWORD offered;
        int requested, type;
    };
    for (const Case& c : {Case{4, 4, 4}, Case{2, 4, 2}, Case{0, 4, 0}, Case{4, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << "offered " << c.offered << " requested " << c.requested);
        UseProfile(c.offered, D3D9ShaderProfile::kFixed);
        ResetDirect3DSystemForTests();
        MakeDirect3D();
        deviceCreationSettings.multiSampleType = c.requested;
        deviceCreationSettings.multiSampleQuality = 2;
        ASSERT_EQ(CreateDirect3DDevice(), 0);
        D3DPRESENT_PARAMETERS params{};
        ASSERT_NE(direct3DSystem.swapChain, nullptr);
        direct3DSystem.swapChain->GetPresentParameters(&params);
        EXPECT_EQ(int(params.MultiSampleType), c.type);
        EXPECT_EQ(params.MultiSampleQuality, 0u);
        EXPECT_EQ(deviceCreationSettings.multiSampleType, c.type);
        // The swap effect and the lockable flag follow the type asked for, before it is lowered.
        EXPECT_EQ(params.SwapEffect, c.requested ? D3DSWAPEFFECT_DISCARD : D3DSWAPEFFECT_COPY);
        EXPECT_EQ(params.Flags, c.requested ? 0u : DWORD(D3DPRESENTFLAG_LOCKABLE_BACKBUFFER));
        IDirect3DSurface9* back = nullptr;
        ASSERT_EQ(direct3DSystem.device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        D3DSURFACE_DESC desc{};
        back->GetDesc(&desc);
        EXPECT_EQ(int(desc.MultiSampleType), c.type);
        back->Release();
    }
}

// Below shader model 2.0 the probe drops the setting before it makes the device.
TEST_F(MultisampleDeviceTest, ProbeDropsMultisamplingWithoutShaders) {
    UseProfile(4, D3D9ShaderProfile::kFixed);
    MakeDirect3D();
    deviceCreationSettings.multiSampleType = 4;
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    EXPECT_EQ(deviceCreationSettings.multiSampleType, 0);
}

// Graphics started with 4 samples draw into a multisampled back buffer and depth buffer; the frame shows
// the covered share of each pixel along the edge x + 4y = 16 (samples at dx + 4 dy = -1.625, -0.125,
// 0.125 and 1.625 from a pixel of m = px + 4 py).
TEST_F(MultisampleDeviceTest, StartedDeviceShowsTheResolvedEdge) {
    UseProfile(4, D3D9ShaderProfile::kSm3);
    deviceCreationSettings.multiSampleType = 4;
    libraryFlags.initialised = 1;
    Start();
    ASSERT_EQ(deviceCreationSettings.multiSampleType, 4);
    SelectDrawTarget(kDrawTargetBackBuffer);
    ClearDrawTarget(nullptr);
    ASSERT_EQ(DrawWhiteEdge(), 0);
    ASSERT_EQ(FlipFrameDefault(), 0);
    const D3D9PresentedPicture picture = D3D9GetPresentedPicture();
    ASSERT_GE(picture.width, 16u);
    struct Case {
        int px, py;
        uint32_t grey;
    };
    for (const Case& c :
         {Case{14, 0, 0xFF}, Case{15, 0, 0xBF}, Case{12, 1, 0x80}, Case{13, 1, 0x40}, Case{14, 1, 0}})
        EXPECT_EQ(picture.pixels[size_t(c.py) * picture.width + size_t(c.px)] & 0xFF, c.grey)
            << c.px << "," << c.py;
}

}  // namespace
