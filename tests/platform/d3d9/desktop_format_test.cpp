// The adapter's desktop format follows the host desktop's depth unless the capability profile names one.
#include "platform/host/host.h"
#include "tests/platform/d3d9/d3d9_test_support.h"

namespace d3d9_test {
namespace {

class DesktopFormatTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        SetHostKind(HostKind::kHeadless);
    }
    void TearDown() override {
        HostSetHeadlessDesktopModeForTests(nullptr);
        DeviceTest::TearDown();
    }
    // The adapter's display format and the back buffer a windowed device gets when it names none.
    static void ExpectDesktop(D3DFORMAT expected) {
        IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(direct3D, nullptr);
        D3DDISPLAYMODE mode{};
        ASSERT_EQ(direct3D->GetAdapterDisplayMode(0, &mode), D3D_OK);
        EXPECT_EQ(mode.Format, expected);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferFormat = D3DFMT_UNKNOWN;
        pp.SwapEffect = D3DSWAPEFFECT_COPY;
        pp.Windowed = TRUE;
        IDirect3DDevice9* device = nullptr;
        ASSERT_EQ(direct3D->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                         &pp, &device),
                  D3D_OK);
        EXPECT_EQ(pp.BackBufferFormat, expected);
        IDirect3DSurface9* back = nullptr;
        ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        D3DSURFACE_DESC desc{};
        back->GetDesc(&desc);
        EXPECT_EQ(desc.Format, expected);
        back->Release();
        device->Release();
        direct3D->Release();
    }
};

TEST_F(DesktopFormatTest, FollowsTheHostDesktopDepth) {
    ExpectDesktop(D3DFMT_X8R8G8B8);
    const HostDisplayMode sixteen = {1024, 768, 16, 60};
    HostSetHeadlessDesktopModeForTests(&sixteen);
    ExpectDesktop(D3DFMT_R5G6B5);
}

TEST_F(DesktopFormatTest, ProfileFormatWinsOverTheHost) {
    const HostDisplayMode sixteen = {1024, 768, 16, 60};
    HostSetHeadlessDesktopModeForTests(&sixteen);
    D3D9CapabilityProfile profile;
    profile.desktop_format = D3DFMT_X8R8G8B8;
    D3D9SetCapabilityProfile(profile);
    ExpectDesktop(D3DFMT_X8R8G8B8);
}

}  // namespace
}  // namespace d3d9_test
