// Presenting a frame through the swap chain into the window.
#include "engine/graphics/device/present_frame.h"
#include "engine/graphics/device/device_objects.h"
#include "engine/graphics/device/device_probe.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/softrender/mem_img.h"
#include "tests/graphics/device/device_fixture.h"

namespace {

class PresentTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        MakeDirect3D();
        ASSERT_EQ(ProbeDeviceFormats(), 0);
        Direct3DMode = 1;
        ASSERT_EQ(DeviceColorFill(BackBufferSurface, nullptr, 0x00FF8040), D3D_OK);
    }
};

}  // namespace

TEST_F(PresentTest, WholeFrameShowsTheBackBuffer) {
    const uint64_t before = D3D9GetPresentedPicture().present_count;
    ASSERT_EQ(PresentFrame(nullptr), 0);
    D3D9PresentedPicture picture = D3D9GetPresentedPicture();
    EXPECT_EQ(picture.present_count, before + 1);
    ASSERT_EQ(picture.width, 800u);
    ASSERT_EQ(picture.height, 600u);
    EXPECT_TRUE(std::all_of(picture.pixels.begin(), picture.pixels.end(),
                            [](uint32_t p) { return p == 0xFFFF8040; }));
    EXPECT_EQ(presentRects.lastSource.right, 800);
    EXPECT_EQ(presentRects.lastDestination.bottom, 600);
}

// Before the first whole present there is no source to map a rectangle through.
TEST_F(PresentTest, RectangleBeforeAnyPresentIsRefused) {
    const uint64_t before = D3D9GetPresentedPicture().present_count;
    const RECT rect{0, 0, 100, 100};
    EXPECT_EQ(PresentFrame(&rect), -1);
    EXPECT_EQ(D3D9GetPresentedPicture().present_count, before);
    ASSERT_EQ(PresentFrame(nullptr), 0);
    EXPECT_EQ(PresentFrame(&rect), 0);
    EXPECT_EQ(D3D9GetPresentedPicture().present_count, before + 2);
}

TEST_F(PresentTest, EmptyMappedRectangleIsRefused) {
    ASSERT_EQ(PresentFrame(nullptr), 0);
    const uint64_t before = D3D9GetPresentedPicture().present_count;
    const RECT flat{10, 10, 10, 50};
    EXPECT_EQ(PresentFrame(&flat), -1);
    EXPECT_EQ(D3D9GetPresentedPicture().present_count, before);
}

// A window rate so small that the destination has no size leaves nothing to map through.
TEST_F(PresentTest, ZeroSizedDestinationIsRefused) {
    ASSERT_EQ(PresentFrame(nullptr), 0);
    libraryState.settings.sizeRateX = 0.001;
    libraryState.settings.sizeRateY = 0.001;
    const uint64_t before = D3D9GetPresentedPicture().present_count;
    const RECT rect{0, 0, 100, 100};
    EXPECT_EQ(PresentFrame(&rect), -1);
    EXPECT_EQ(D3D9GetPresentedPicture().present_count, before);
}

TEST_F(PresentTest, MinimisedWindowPresentsNothing) {
    libraryState.run.minimised = 1;
    const uint64_t before = D3D9GetPresentedPicture().present_count;
    EXPECT_EQ(PresentFrame(nullptr), 0);
    EXPECT_EQ(D3D9GetPresentedPicture().present_count, before);
}

TEST_F(PresentTest, LostDeviceFailsThePresent) {
    D3D9SetDeviceLost(true);
    EXPECT_EQ(PresentFrame(nullptr), -1);
}

namespace {

struct ScreenKind {
    const char* name;
    int windowMode;
};
constexpr ScreenKind kScreenKinds[] = {{"window", 1}, {"full screen", 0}};

// The back buffer orange with a blue rectangle; what a present showed, as 0xRRGGBB.
class PresentPictureTest : public PresentTest {
  protected:
    // A present in window mode and one in full screen each show the window all blue.
    static void ExpectBlueInBothScreenKinds(UINT windowWidth, UINT windowHeight) {
        for (const ScreenKind& kind : kScreenKinds) {
            SCOPED_TRACE(kind.name);
            libraryState.settings.windowMode = kind.windowMode;
            ASSERT_EQ(PresentFrame(nullptr), 0);
            UINT width = 0, height = 0;
            EXPECT_TRUE(AllBlue(Shown(&width, &height)));
            EXPECT_EQ(width * 1000 + height, windowWidth * 1000 + windowHeight);
        }
    }
    static void BlueRect(const RECT& rect) {
        ASSERT_EQ(DeviceColorFill(BackBufferSurface, &rect, 0xFF), D3D_OK);
    }
    static std::vector<uint32_t> Shown(UINT* width, UINT* height) {
        D3D9PresentedPicture picture = D3D9GetPresentedPicture();
        *width = picture.width;
        *height = picture.height;
        for (uint32_t& p : picture.pixels) p &= 0xFFFFFF;
        return picture.pixels;
    }
    static bool AllBlue(const std::vector<uint32_t>& pixels) {
        return !pixels.empty() &&
               std::all_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p == 0x0000FF; });
    }
};

}  // namespace

// With the present-source switch on, only its rectangle of the back buffer is shown, over the whole
// destination, in window mode and in full screen alike.
TEST_F(PresentPictureTest, PresentSourceRectangleFillsTheWindow) {
    BlueRect(RECT{0, 0, 400, 300});
    presentRects.sourceSwitch = 1;
    presentRects.source = RECT{0, 0, 400, 300};
    ExpectBlueInBothScreenKinds(800, 600);
    EXPECT_EQ(presentRects.lastSource.right, 400);  // from the window-mode present
    EXPECT_EQ(presentRects.lastDestination.right, 800);
}

// A toolbar above the client area moves the picture down: its bottom is the client area's bottom.
TEST_F(PresentPictureTest, ToolbarMovesThePictureDown) {
    DestroyWindow(libraryState.settings.mainWindow);
    libraryState.settings.mainWindow = MakeWindow(800, 640);
    libraryState.run.toolbarPresent = 1;
    ASSERT_EQ(PresentFrame(nullptr), 0);
    EXPECT_EQ(presentRects.lastDestination.top, 40);
    EXPECT_EQ(presentRects.lastDestination.bottom, 640);
    UINT width = 0, height = 0;
    const std::vector<uint32_t> shown = Shown(&width, &height);
    ASSERT_EQ(width * 1000 + height, 800640u);
    EXPECT_EQ(shown[39 * 800], 0x000000u);
    EXPECT_EQ(shown[40 * 800], 0xFF8040u);
    EXPECT_EQ(shown.back(), 0xFF8040u);
}

// Drawing went to the sub back buffer: it is stretched onto the back buffer before the present.
TEST_F(PresentPictureTest, SubBackBufferIsShown) {
    ASSERT_EQ(CreateSubBackBuffer(), 0);
    ASSERT_EQ(DeviceColorFill(GetSubBackBuffer(), nullptr, 0xFF), D3D_OK);
    ASSERT_EQ(PresentFrame(nullptr), 0);
    UINT width = 0, height = 0;
    EXPECT_TRUE(AllBlue(Shown(&width, &height)));
    ReleaseSubBackBuffer();
}

// A present that returns at once waits for the vertical blank, only when the library runs while inactive
// and waits for the blank at all.
TEST_F(PresentPictureTest, QuickPresentWaitsForTheBlankWhenRunningAlways) {
    ASSERT_EQ(CreateDirectDrawObject(), 0);
    const struct { int runAlways, noVsyncWait, waits; } cases[] = {{1, 0, 1}, {0, 0, 0}, {1, 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "run always " << c.runAlways << ", no wait " << c.noVsyncWait);
        libraryState.settings.runAlways = c.runAlways;
        drawSettings.noVsyncWait = c.noVsyncWait;
        D3D9SetTraceEnabled(true);
        D3D9TakeTrace();
        ASSERT_EQ(PresentFrame(nullptr), 0);
        EXPECT_EQ(Count(D3D9TakeTrace(), "IDirectDraw7::WaitForVerticalBlank(1, NULL)"), c.waits);
    }
    drawSettings.noVsyncWait = 0;
}

namespace {

// A 640 x 480 screen that shows the 320 x 240 emulated one.
class HalfSizePresentTest : public PresentPictureTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        DestroyWindow(libraryState.settings.mainWindow);
        libraryState.settings.mainWindow = MakeWindow(640, 480);
        SetHalfSizeEmulation(1);
        SetScreenSize(640, 480);
        MakeDirect3D();
        ASSERT_EQ(ProbeDeviceFormats(), 0);
        Direct3DMode = 1;
        ASSERT_EQ(DeviceColorFill(BackBufferSurface, nullptr, 0x00FF8040), D3D_OK);
    }
    void TearDown() override {
        SetHalfSizeEmulation(0);
        PresentPictureTest::TearDown();
    }
};

}  // namespace

// The half-size frame shows the top-left 320 x 240 of the back buffer doubled, in both screen kinds.
TEST_F(HalfSizePresentTest, TopLeftQuarterIsShownDoubled) {
    BlueRect(RECT{0, 0, 320, 240});
    ExpectBlueInBothScreenKinds(640, 480);
}

TEST_F(DeviceTest, SoftwareModeWithoutAScreenImagePresentsNothing) {
    Direct3DMode = 0;
    EXPECT_EQ(PresentFrame(nullptr), 0);
    const RECT rect{0, 0, 10, 10};
    EXPECT_EQ(PresentFrame(&rect), -1);
}

namespace {

// A screen image of the screen's size, filled with one value, and a part of it with another.
class SoftwarePresentTest : public DeviceTest {
  protected:
    void TearDown() override {
        ReleaseMemImg(&image_);
        DeviceTest::TearDown();
    }
    void MakeImage(int width, int height, uint32_t fill) {
        ASSERT_GE(CreateMemImg(&image_, width, height, 1), 0);
        FillMemImgRect(&image_, nullptr, fill);
    }
    std::vector<uint32_t> Shown(int* width, int* height) const {
        std::vector<uint32_t> pixels;
        EXPECT_TRUE(HostReadPicture(libraryState.settings.mainWindow, &pixels, width, height));
        for (uint32_t& p : pixels) p &= 0xFFFFFF;
        return pixels;
    }
    MEMIMG image_{};
};

}  // namespace

TEST_F(SoftwarePresentTest, ScreenImageOfTheWindowSizeIsCopiedWhole) {
    MakeImage(800, 600, 0x00FF8040);
    const int32_t corner[4] = {790, 590, 800, 600};
    FillMemImgRect(&image_, corner, 0x000000FF);
    ASSERT_EQ(PresentSoftwareImage(&image_, nullptr), 0);
    int width, height;
    std::vector<uint32_t> shown = Shown(&width, &height);
    ASSERT_EQ(width, 800);
    ASSERT_EQ(height, 600);
    EXPECT_EQ(shown[0], 0xFF8040u);
    EXPECT_EQ(shown[599 * 800 + 799], 0x0000FFu);
    EXPECT_EQ(shown[589 * 800 + 789], 0xFF8040u);
}

// The half-size frame shows the top-left 320 x 240 of the screen image doubled.
TEST_F(SoftwarePresentTest, HalfSizeFrameDoublesTheTopLeftQuarter) {
    DestroyWindow(libraryState.settings.mainWindow);
    libraryState.settings.mainWindow = MakeWindow(640, 480);
    SetHalfSizeEmulation(1);
    SetScreenSize(640, 480);
    MakeImage(640, 480, 0x000000FF);
    const int32_t quarter[4] = {0, 0, 320, 240};
    FillMemImgRect(&image_, quarter, 0x00FF0000);
    ASSERT_EQ(PresentSoftwareImage(&image_, nullptr), 0);
    int width, height;
    std::vector<uint32_t> shown = Shown(&width, &height);
    ASSERT_EQ(width * height, 640 * 480);
    EXPECT_TRUE(std::all_of(shown.begin(), shown.end(), [](uint32_t p) { return p == 0xFF0000; }));
    EXPECT_EQ(presentRects.lastSource.right, 640);
    EXPECT_EQ(presentRects.lastDestination.bottom, 480);
}
