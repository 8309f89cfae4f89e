// Restarting the device: the order of hooks and restore, a lost device made again, a restart that ends
// in software mode, the release done once, queued loads served first, graphics switched off.
#include "engine/graphics/loss/device_restart.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "engine/core/frame/library_init.h"
#include "engine/core/memory/async_load.h"
#include "engine/graphics/device/builtin_shaders.h"
#include "engine/graphics/device/present_frame.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/transforms.h"
#include "engine/graphics/handles/derived_graphics.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/scene3d/camera.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/graphics/target/render_target_slots.h"
#include "platform/host/host.h"
#include "tests/graphics/loss/loss_fixture.h"
#include "tests/graphics/loss/shown_picture.h"

namespace {

std::vector<std::string> events;

void Before(uintptr_t data) {
    events.push_back("before " + std::to_string(data));
}
void After(uintptr_t data) {
    events.push_back("after " + std::to_string(data));
}
void Restore() {
    events.push_back("restore async " + std::to_string(IsAsyncLoadEnabled()));
}

class DeviceRestartTest : public LossTest {
  protected:
    void SetUp() override {
        LossTest::SetUp();
        events.clear();
        SetRestoreCallback(Restore);
        SetGraphicsRestartHooks(Before, 11, After, 22);
    }
    static int CreateDeviceCalls() {
        int n = 0;
        for (const std::string& call : D3D9TakeTrace()) n += call.rfind("IDirect3D9::CreateDevice", 0) == 0;
        return n;
    }
};

}  // namespace

TEST_F(DeviceRestartTest, LostDeviceIsMadeAgainBetweenTheHooks) {
    StartDevice(32, 0x00FF8040);
    EXPECT_EQ(drawSettings.restored, 0);
    SetAsyncLoadEnabled(1);
    D3D9SetDeviceLost(true);
    EXPECT_EQ(PresentFrame(nullptr), -1);
    EXPECT_EQ(IsDeviceLost(), 1);
    D3D9SetDeviceLost(false);
    StartTrace();
    ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    EXPECT_EQ(CreateDeviceCalls(), 1);
    EXPECT_EQ(Direct3DMode, 1);
    EXPECT_EQ(IsDeviceLost(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"before 11", "restore async 0", "after 22"}));
    EXPECT_EQ(IsAsyncLoadEnabled(), 1);
    EXPECT_EQ(drawSettings.restored, 1);
    // The restart cleared the screen: the next frame is black.
    ASSERT_EQ(PresentFrame(nullptr), 0);
    EXPECT_TRUE(AllPixelsAre(ShownPicture(libraryState.settings.mainWindow), 0xFF000000));
}

// No device can be made while the loss lasts: drawing goes on in software into a fresh screen image.
TEST_F(DeviceRestartTest, RestartWhileStillLostEndsInSoftwareMode) {
    StartDevice(32, 0x00FF8040);
    ASSERT_EQ(PresentFrame(nullptr), 0);
    ASSERT_TRUE(AllPixelsAre(ShownPicture(libraryState.settings.mainWindow), 0xFFFF8040));
    D3D9SetDeviceLost(true);
    ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    EXPECT_EQ(Direct3DMode, 0);
    EXPECT_EQ(drawSettings.restored, 0);  // no device states were written
    ASSERT_NE(GetScreenMemImage(), nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"before 11", "restore async 0", "after 22"}));
    ASSERT_EQ(PresentFrame(nullptr), 0);
    EXPECT_TRUE(AllPixelsAre(ShownPicture(libraryState.settings.mainWindow), 0xFF000000));
}

// A restart while the loss lasts makes every graphic a software image; the restart that gets the device
// back makes them device graphics again, a sheet and a graphic cut from it alike, refilled from their
// sources.
TEST_F(DeviceRestartTest, GraphicsComeBackToTheDeviceAfterARestartInSoftwareMode) {
    SetRestoreCallback(nullptr);
    StartDevice(32, 0);
    libraryFlags.initialised = 1;
    const int sheet =
        MakeGraphic(32, 32, [](int x, int y) { return x < 16 || y < 16 ? 0xFF8040u : 0x2040FFu; });
    ASSERT_GE(sheet, 0);
    const int corner = DeriveGraphic(16, 16, 16, 16, sheet);
    ASSERT_GE(corner, 0);
    const HWND window = libraryState.settings.mainWindow;
    struct Step {
        bool lost;
        int direct3DMode;
    };
    for (Step step : {Step{true, 0}, Step{false, 1}}) {
        SCOPED_TRACE(step.direct3DMode ? "device back" : "still lost");
        D3D9SetDeviceLost(step.lost);
        ASSERT_EQ(RestartGraphicsKeepMode(), 0);
        ASSERT_EQ(Direct3DMode, step.direct3DMode);
        ASSERT_EQ(DrawImageAt(0, 0, sheet, 0), 0);
        ASSERT_EQ(DrawImageAt(100, 0, corner, 0), 0);
        ASSERT_EQ(PresentFrame(nullptr), 0);
        const std::vector<uint32_t> shown = ShownPicture(window);
        ASSERT_EQ(shown.size(), 800u * 600u);
        EXPECT_EQ(shown[0], 0xFFFF8040u);
        EXPECT_EQ(shown[31 * 800 + 31], 0xFF2040FFu);
        EXPECT_EQ(shown[15 * 800 + 100], 0xFF2040FFu);
        EXPECT_EQ(shown[32 * 800 + 32], 0xFF000000u);
        EXPECT_EQ(shown[16 * 800 + 100], 0xFF000000u);
    }
}

namespace {

bool SameMatrix(const Matrix4& a, const Matrix4& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::vector<int> Corners(const IntRect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// The surface the device draws into at render target slot (no reference kept).
IDirect3DSurface9* BoundRenderTarget(int slot) {
    IDirect3DSurface9* bound = nullptr;
    if (direct3DSystem.device->GetRenderTarget(DWORD(slot), &bound) != D3D_OK || bound == nullptr)
        return nullptr;
    bound->Release();
    return bound;
}

}  // namespace

// A restart in window mode gives back the draw area, the camera's matrices and the draw target the
// program had, on the new device too.
TEST_F(DeviceRestartTest, KeepModeRestartKeepsAreaCameraAndTarget) {
    StartDevice(32, 0);
    const int target = MakeDrawTarget(200, 100, 0);
    ASSERT_EQ(SelectDrawTarget(target), 0);
    ASSERT_EQ(SetClipRect(10, 20, 150, 90), 0);
    ASSERT_EQ(SetCameraPositionAndTarget(50, 40, -300, 60, 45, 0, 0, 1, 0), 0);
    const IntRect area = drawTargetState.area;
    const TransformState transforms = transformState;
    D3D9SetDeviceLost(true);
    D3D9SetDeviceLost(false);
    ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    ASSERT_EQ(Direct3DMode, 1);
    EXPECT_EQ(Corners(drawTargetState.area), Corners(area));
    EXPECT_TRUE(SameMatrix(transformState.world, transforms.world));
    EXPECT_TRUE(SameMatrix(transformState.view, transforms.view));
    EXPECT_TRUE(SameMatrix(transformState.projection, transforms.projection));
    EXPECT_TRUE(SameMatrix(transformState.second, transforms.second));
    EXPECT_EQ(GetRenderTargetSlotGraphic(0), target);
    EXPECT_EQ(BoundRenderTarget(0), LookupGraphic(target, 0)->block->tiles[0].surface);
    D3DVIEWPORT9 viewport{};
    ASSERT_EQ(direct3DSystem.device->GetViewport(&viewport), D3D_OK);
    EXPECT_EQ(std::vector<DWORD>({viewport.X, viewport.Y, viewport.Width, viewport.Height}),
              std::vector<DWORD>({10, 20, 140, 70}));
}

// The further render-target slots (programmable shaders only) are bound again to the new device.
TEST_F(DeviceRestartTest, KeepModeRestartRebindsTheFurtherSlots) {
    D3D9CapabilityProfile profile;
    profile.vertex_shader_version = D3DVS_VERSION(2, 0);
    profile.pixel_shader_version = D3DPS_VERSION(2, 0);
    profile.simultaneous_render_targets = 4;
    D3D9SetCapabilityProfile(profile);
    StartDevice(32, 0);
    if (GetProgrammableShaderFlag() == 0) GTEST_SKIP() << "the device makes no shader objects";
    const int second = MakeDrawTarget(200, 100, 0);
    ASSERT_EQ(SetRenderTargetSlot(1, second), 0);
    D3D9SetDeviceLost(true);
    D3D9SetDeviceLost(false);
    ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    ASSERT_EQ(GetProgrammableShaderFlag(), 1);
    EXPECT_EQ(GetRenderTargetSlotGraphic(1), second);
    EXPECT_EQ(BoundRenderTarget(1), LookupGraphic(second, 0)->block->tiles[0].surface);
}

// A restart into a new mode: the device and the screen take it, and the draw area and the camera start
// from the whole new screen.
TEST_F(DeviceRestartTest, NewModeRestartTakesTheMode) {
    StartDevice(32, 0);
    ASSERT_EQ(SetClipRect(10, 20, 150, 90), 0);
    ASSERT_EQ(RestartGraphics(32, 1024, 768, 0, 1), 0);
    ASSERT_EQ(Direct3DMode, 1);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(SurfaceGetDesc(BackBufferSurface, &desc), D3D_OK);
    EXPECT_EQ(desc.Width * 1000 + desc.Height, 1024768u);
    EXPECT_EQ(screenSettings.width * 1000 + screenSettings.height, 1024768);
    EXPECT_EQ(std::vector<int>({drawTargetState.area.left, drawTargetState.area.top,
                                drawTargetState.area.right, drawTargetState.area.bottom}),
              std::vector<int>({0, 0, 1024, 768}));
    EXPECT_EQ(cameraSettings.centerX, 512.0f);
    EXPECT_EQ(cameraSettings.centerY, 384.0f);
}

// Releasing the device before the restart (as a full-screen deactivation does) leaves the restart
// nothing to release again.
TEST_F(DeviceRestartTest, DeviceReleasedBeforeTheRestartIsReleasedOnce) {
    StartDevice(32, 0);
    ASSERT_EQ(ReleaseGraphicsDevice(), 0);
    EXPECT_EQ(HasD3DDevice(), 0);
    ASSERT_EQ(ReleaseGraphicsDevice(), 0);
    StartTrace();
    ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    EXPECT_EQ(CreateDeviceCalls(), 1);
    EXPECT_EQ(Direct3DMode, 1);
    int releases = 0;
    for (const std::string& line : LogLines()) releases += line == "Direct3DDevice9 の解放 2";
    EXPECT_EQ(releases, 1);
}

TEST_F(DeviceRestartTest, GraphicsSwitchedOffOnlyRestartInput) {
    StartDevice(32, 0);
    libraryFlags.noGraphics = 1;
    StartTrace();
    ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    libraryFlags.noGraphics = 0;
    EXPECT_EQ(CreateDeviceCalls(), 0);
    EXPECT_EQ(HasD3DDevice(), 1);
    EXPECT_EQ(events, (std::vector<std::string>{"before 11"}));
}

TEST_F(DeviceRestartTest, NullCallbackInstallsTheDefaultRestore) {
    ResetGraphicsRestartForTests();
    EXPECT_EQ(HasRestoreCallback(), 0);
    EXPECT_EQ(SetRestoreCallback(nullptr), 0);
    EXPECT_EQ(HasRestoreCallback(), 1);
    EXPECT_EQ(RunRestoreCallback(), 0);
    // The default restore ran, not the callback the reset took away.
    ExpectLinesInOrder({"グラフィックを復帰します", "グラフィックの復帰が完了しました"});
    EXPECT_TRUE(events.empty());
}

namespace {

std::atomic<bool> jobDone{false};

int OnMainThread(MainThreadCall*) {
    return 0;
}

// A load job that needs the main thread once before it ends.
void LoadJob(AsyncLoadRequest*) {
    MainThreadCall call{OnMainThread, 0, 0};
    PostRequestToMainThread(&call);
    jobDone = true;
}

void BeforeChecksTheJob(uintptr_t) {
    events.push_back(jobDone ? "before, job done" : "before, job pending");
}

}  // namespace

TEST_F(DeviceRestartTest, QueuedLoadEndsBeforeTheBeforeHook) {
    StartDevice(32, 0);
    ASSERT_EQ(InitAsyncLoad(GetCurrentThreadId()), 0);
    ASSERT_EQ(StartAsyncLoadThreads(2), 0);
    SetGraphicsRestartHooks(BeforeChecksTheJob, 0, nullptr, 0);
    jobDone = false;
    AsyncLoadRequest* request = AllocAsyncLoadRequest(0);
    ASSERT_NE(request, nullptr);
    request->job = LoadJob;
    AddAsyncLoadRequest(request);
    ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    StopAsyncLoadThreads();
    EndAsyncLoad();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), "before, job done");
}
