// The restart as the running library meets it: focus taken away and given back through the headless
// host, the focusEvents pumped by the library's own message loop.
#include <algorithm>
#include <atomic>

#include "engine/core/frame/library_state.h"
#include "engine/core/memory/async_load.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/present_frame.h"
#include "engine/graphics/device/screen_mem_image.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/loss/device_restart.h"
#include "engine/image/soft_image.h"
#include "platform/d3d9/d3d9_control.h"
#include "platform/user/display_state.h"
#include "tests/core/frame/library_fixture.h"
#include "tests/graphics/loss/shown_picture.h"

namespace {

std::vector<std::string> focusEvents;
std::atomic<bool> focusJobDone{false};

void BeforeFocus(uintptr_t data) {
    focusEvents.push_back((focusJobDone ? "before, job done " : "before ") + std::to_string(data));
}
void AfterFocus(uintptr_t data) {
    focusEvents.push_back("after " + std::to_string(data));
}
void RestoreFocus() {
    focusEvents.push_back("restore async " + std::to_string(IsAsyncLoadEnabled()));
}

class FocusRestartTest : public LibraryTest {
  protected:
    void SetUp() override {
        LibraryTest::SetUp();
        D3D9ResetControls();
        focusEvents.clear();
        focusJobDone = false;
        SetScreenMode(800, 600, 32, 60);
    }
    void TearDown() override {
        LibraryTest::TearDown();
        ResetGraphicsRestartForTests();
        ResetDisplayModeForTests();
        D3D9ResetControls();
    }

    // The library in the given mode with the hooks and the restore callback installed.
    void Start(int windowMode) {
        ChangeWindowMode(windowMode);
        ASSERT_EQ(LibraryInit(), 0);
        ASSERT_EQ(GetWindowModeFlag(), windowMode);
        ASSERT_EQ(Direct3DMode, 1);
        SetRestoreCallback(RestoreFocus);
        SetGraphicsRestartHooks(BeforeFocus, 11, AfterFocus, 22);
    }
    // A frame of one colour (0x00RRGGBB) on the back buffer, presented.
    static void ShowColour(D3DCOLOR colour) {
        ASSERT_EQ(DeviceColorFill(BackBufferSurface, nullptr, colour), D3D_OK);
        ASSERT_EQ(PresentFrame(nullptr), 0);
    }
    static void Inject(HostEventKind kind, bool down = false) {
        HostEvent event;
        event.kind = kind;
        event.down = down;
        HostInjectEvent(event);
    }
    static void InjectFocus(bool gained) { Inject(HostEventKind::kFocus, gained); }
    // Focus out and one pump, then focus in and a few pumps more.
    void LoseAndRegainFocus() {
        InjectFocus(false);
        ASSERT_EQ(PumpMessages(), 0);
        ASSERT_EQ(libraryState.run.active, 0);
        InjectFocus(true);
        for (int pass = 0; pass < 8; ++pass) ASSERT_EQ(PumpMessages(), 0);
        ASSERT_EQ(libraryState.run.active, 1);
    }
    static int CreateDeviceCalls(const std::vector<std::string>& trace) {
        return int(std::count_if(trace.begin(), trace.end(), [](const std::string& call) {
            return call.rfind("IDirect3D9::CreateDevice", 0) == 0;
        }));
    }
};

}  // namespace

TEST_F(FocusRestartTest, WindowModeLostDeviceIsMadeAgainOnActivation) {
    Start(1);
    SetAsyncLoadEnabled(1);
    ShowColour(0x00FF8040);
    D3D9SetDeviceLost(true);
    EXPECT_EQ(PresentFrame(nullptr), -1);
    EXPECT_EQ(IsDeviceLost(), 1);
    D3D9SetDeviceLost(false);
    D3D9SetTraceEnabled(true);
    D3D9TakeTrace();
    LoseAndRegainFocus();
    EXPECT_EQ(CreateDeviceCalls(D3D9TakeTrace()), 1);
    EXPECT_EQ(Direct3DMode, 1);
    EXPECT_EQ(IsDeviceLost(), 0);
    EXPECT_EQ(focusEvents, (std::vector<std::string>{"before 11", "restore async 0", "after 22"}));
    EXPECT_EQ(IsAsyncLoadEnabled(), 1);
    EXPECT_TRUE(AllPixelsAre(ShownPicture(GetMainWindowHandle()), 0xFF000000));
}

// Activation while the loss lasts: no device can be made, the library goes on in software.
TEST_F(FocusRestartTest, WindowModeStillLostGoesOnInSoftware) {
    Start(1);
    ShowColour(0x00FF8040);
    ASSERT_TRUE(AllPixelsAre(ShownPicture(GetMainWindowHandle()), 0xFFFF8040));
    D3D9SetDeviceLost(true);
    LoseAndRegainFocus();
    EXPECT_EQ(Direct3DMode, 0);
    MEMIMG* screen = GetScreenMemImage();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(IsMemImgValid(screen), 1);
    EXPECT_EQ(screen->width, 800);
    EXPECT_EQ(screen->height, 600);
    EXPECT_EQ(focusEvents, (std::vector<std::string>{"before 11", "restore async 0", "after 22"}));
    // The frame reaches the window through GDI: the device presents nothing.
    const uint64_t devicePresents = D3D9GetPresentedPicture().present_count;
    ASSERT_EQ(PresentFrame(nullptr), 0);
    EXPECT_TRUE(AllPixelsAre(ShownPicture(GetMainWindowHandle()), 0xFF000000));
    EXPECT_EQ(D3D9GetPresentedPicture().present_count, devicePresents);
}

// Full screen: the deactivation releases the device and gives the desktop its mode back; the activation
// makes the device again without a second release.
TEST_F(FocusRestartTest, FullScreenReleasesOnDeactivationAndRestartsOnActivation) {
    // A quarter-size screen runs at 640 x 480 with the display mode set by the library itself.
    SetScreenMode(320, 240, 32, 60);
    Start(0);
    const HostDisplayMode desktop = HostDesktopMode();
    ASSERT_EQ(CurrentDisplayMode().width, 640);
    ASSERT_EQ(CurrentDisplayMode().height, 480);
    D3D9SetTraceEnabled(true);
    D3D9TakeTrace();
    InjectFocus(false);
    ASSERT_EQ(PumpMessages(), 0);
    EXPECT_EQ(HasD3DDevice(), 0);
    const DisplayModeInfo mode = CurrentDisplayMode();
    EXPECT_EQ(mode.width, desktop.width);
    EXPECT_EQ(mode.height, desktop.height);
    EXPECT_EQ(mode.bits, desktop.bits);
    EXPECT_EQ(libraryState.run.minimised, 1);
    EXPECT_TRUE(focusEvents.empty());
    // The user brings the minimised window back.
    Inject(HostEventKind::kRestore);
    InjectFocus(true);
    for (int pass = 0; pass < 8; ++pass) ASSERT_EQ(PumpMessages(), 0);
    EXPECT_EQ(CreateDeviceCalls(D3D9TakeTrace()), 1);
    EXPECT_EQ(Direct3DMode, 1);
    EXPECT_EQ(HasD3DDevice(), 1);
    EXPECT_EQ(CurrentDisplayMode().width, 640);
    EXPECT_EQ(focusEvents, (std::vector<std::string>{"before 11", "restore async 0", "after 22"}));
    int releases = 0;
    for (const std::string& line : LogLines())
        releases += line.find("Direct3DDevice9 の解放 2") != std::string::npos;
    EXPECT_EQ(releases, 1);
}

namespace {

// A graphic of one colour (0x00RRGGBB) that keeps its image for the restore.
int MakeColourGraphic(int width, int height, uint32_t colour) {
    SoftImage image{};
    if (CreateSoftImageXrgb8(width, height, &image) != 0) return -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetImagePixelRgba(&image, x, y, int(colour >> 16) & 255, int(colour >> 8) & 255,
                              int(colour) & 255, 255);
    const int graphic = CreateGraphicFromSoftImages(&image, nullptr, 0);
    ReleaseSoftImage(&image);
    return graphic;
}

// The game's frame: the graphic drawn into a 400 x 300 target, the target stretched onto the screen.
void DrawGameFrame(int target, int graphic) {
    ASSERT_EQ(SelectDrawTarget(target), 0);
    ASSERT_EQ(ClearDrawTarget(nullptr), 0);
    ASSERT_EQ(DrawImageAt(10, 10, graphic, 0), 0);
    ASSERT_EQ(SelectDrawTarget(kDrawTargetBackBuffer), 0);
    ASSERT_EQ(DrawImageStretched(0, 0, 800, 600, target, 0), 0);
    ASSERT_EQ(FlipFrameDefault(), 0);
}

}  // namespace

// Full screen, two focus cycles: the device is still lost at the first activation (the library goes on
// in software) and back at the second; the game's picture is shown after each.
TEST_F(FocusRestartTest, FullScreenPictureComesBackWithTheDevice) {
    Start(0);
    SetRestoreCallback(nullptr);
    const int target = MakeDrawTarget(400, 300, 0);
    const int graphic = MakeColourGraphic(16, 16, 0xFF8040);
    ASSERT_GE(target, 0);
    ASSERT_GE(graphic, 0);
    const struct {
        const char* name;
        bool cycle, lost;
        int direct3DMode;
    } steps[] = {
        {"started", false, false, 1}, {"still lost", true, true, 0}, {"device back", true, false, 1}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.cycle) {
            InjectFocus(false);
            ASSERT_EQ(PumpMessages(), 0);
            D3D9SetDeviceLost(step.lost);
            Inject(HostEventKind::kRestore);
            InjectFocus(true);
            for (int pass = 0; pass < 8; ++pass) ASSERT_EQ(PumpMessages(), 0);
        }
        ASSERT_EQ(Direct3DMode, step.direct3DMode);
        DrawGameFrame(target, graphic);
        const std::vector<uint32_t> shown = ShownPicture(GetMainWindowHandle());
        ASSERT_EQ(shown.size(), 800u * 600u);
        EXPECT_EQ(shown[20 * 800 + 20], 0xFFFF8040u);
        EXPECT_EQ(shown[51 * 800 + 51], 0xFFFF8040u);
        EXPECT_EQ(shown[52 * 800 + 52], 0xFF000000u);
        EXPECT_EQ(shown[19 * 800 + 19], 0xFF000000u);
    }
}

namespace {

int OnMainThreadForJob(MainThreadCall*) {
    return 0;
}

// A load job that needs the main thread once before it ends.
void FocusLoadJob(AsyncLoadRequest*) {
    MainThreadCall call{OnMainThreadForJob, 0, 0};
    PostRequestToMainThread(&call);
    focusJobDone = true;
}

}  // namespace

TEST_F(FocusRestartTest, QueuedLoadEndsBeforeTheRestartBegins) {
    Start(1);
    D3D9SetDeviceLost(true);
    ASSERT_EQ(PresentFrame(nullptr), -1);
    D3D9SetDeviceLost(false);
    AsyncLoadRequest* request = AllocAsyncLoadRequest(0);
    ASSERT_NE(request, nullptr);
    request->job = FocusLoadJob;
    AddAsyncLoadRequest(request);
    LoseAndRegainFocus();
    ASSERT_FALSE(focusEvents.empty());
    EXPECT_EQ(focusEvents.front(), "before, job done 11");
}

namespace {

int observedPumps = 0;

// The host gives the focus back at the first frame after the loss.
void GiveFocusBack(int64_t) {
    if (++observedPumps != 1) return;
    HostEvent event;
    event.kind = HostEventKind::kFocus;
    event.down = true;
    HostInjectEvent(event);
}

class FocusWaitTest : public FocusRestartTest {
  protected:
    void SetUp() override {
        FocusRestartTest::SetUp();
        observedPumps = 0;
    }
    void TearDown() override {
        HostSetPumpObserver(nullptr);
        FocusRestartTest::TearDown();
    }
};

}  // namespace

// A draw call made while the window is inactive holds until the host gives the focus back; the host's
// frames go on while it holds, so the restart runs inside the wait.
TEST_F(FocusWaitTest, DrawCallHoldsUntilTheFocusComesBack) {
    Start(1);
    D3D9SetDeviceLost(true);
    ASSERT_EQ(PresentFrame(nullptr), -1);
    D3D9SetDeviceLost(false);
    InjectFocus(false);
    ASSERT_EQ(PumpMessages(), 0);
    ASSERT_EQ(libraryState.run.active, 0);
    HostSetPumpObserver(GiveFocusBack);
    SelectDrawTarget(kDrawTargetBackBuffer);
    EXPECT_GE(observedPumps, 1);
    EXPECT_EQ(libraryState.run.active, 1);
    EXPECT_EQ(Direct3DMode, 1);
    EXPECT_EQ(focusEvents, (std::vector<std::string>{"before 11", "restore async 0", "after 22"}));
}

// A focus loss that reaches the library while it starts holds the start until the focus comes back.
TEST_F(FocusWaitTest, FocusLostDuringInitHoldsItUntilTheFocusComesBack) {
    ChangeWindowMode(1);
    InjectFocus(false);
    HostSetPumpObserver(GiveFocusBack);
    ASSERT_EQ(LibraryInit(), 0);
    EXPECT_GE(observedPumps, 1);
    EXPECT_EQ(libraryState.run.active, 1);
    EXPECT_EQ(Direct3DMode, 1);
}
