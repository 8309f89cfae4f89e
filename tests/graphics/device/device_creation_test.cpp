// The Direct3D object, device creation with its presentation parameters and fallbacks, and the
// multisample check.
#include "engine/softrender/soft_render_state.h"
#include "tests/graphics/device/device_fixture.h"

namespace {

D3DPRESENT_PARAMETERS PresentParameters() {
    D3DPRESENT_PARAMETERS params{};
    EXPECT_NE(direct3DSystem.swapChain, nullptr);
    if (direct3DSystem.swapChain) direct3DSystem.swapChain->GetPresentParameters(&params);
    return params;
}

std::vector<std::string> From(const std::vector<std::string>& trace, const std::string& first) {
    auto at = std::find(trace.begin(), trace.end(), first);
    return std::vector<std::string>(at, trace.end());
}

}  // namespace

TEST_F(DeviceTest, WindowModeDeviceTakesTheDesktopFormatAndBlanksTheScreen) {
    MakeDirect3D();
    D3D9SetTraceEnabled(true);
    SetMemImgDefaultKind(0);
    ASSERT_EQ(CreateDirect3DDevice(), 0);
    std::vector<std::string> trace = D3D9TakeTrace();
    EXPECT_EQ(Count(trace, "IDirect3D9::CreateDevice(0, 1, ptr, 32, ptr, ptr)"), 1);
    const std::string clear = "IDirect3DDevice9::Clear(0, NULL, 1, 0, 1, 0)";
    const std::string present = "IDirect3DDevice9::Present(NULL, NULL, ptr, NULL)";
    std::vector<std::string> after = From(trace, "IDirect3DDevice9::SetRenderState(7, 1)");
    ASSERT_GE(after.size(), 9u);
    const std::vector<std::string> blanking = {clear, present, clear, present, clear, present, clear};
    EXPECT_EQ(std::vector<std::string>(after.begin() + 1, after.begin() + 8), blanking);
    EXPECT_EQ(after[8].rfind("IDirect3DDevice9::GetSwapChain(0", 0), 0u) << after[8];

    D3DPRESENT_PARAMETERS params = PresentParameters();
    EXPECT_EQ(params.BackBufferWidth, 800u);
    EXPECT_EQ(params.BackBufferHeight, 600u);
    EXPECT_EQ(params.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(params.Windowed, TRUE);
    EXPECT_EQ(params.SwapEffect, D3DSWAPEFFECT_COPY);
    EXPECT_EQ(params.PresentationInterval, 1u);
    EXPECT_EQ(params.Flags, 1u);
    EXPECT_EQ(GetColorDepth(), 32);
    EXPECT_EQ(g_softRenderState.defaultKind, 1);
    EXPECT_EQ(deviceCreationSettings.hardwareVertexProcessing, 0);
    EXPECT_TRUE(
        Logged("IDirect3D9Ex オブジェクトを取得します.... IDirect3D9 オブジェクトを取得します.... 成功"));
}

TEST_F(DeviceTest, BackgroundColourClearsTheNewDevice) {
    libraryState.settings.backgroundRed = 0x12;
    libraryState.settings.backgroundGreen = 0x34;
    libraryState.settings.backgroundBlue = 0x56;
    MakeDirect3D();
    D3D9SetTraceEnabled(true);
    ASSERT_EQ(CreateDirect3DDevice(), 0);
    EXPECT_EQ(Count(D3D9TakeTrace(), "IDirect3DDevice9::Clear(0, NULL, 1, 1193046, 1, 0)"), 4);
}

TEST_F(DeviceTest, ShaderTwoAdapterGetsMixedVertexProcessing) {
    D3D9CapabilityProfile profile;
    profile.vertex_shader_version = D3DVS_VERSION(2, 0);
    profile.pixel_shader_version = D3DPS_VERSION(2, 0);
    D3D9SetCapabilityProfile(profile);
    MakeDirect3D();
    D3D9SetTraceEnabled(true);
    ASSERT_EQ(CreateDirect3DDevice(), 0);
    EXPECT_EQ(Count(D3D9TakeTrace(), "IDirect3D9::CreateDevice(0, 1, ptr, 128, ptr, ptr)"), 1);
    EXPECT_EQ(deviceCreationSettings.hardwareVertexProcessing, 1);
    EXPECT_EQ(deviceCreationSettings.adapterVertexShaderVersion, DWORD(D3DVS_VERSION(2, 0)));
    EXPECT_TRUE(Logged("IDirect3DDevice9 オブジェクトを取得します.... ハードウエア頂点演算を使用します"));
}

TEST_F(DeviceTest, FailedFirstAttemptFallsBackToSoftwareVertexProcessing) {
    MakeDirect3D();
    D3D9FailCreation("CreateDevice", 1);
    ASSERT_EQ(CreateDirect3DDevice(), 0);
    EXPECT_TRUE(Logged("IDirect3DDevice9 オブジェクトを取得します.... ソフトウエア頂点演算を使用します"));
    EXPECT_EQ(HasD3DDevice(), 1);
}

TEST_F(DeviceTest, PlainDeviceThatCannotBeMadeFails) {
    MakeDirect3D();
    D3D9FailCreation("CreateDevice", -1);
    EXPECT_EQ(CreateDirect3DDevice(), -1);
    EXPECT_TRUE(Logged("IDirect3DDevice9 オブジェクトを取得します.... Direct3DDevice9 の作成に失敗しました"));
    EXPECT_EQ(HasD3DDevice(), 0);
    EXPECT_EQ(deviceCreationSettings.refuseEx, 0);
}

TEST_F(DeviceTest, WithoutTheExExportThePlainObjectIsUsed) {
    MakeDirect3D();
    EXPECT_EQ(IsDirect3D9Ex(), 0);
    EXPECT_EQ(HasDirect3D9Object(), 1);
    EXPECT_TRUE(
        Logged("IDirect3D9Ex オブジェクトを取得します.... IDirect3D9 オブジェクトを取得します.... 成功"));
}

TEST_F(DeviceTest, ExDeviceFailureRefusesExFromThenOn) {
    D3D9SetExAvailable(true);
    MakeDirect3D();
    EXPECT_EQ(IsDirect3D9Ex(), 1);
    D3D9FailCreation("CreateDeviceEx", -1);
    EXPECT_EQ(CreateDirect3DDevice(), -2);
    EXPECT_EQ(deviceCreationSettings.refuseEx, 1);
    EXPECT_TRUE(
        Logged("IDirect3DDevice9Ex オブジェクトを取得します.... Direct3DDevice9Ex の作成に失敗しました"));

    ASSERT_EQ(CreateDirect3D9Object(), 0);
    EXPECT_EQ(IsDirect3D9Ex(), 0);
    std::vector<std::string> lines = LogLines();
    EXPECT_EQ(lines.back(), "IDirect3D9 オブジェクトを取得します.... 成功");
    EXPECT_EQ(CreateDirect3DDevice(), 0);
}

TEST_F(DeviceTest, ExDeviceIsTheDeviceWithOneFrameOfLatency) {
    D3D9SetExAvailable(true);
    MakeDirect3D();
    D3D9SetTraceEnabled(true);
    ASSERT_EQ(CreateDirect3DDevice(), 0);
    EXPECT_EQ(static_cast<IDirect3DDevice9*>(direct3DSystem.deviceEx), direct3DSystem.device);
    EXPECT_EQ(Count(D3D9TakeTrace(), "IDirect3DDevice9Ex::SetMaximumFrameLatency(1)"), 1);
    // One reference each for the object and the device: both go on the first release.
    ReleaseDirect3DDevice();
    EXPECT_EQ(direct3DSystem.deviceEx, nullptr);
    ReleaseDirect3D9Object();
    EXPECT_EQ(direct3DSystem.direct3DEx, nullptr);
}

TEST_F(DeviceTest, FullScreenDepths) {
    libraryState.settings.windowMode = 0;
    MakeDirect3D();
    SetColorDepthSetting(24);
    EXPECT_EQ(CreateDirect3DDevice(), -1);
    EXPECT_TRUE(Logged("非対応のバックバッファービット深度が指定されました"));
    EXPECT_EQ(HasD3DDevice(), 0);

    SetColorDepthSetting(16);
    SetRefreshRateSetting(60);
    ASSERT_EQ(CreateDirect3DDevice(), 0);
    D3DPRESENT_PARAMETERS params = PresentParameters();
    EXPECT_EQ(params.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(params.Windowed, FALSE);
    EXPECT_EQ(params.FullScreen_RefreshRateInHz, 60u);
    EXPECT_TRUE(Logged("Desktop Window Manager を無効にしました"));
}

// A type the adapter does not offer is lowered to one it offers (or to 0), the quality to the levels it
// reports; strict, the first refusal fails.
TEST_F(DeviceTest, MultisampleTheAdapterDoesNotOfferIsLoweredOrDropped) {
    struct Case {
        DWORD mostSamples;  // the device's
        int type, strict;
        int result, chosenType;
    };
    const Case cases[] = {
        {0, 4, 0, 0, 0},  {0, 4, 1, -1, 4}, {4, 4, 0, 0, 4}, {4, 3, 0, 0, 2},
        {4, 3, 1, -1, 3}, {2, 4, 0, 0, 2},  {2, 2, 1, 0, 2}, {4, 16, 0, 0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "device " << c.mostSamples << " type " << c.type << " strict " << c.strict);
        D3D9CapabilityProfile profile = D3D9DefaultCapabilityProfile();
        profile.multisample_samples = c.mostSamples;
        D3D9SetCapabilityProfile(profile);
        ResetDirect3DSystemForTests();
        MakeDirect3D();
        int type = c.type, quality = 3;
        EXPECT_EQ(ChooseMultiSampleQuality(D3DFMT_X8R8G8B8, &type, &quality, c.strict), c.result);
        EXPECT_EQ(type, c.chosenType);
        EXPECT_EQ(quality, 0);  // one quality level at most
    }
}

TEST_F(DeviceTest, DeviceLossNeedsADevice) {
    EXPECT_EQ(IsDeviceLost(), 0);
    MakeDirect3D();
    ASSERT_EQ(CreateDirect3DDevice(), 0);
    EXPECT_EQ(IsDeviceLost(), 0);
    D3D9SetDeviceLost(true);
    EXPECT_EQ(IsDeviceLost(), 1);
}

TEST_F(DeviceTest, DirectDrawObjectIsMadeThroughComAndReleased) {
    ASSERT_EQ(LoadDirect3D9Library(), 0);
    D3D9SetTraceEnabled(true);
    ASSERT_EQ(CreateDirectDrawObject(), 0);
    EXPECT_NE(GetDirectDrawObject(), nullptr);
    std::vector<std::string> trace = D3D9TakeTrace();
    EXPECT_EQ(Count(trace, "IDirectDraw7::Initialize(NULL)"), 1);
    EXPECT_EQ(Count(trace, "IDirectDraw7::SetCooperativeLevel(ptr, 8)"), 1);
    EXPECT_TRUE(Logged("DirectDraw オブジェクトの取得を行います....  成功"));
    EXPECT_TRUE(Logged("引き続き初期化処理... 初期化に成功しました"));
    ReleaseDirectDrawObject();
    EXPECT_EQ(GetDirectDrawObject(), nullptr);
    FreeDirect3D9Library();
    EXPECT_TRUE(Logged("Direct3D9 DLL の解放 1"));
}

TEST_F(DeviceTest, MissingCreateExportFails) {
    ASSERT_EQ(LoadDirect3D9Library(), 0);
    D3D9FailCreation("Direct3DCreate9", 1);
    EXPECT_EQ(CreateDirect3D9Object(), -1);
    EXPECT_TRUE(
        Logged("IDirect3D9Ex オブジェクトを取得します.... IDirect3D9 オブジェクトを取得します.... "
               "IDirect3D9 オブジェクトの取得に失敗しました"));
    EXPECT_EQ(HasDirect3D9Object(), 0);
}
