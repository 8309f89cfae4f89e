// Graphics start and end through the graphics init and shutdown: the device path, the software path
// chosen by the setting or by a device that cannot be made, the display mode, and screen-mode changes.
#include "engine/graphics/device/graphics_start.h"

#include "engine/graphics/device/device_objects.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/device/screen_mem_image.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/graphics.h"
#include "platform/user/display_state.h"
#include "tests/graphics/device/device_fixture.h"

namespace {

class GraphicsStartTest : public DeviceTest {
  protected:
    void TearDown() override {
        ShutdownGraphics();
        libraryFlags.initialised = 0;
        SetHalfSizeEmulation(0);
        DeviceTest::TearDown();
    }
    static DEVMODEA Display() {
        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        EXPECT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode));
        return mode;
    }
    // Nothing of the graphics system is left.
    static void ExpectAllReleased() {
        EXPECT_EQ(direct3DSystem.module, nullptr);
        EXPECT_EQ(direct3DSystem.directDraw, nullptr);
        EXPECT_EQ(direct3DSystem.direct3D, nullptr);
        EXPECT_EQ(direct3DSystem.device, nullptr);
        EXPECT_EQ(BackBufferSurface, nullptr);
        EXPECT_EQ(deviceObjects.depthBuffer, nullptr);
        EXPECT_EQ(GetScreenMemImage(), nullptr);
        EXPECT_EQ(graphicsStarted, 0);
    }
    bool LoggedPart(const std::string& text) const {
        for (const std::string& line : LogLines())
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
    std::vector<std::string> RawLines() const {
        std::ifstream in(folder_ + "/Log.txt", std::ios::binary);
        std::string log(std::istreambuf_iterator<char>(in), {});
        std::vector<std::string> lines;
        for (size_t start = 0, end; start < log.size(); start = end + 2) {
            end = log.find("\r\n", start);
            if (end == std::string::npos) end = log.size();
            lines.push_back(log.substr(start, end - start));
        }
        return lines;
    }
};

}  // namespace

TEST_F(GraphicsStartTest, WindowModeStartsTheDeviceWithAScreenSizedDepthBuffer) {
    D3D9SetTraceEnabled(true);
    ASSERT_EQ(InitGraphicsSystem(), 0);
    EXPECT_EQ(HasD3DDevice(), 1);
    EXPECT_EQ(Direct3DMode, 1);
    EXPECT_EQ(IsDisplayReady(), 1);
    EXPECT_EQ(GetDirectDrawObjectAlias(), direct3DSystem.directDraw);
    EXPECT_EQ(GetScreenMemImage(), nullptr);
    ExpectLinesInOrder(
        {"DirectDraw オブジェクトの取得を行います....  成功", "Ｚバッファを作成します.... 成功"});
    std::vector<std::string> trace = D3D9TakeTrace();
    EXPECT_EQ(Count(trace, "IDirect3DDevice9::CreateDepthStencilSurface(1024, 1024, 80, 0, 0, 1, ptr, NULL)"),
              1);
    EXPECT_EQ(deviceObjects.depthWidth, 1024);
    EXPECT_EQ(deviceObjects.depthHeight, 1024);
    EXPECT_EQ(ShutdownGraphics(), 0);
    ExpectAllReleased();
    EXPECT_EQ(IsDisplayReady(), 0);
}

TEST_F(GraphicsStartTest, DepthEdgeIsThePowerOfTwoCoveringTheSize) {
    struct Case {
        int size, edge;
    };
    for (Case c : {Case{0, 1}, Case{1, 1}, Case{2, 2}, Case{3, 4}, Case{600, 1024}, Case{1024, 1024},
                   Case{1025, 2048}})
        EXPECT_EQ(DepthEdge(c.size), c.edge) << c.size;
}

TEST_F(GraphicsStartTest, HardwareDrawingOffUsesTheSoftwareScreen) {
    ASSERT_EQ(SetHardwareDrawEnabled(0), 0);
    D3D9SetTraceEnabled(true);
    ASSERT_EQ(InitGraphicsSystem(), 0);
    const std::vector<std::string> trace = D3D9TakeTrace();
    EXPECT_FALSE(trace.empty());  // the DirectDraw object's calls
    for (const std::string& call : trace) EXPECT_EQ(call.find("Direct3DCreate9"), std::string::npos) << call;
    EXPECT_EQ(Direct3DMode, 0);
    EXPECT_EQ(HasD3DDevice(), 0);
    MEMIMG* screen = GetScreenMemImage();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->width, 800);
    EXPECT_EQ(screen->height, 600);
    EXPECT_EQ(screen->base->kind, 0);
    FillMemImgRect(screen, nullptr, 0xF800);
    ASSERT_EQ(PresentFrame(nullptr), 0);
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    ASSERT_TRUE(HostReadPicture(libraryState.settings.mainWindow, &pixels, &width, &height));
    ASSERT_FALSE(pixels.empty());
    EXPECT_EQ(pixels[0], 0xFFFF0000u);
    EXPECT_EQ(pixels.back(), 0xFFFF0000u);
    ShutdownGraphics();
    ExpectAllReleased();
}

// A device or depth buffer that cannot be made leaves the software renderer, holding nothing of the
// device.
TEST_F(GraphicsStartTest, FailedDeviceFallsBackToSoftware) {
    struct Case {
        const char* method;
        int count;
        const char* logged;
    };
    for (Case c : {Case{"CreateDevice", -1, "Direct3DDevice9 の作成に失敗しました"},
                   Case{"CreateDepthStencilSurface", 1, "Ｚバッファの作成に失敗しました"}}) {
        SCOPED_TRACE(c.method);
        D3D9FailCreation(c.method, c.count);
        ASSERT_EQ(InitGraphicsSystem(), 0);
        EXPECT_TRUE(LoggedPart(c.logged));
        EXPECT_EQ(Direct3DMode, 0);
        EXPECT_EQ(HasD3DDevice(), 0);
        EXPECT_EQ(BackBufferSurface, nullptr);
        EXPECT_EQ(deviceObjects.depthBuffer, nullptr);
        EXPECT_EQ(direct3DSystem.direct3D, nullptr);
        EXPECT_NE(GetScreenMemImage(), nullptr);
        ShutdownGraphics();
        ExpectAllReleased();
        D3D9FailCreation(c.method, 0);
    }
}

TEST_F(GraphicsStartTest, RefusedRefreshRateIsDropped) {
    libraryState.settings.windowMode = 0;
    SetRefreshRateSetting(75);
    ASSERT_EQ(ApplyDisplayMode(), 0);
    EXPECT_EQ(screenSettings.refreshRate, 0);
    DEVMODEA mode = Display();
    EXPECT_EQ(mode.dmPelsWidth, 800u);
    EXPECT_EQ(mode.dmPelsHeight, 600u);
    EXPECT_EQ(mode.dmBitsPerPel, 16u);
    std::vector<std::string> raw = RawLines();
    auto start = std::find_if(raw.begin(), raw.end(), [](const std::string& line) {
        return line.find("画面モードの変更処理を開始します 800 x 600  16 bit ") != std::string::npos;
    });
    ASSERT_NE(start, raw.end());
    ASSERT_NE(start + 1, raw.end());
    EXPECT_NE((start + 1)->find(":\t画面解像度を変更します... 成功しました"), std::string::npos)
        << *(start + 1);
    EXPECT_EQ((start + 1)->find(":\t\t"), std::string::npos);
}

TEST_F(GraphicsStartTest, FullScreen320x240IsShownOn640x480) {
    libraryState.settings.windowMode = 0;
    SetScreenSize(320, 240);
    ASSERT_EQ(ApplyDisplayMode(), 0);
    DEVMODEA mode = Display();
    EXPECT_EQ(mode.dmPelsWidth, 640u);
    EXPECT_EQ(mode.dmPelsHeight, 480u);
    EXPECT_EQ(GetHalfSizeEmulation(), 1);
    int width = 0, height = 0;
    GetLogicalScreenSize(&width, &height);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
}

TEST_F(GraphicsStartTest, DisplayModeOtherThan16Or32BitsIsRefused) {
    libraryState.settings.windowMode = 0;
    SetColorDepthSetting(8);
    const DEVMODEA before = Display();
    EXPECT_EQ(ApplyDisplayMode(), -1);
    EXPECT_EQ(Display().dmPelsWidth, before.dmPelsWidth);
    // The log indent is closed again.
    LogText("after\n");
    std::vector<std::string> raw = RawLines();
    ASSERT_FALSE(raw.empty());
    EXPECT_EQ(raw[raw.size() - 2].find('\t'), std::string::npos) << raw[raw.size() - 2];
}

TEST_F(GraphicsStartTest, SetScreenModeBeforeInitOnlyStores) {
    const DEVMODEA before = Display();
    EXPECT_EQ(SetScreenMode(800, 600, 24, 60), -1);
    EXPECT_EQ(screenSettings.colorBits, 16);
    EXPECT_EQ(screenSettings.refreshRate, 0);
    EXPECT_EQ(SetScreenMode(1280, 720, 16, 60), 0);
    EXPECT_EQ(screenSettings.width, 1280);
    EXPECT_EQ(screenSettings.refreshRate, 60);
    EXPECT_EQ(Display().dmPelsWidth, before.dmPelsWidth);
    EXPECT_EQ(Display().dmPelsHeight, before.dmPelsHeight);
    EXPECT_EQ(graphicsStarted, 0);
}

TEST_F(GraphicsStartTest, WindowModeChangeRemakesTheDevice) {
    ASSERT_EQ(InitGraphicsSystem(), 0);
    libraryFlags.initialised = 1;
    EXPECT_EQ(SetScreenMode(1024, 768, 32, 0), 0);
    EXPECT_EQ(graphicsStarted, 1);
    ASSERT_NE(BackBufferSurface, nullptr);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(SurfaceGetDesc(BackBufferSurface, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 1024u);
    EXPECT_EQ(desc.Height, 768u);
    std::vector<std::string> raw = RawLines();
    auto done = std::find_if(raw.begin(), raw.end(), [](const std::string& line) {
        return line.find("画面モード変更処理は正常に終了しました") != std::string::npos;
    });
    ASSERT_NE(done, raw.end());
    EXPECT_EQ(done->find('\t'), std::string::npos) << *done;
    // Asking for the mode it has changes nothing.
    EXPECT_EQ(SetScreenMode(1024, 768, 32, 0), 0);
}

TEST_F(GraphicsStartTest, UnlistedFullScreenModeKeepsTheEmulatedScreen) {
    libraryState.settings.windowMode = 0;
    SetScreenSize(320, 240);
    ASSERT_EQ(InitGraphicsSystem(), 0);
    libraryFlags.initialised = 1;
    EXPECT_EQ(SetScreenMode(1000, 700, 16, 0), -1);
    int width = 0, height = 0;
    GetScreenSize(&width, &height, nullptr);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    EXPECT_EQ(GetHalfSizeEmulation(), 1);
    // The emulated size itself is what the screen has.
    EXPECT_EQ(SetScreenMode(320, 240, 16, 0), 0);
}

// A full-screen mode that was listed but cannot be set any more (the display lost it; software drawing,
// so that the library sets the display mode itself): graphics start again in the mode they had, or, when
// that cannot be set either, in 640 x 480 x 16, which SetScreenMode reports as -2.
TEST_F(GraphicsStartTest, ModeThatCannotBeSetFallsBackToThePreviousModeOrTo640x480) {
    ASSERT_EQ(SetHardwareDrawEnabled(0), 0);
    const struct {
        int previousWidth, previousHeight;
        int result;
        int width, height, bits;
    } cases[] = {{800, 600, -1, 800, 600, 32}, {1280, 1024, -2, 640, 480, 16}};
    const HostDisplayMode large{1920, 1080, 32, 60}, small{1024, 768, 32, 60};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.previousWidth << " x " << c.previousHeight);
        HostSetHeadlessDesktopModeForTests(&large);
        libraryState.settings.windowMode = 0;
        SetScreenSize(c.previousWidth, c.previousHeight);
        SetColorDepthSetting(32);
        ASSERT_EQ(InitGraphicsSystem(), 0);
        libraryFlags.initialised = 1;
        ASSERT_GT(GetDisplayModeCount(), 0);  // listed while the display still offers 1920 x 1080
        HostSetHeadlessDesktopModeForTests(&small);
        EXPECT_EQ(SetScreenMode(1920, 1080, 32, 0), c.result);
        EXPECT_TRUE(LoggedPart("画面モードの変更に失敗しました"));
        EXPECT_EQ(graphicsStarted, 1);
        EXPECT_EQ(screenSettings.width * 1000 + screenSettings.height, c.width * 1000 + c.height);
        EXPECT_EQ(screenSettings.colorBits, c.bits);
        const DEVMODEA mode = Display();
        EXPECT_EQ(int(mode.dmPelsWidth) * 1000 + int(mode.dmPelsHeight), c.width * 1000 + c.height);
        ShutdownGraphics();
        ResetDisplayModeForTests();
    }
    HostSetHeadlessDesktopModeForTests(nullptr);
}

// A viewport the started device refuses is logged as one line with the device's error.
TEST_F(GraphicsStartTest, RefusedViewportLogsOneLine) {
    ASSERT_EQ(InitGraphicsSystem(), 0);
    const D3DVIEWPORT9 tooWide{0, 0, 801, 600, 0.0f, 1.0f};
    EXPECT_EQ(SetCachedViewport(&tooWide), int(D3DERR_INVALIDCALL));
    LogText("after\n");
    const std::vector<std::string> raw = RawLines();
    auto line = std::find_if(raw.begin(), raw.end(), [](const std::string& text) {
        return text.find("ビューポートのセットに失敗しました ErrorCode 8876086c") != std::string::npos;
    });
    ASSERT_NE(line, raw.end());
    ASSERT_NE(line + 1, raw.end());
    EXPECT_NE((line + 1)->find("after"), std::string::npos) << *(line + 1);
}

TEST_F(GraphicsStartTest, SubBackBufferHasTheScreenSizeAndGoesWithTheDevice) {
    EXPECT_EQ(CreateSubBackBuffer(), -1);  // no device
    ASSERT_EQ(InitGraphicsSystem(), 0);
    EXPECT_EQ(GetSubBackBuffer(), nullptr);
    ASSERT_EQ(CreateSubBackBuffer(), 0);
    ASSERT_NE(GetSubBackBuffer(), nullptr);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(SurfaceGetDesc(GetSubBackBuffer(), &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 800u);
    EXPECT_EQ(desc.Height, 600u);
    EXPECT_EQ(int(desc.Format), deviceFormatTable.display);
    EXPECT_EQ(desc.Usage, DWORD(D3DUSAGE_RENDERTARGET));
    D3D9FailCreation("CreateRenderTarget", 1);
    EXPECT_EQ(CreateSubBackBuffer(), -1);
    EXPECT_TRUE(LoggedPart("サブバックバッファの作成に失敗しました"));
    EXPECT_EQ(GetSubBackBuffer(), nullptr);
    ASSERT_EQ(CreateSubBackBuffer(), 0);
    ShutdownGraphics();
    EXPECT_EQ(GetSubBackBuffer(), nullptr);
}
