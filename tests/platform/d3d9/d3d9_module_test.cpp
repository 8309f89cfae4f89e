// "d3d9.dll" through the module registry, and DirectDraw 7 through COM with its vertical-blank wait.
#include <gtest/gtest.h>

#include "platform/com/ole32.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/d3d9_control.h"
#include "platform/d3d9/ddraw.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/module_registry.h"

namespace {

typedef IDirect3D9*(WINAPI* Create9)(UINT);
typedef HRESULT(WINAPI* Create9Ex)(UINT, IDirect3D9Ex**);

class D3D9ModuleTest : public ::testing::Test {
  protected:
    void SetUp() override { D3D9ResetControls(); }
    void TearDown() override {
        D3D9ResetControls();
        ResetPlatformTestSwitches();
    }
};

TEST_F(D3D9ModuleTest, ExportsDirect3DCreate9AndTheExEntryOnlyWhenSwitchedOn) {
    HMODULE module = LoadLibraryA("D3D9.DLL");
    ASSERT_NE(module, nullptr);
    auto create = reinterpret_cast<Create9>(GetProcAddress(module, "Direct3DCreate9"));
    ASSERT_NE(create, nullptr);
    EXPECT_EQ(GetProcAddress(module, "Direct3DCreate9Ex"), nullptr);
    D3D9CapabilityProfile profile = D3D9DefaultCapabilityProfile();
    profile.dxt_formats = false;
    profile.depth24_formats = false;
    D3D9SetCapabilityProfile(profile);
    IDirect3D9* d3d = create(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DDISPLAYMODE mode;
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT1),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(
        d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A4R4G4B4),
        D3D_OK);
    EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D24X8),
              D3DERR_NOTAVAILABLE);
    d3d->Release();

    D3D9SetExAvailable(true);
    auto create_ex = reinterpret_cast<Create9Ex>(GetProcAddress(module, "Direct3DCreate9Ex"));
    ASSERT_NE(create_ex, nullptr);
    IDirect3D9Ex* ex = nullptr;
    ASSERT_EQ(create_ex(D3D_SDK_VERSION, &ex), D3D_OK);
    D3DPRESENT_PARAMETERS pp{};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.hDeviceWindow = reinterpret_cast<HWND>(uintptr_t(5));
    IDirect3DDevice9Ex* device = nullptr;
    ASSERT_EQ(ex->CreateDeviceEx(0, D3DDEVTYPE_HAL, pp.hDeviceWindow, D3DCREATE_MIXED_VERTEXPROCESSING, &pp,
                                 nullptr, &device),
              D3D_OK);
    EXPECT_EQ(device->SetMaximumFrameLatency(1), D3D_OK);
    device->Release();
    ex->Release();
    FreeLibrary(module);
}

TEST_F(D3D9ModuleTest, FailingCreationThroughThePlatformSwitch) {
    SetPlatformCallFailing("Direct3DCreate9", true);
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
}

TEST_F(D3D9ModuleTest, DirectDrawWaitsForTheNextSixtiethOfASecondOnTheVirtualClock) {
    CoInitialize(nullptr);
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_DirectDraw7, nullptr, CLSCTX_ALL, IID_IDirectDraw7,
                               reinterpret_cast<void**>(&dd)),
              S_OK);
    EXPECT_EQ(dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DDERR_NOTINITIALIZED);
    ASSERT_EQ(dd->Initialize(nullptr), DD_OK);
    EXPECT_EQ(dd->SetCooperativeLevel(reinterpret_cast<HWND>(uintptr_t(5)), DDSCL_NORMAL | DDSCL_FPUPRESERVE),
              DD_OK);
    ClockMode before = GetClockMode();
    SetClockMode(ClockMode::kVirtual);
    const int64_t period = 16667000;
    int64_t t0 = ClockNowNanoseconds();
    ASSERT_EQ(dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
    int64_t t1 = ClockNowNanoseconds();
    ASSERT_EQ(dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
    int64_t t2 = ClockNowNanoseconds();
    EXPECT_GT(t1, t0);
    EXPECT_LE(t1 - t0, period);
    EXPECT_EQ(t1 % period, 0);
    EXPECT_EQ(t2 - t1, period);
    SetClockMode(before);
    dd->Release();
}

}  // namespace
