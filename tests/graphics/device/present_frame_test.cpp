// Presenting a frame through the swap chain into the window.
#include "engine/graphics/device/present_frame.h"
#include "engine/graphics/device/device_probe.h"
#include "engine/graphics/device/device_wrappers.h"
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
