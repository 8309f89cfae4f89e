// Screen size, colour depth, display modes and the graphics switches.
#include "engine/graphics/device/screen_settings.h"

#include "engine/graphics/graphics.h"
#include "tests/graphics/device/device_fixture.h"

TEST_F(DeviceTest, HeadlessDesktopModes) {
    ASSERT_EQ(GetDisplayModeCount(), 18);
    DisplayMode mode;
    ASSERT_EQ(GetDisplayModeAt(0, &mode), 0);
    EXPECT_EQ((std::vector<int>{mode.width, mode.height, mode.colorBits, mode.refreshRate}),
              (std::vector<int>{640, 480, 16, 60}));
    ASSERT_EQ(GetDisplayModeAt(9, &mode), 0);
    EXPECT_EQ((std::vector<int>{mode.width, mode.height, mode.colorBits, mode.refreshRate}),
              (std::vector<int>{640, 480, 32, 60}));
    for (int index : {-1, 18}) {
        EXPECT_EQ(GetDisplayModeAt(index, &mode), -1);
        EXPECT_EQ((std::vector<int>{mode.width, mode.height, mode.colorBits, mode.refreshRate}),
                  (std::vector<int>{-1, -1, -1, -1}))
            << index;
    }
    EXPECT_EQ(IsDisplayModeListed(640, 480, 32), 1);
    EXPECT_EQ(IsDisplayModeListed(641, 480, 32), 0);
}

struct SizeCase {
    int halfSize;
    int width, height;
    int logicalWidth, logicalHeight;
    int reportedWidth, reportedHeight;
};

TEST_F(DeviceTest, ScreenSizeAndLogicalSize) {
    const SizeCase cases[] = {
        {1, 640, 480, 320, 240, 320, 240}, {1, 800, 600, 800, 600, 320, 240},
        {0, 640, 480, 640, 480, 640, 480}, {0, 0, 0, 640, 480, 0, 0},
        {1, 640, 0, 640, 480, 320, 240},
    };
    for (const SizeCase& c : cases) {
        SetHalfSizeEmulation(c.halfSize);
        SetScreenSize(c.width, c.height);
        int w, h;
        GetLogicalScreenSize(&w, &h);
        EXPECT_EQ(w, c.logicalWidth) << c.width << "x" << c.height << " half " << c.halfSize;
        EXPECT_EQ(h, c.logicalHeight) << c.width << "x" << c.height << " half " << c.halfSize;
        GetScreenSize(&w, &h, nullptr);
        EXPECT_EQ(w, c.reportedWidth) << c.width << "x" << c.height << " half " << c.halfSize;
        EXPECT_EQ(h, c.reportedHeight) << c.width << "x" << c.height << " half " << c.halfSize;
    }
    EXPECT_EQ(GetHalfSizeEmulation(), 1);
    screenSettings.halfSizeByModeSelection = 0;
    screenSettings.halfSizeByInit = 1;
    EXPECT_EQ(IsHalfSizeEmulation(), 1);
    EXPECT_EQ(GetHalfSizeEmulation(), 0);
}

TEST_F(DeviceTest, UnsetSettingsReadAsDefaults) {
    ResetScreenSettingsForTests();
    int w = -1, h = -1, bits = -1;
    EXPECT_EQ(GetGraphicSize(kDrawTargetBackBuffer, &w, &h), 0);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    GetLogicalScreenSize(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    GetScreenSize(nullptr, nullptr, &bits);
    EXPECT_EQ(bits, 16);
    EXPECT_EQ(GetColorDepth(), 16);
    EXPECT_EQ(IsHardwareDrawEnabled(), 1);
}

TEST_F(DeviceTest, GraphicSizeOfScreensAndBadHandles) {
    int w = 0, h = 0;
    EXPECT_EQ(GetGraphicSize(kDrawTargetFrontScreen, &w, nullptr), 0);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(GetGraphicSize(kDrawTargetBackBuffer, nullptr, &h), 0);
    EXPECT_EQ(h, 600);
    for (int bad : {-1, -3, 0x7FFFFFFF}) {
        EXPECT_EQ(GetGraphicSize(bad, &w, &h), -1) << bad;
        EXPECT_EQ(GetGraphicTextureSize(bad, &w, &h), -1) << bad;
    }
}

TEST_F(DeviceTest, HardwareDrawingIsSetBeforeInitOnly) {
    EXPECT_EQ(SetHardwareDrawEnabled(0), 0);
    EXPECT_EQ(IsHardwareDrawEnabled(), 0);
    EXPECT_EQ(IsHardwareDrawingEnabled(), 0);
    libraryFlags.initialised = 1;
    EXPECT_EQ(SetHardwareDrawEnabled(1), -1);
    EXPECT_EQ(IsHardwareDrawEnabled(), 0);
}

TEST_F(DeviceTest, ModeQueries) {
    EXPECT_EQ(IsFullScreenMode(), 0);
    libraryState.settings.windowMode = 0;
    EXPECT_EQ(IsFullScreenMode(), 1);
    EXPECT_EQ(IsSoftwareDrawMode(), 1);
    Direct3DMode = 1;
    EXPECT_EQ(IsSoftwareDrawMode(), 0);
}

TEST_F(DeviceTest, DialogBoxModeReachesTheDevice) {
    EXPECT_EQ(SetDialogBoxModeSafe(1), 0);
    EXPECT_EQ(GetDialogBoxModeFlag(), 0);  // no device: nothing changes
    MakeDirect3D();
    ASSERT_EQ(CreateDirect3DDevice(), 0);
    Direct3DMode = 1;
    D3D9SetTraceEnabled(true);
    EXPECT_EQ(SetDialogBoxModeSafe(1), 0);
    EXPECT_EQ(GetDialogBoxModeFlag(), 1);
    EXPECT_EQ(SetDialogBoxModeFlag(0), 0);
    std::vector<std::string> trace = D3D9TakeTrace();
    EXPECT_EQ(trace, (std::vector<std::string>{"IDirect3DDevice9::SetDialogBoxMode(0)",
                                               "IDirect3DDevice9::SetDialogBoxMode(1)",
                                               "IDirect3DDevice9::SetDialogBoxMode(0)"}));
}

TEST_F(DeviceTest, LightingAndTextureCoordinatesReachTheDevice) {
    EXPECT_EQ(SetLightingEnabled(1), 0);
    MakeDirect3D();
    ASSERT_EQ(CreateDirect3DDevice(), 0);
    D3D9SetTraceEnabled(true);
    EXPECT_EQ(SetLightingEnabled(1), 0);
    EXPECT_EQ(SetLightingEnabled(1), 0);  // unchanged: nothing sent
    EXPECT_EQ(SetLightingEnabled(0), 0);
    EXPECT_EQ(ResetTextureCoordinateIndices(), 0);
    EXPECT_EQ(ResetTextureCoordinateIndices(), 0);  // every stage already holds its own index
    std::vector<std::string> trace = D3D9TakeTrace();
    EXPECT_EQ(Count(trace, "IDirect3DDevice9::SetRenderState(137, 1)"), 1);
    EXPECT_EQ(Count(trace, "IDirect3DDevice9::SetRenderState(137, 0)"), 1);
    for (int stage = 0; stage < 8; ++stage)
        EXPECT_EQ(Count(trace, "IDirect3DDevice9::SetTextureStageState(" + std::to_string(stage) + ", 11, " +
                                   std::to_string(stage) + ")"),
                  1)
            << stage;
}
