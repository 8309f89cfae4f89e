// Presenting a frame through the swap chain into the window.
#include "engine/graphics/device/present_frame.h"
#include "engine/graphics/device/device_probe.h"
#include "engine/graphics/device/device_wrappers.h"
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
