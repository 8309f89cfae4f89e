// Screenshots of the draw screen: the written file, refused rectangles, other types, a lost device and the
// software screen.
#include "engine/graphics/device/device_objects.h"
#include "tests/graphics/loss/loss_fixture.h"

namespace {

class ScreenCaptureTest : public LossTest {
  protected:
    void SetUp() override {
        LossTest::SetUp();
        StartDevice(32, 0x00FF8040);
    }
    int Save(int x1, int y1, int x2, int y2, const std::string& name, int type) {
        return SaveDrawScreen(x1, y1, x2, y2, LibraryPath(name).c_str(), type, 80, 1, -1);
    }
};

}  // namespace

TEST_F(ScreenCaptureTest, BmpHoldsTheRectangleOfTheScreen) {
    ASSERT_EQ(Save(0, 0, 400, 300, "shot.bmp", kSaveImageBmp), 0);
    SoftImage image = ReadBack("shot.bmp");
    EXPECT_EQ(image.width, 400);
    EXPECT_EQ(image.height, 300);
    EXPECT_TRUE(AllPixels(&image, 0xFF8040));
    ReleaseSoftImage(&image);
}

// The rectangle starts at (x1, y1): a capture of the lower right quarter sees what was drawn there only.
TEST_F(ScreenCaptureTest, RectangleIsTakenFromItsCorner) {
    const RECT corner{400, 300, 800, 600};
    ASSERT_EQ(DeviceColorFill(BackBufferSurface, &corner, 0x00102030), D3D_OK);
    ASSERT_EQ(Save(400, 300, 800, 600, "corner.bmp", kSaveImageBmp), 0);
    SoftImage image = ReadBack("corner.bmp");
    EXPECT_TRUE(AllPixels(&image, 0x102030));
    ReleaseSoftImage(&image);
}

// Drawing that went to the sub back buffer is what the capture reads, not the back buffer under it.
TEST_F(ScreenCaptureTest, SubBackBufferIsCaptured) {
    ASSERT_EQ(CreateSubBackBuffer(), 0);
    ASSERT_EQ(DeviceColorFill(GetSubBackBuffer(), nullptr, 0x00102030), D3D_OK);
    ASSERT_EQ(Save(0, 0, 800, 600, "sub.bmp", kSaveImageBmp), 0);
    SoftImage image = ReadBack("sub.bmp");
    EXPECT_EQ(image.width, 800);
    EXPECT_TRUE(AllPixels(&image, 0x102030));
    ReleaseSoftImage(&image);
}

TEST_F(ScreenCaptureTest, RefusedRectanglesWriteNothing) {
    const RECT cases[] = {
        {0, 0, 801, 600}, {10, 0, 10, 600}, {0, 5, 100, 5}, {-1, 0, 10, 10}, {0, 0, 800, 601}};
    for (const RECT& r : cases) {
        EXPECT_EQ(Save(r.left, r.top, r.right, r.bottom, "bad.bmp", kSaveImageBmp), -1);
        EXPECT_FALSE(FileExists("bad.bmp"));
    }
    EXPECT_EQ(SaveDrawScreen(0, 0, 10, 10, nullptr, kSaveImageBmp, 80, 1, -1), -1);
}

// A type that no writer takes still copies the screen, then lets everything go again.
TEST_F(ScreenCaptureTest, OtherTypeCopiesAndWritesNothing) {
    StartTrace();
    EXPECT_EQ(Save(0, 0, 100, 100, "none.bmp", 3), 0);
    EXPECT_FALSE(FileExists("none.bmp"));
    const std::vector<std::string> trace = TakeTrace();
    EXPECT_EQ(Count(trace, "IDirect3DDevice9::CreateOffscreenPlainSurface(800, 600, 22, 2, ptr, NULL)"), 1);
    EXPECT_EQ(Count(trace, "IDirect3DSurface9::UnlockRect()"), 1);
}

TEST_F(ScreenCaptureTest, PngAndJpegAreWritten) {
    ASSERT_EQ(Save(0, 0, 64, 32, "shot.png", kSaveImagePng), 0);
    SoftImage png = ReadBack("shot.png");
    EXPECT_EQ(png.width, 64);
    EXPECT_TRUE(AllPixels(&png, 0xFF8040));
    ReleaseSoftImage(&png);
    ASSERT_EQ(Save(0, 0, 64, 32, "shot.jpg", kSaveImageJpeg), 0);
    EXPECT_TRUE(FileExists("shot.jpg"));
}

// A lost device cannot hand over its pixels: no file of unset pixels is written.
TEST_F(ScreenCaptureTest, LostDeviceWritesNoFile) {
    D3D9SetDeviceLost(true);
    EXPECT_EQ(Save(0, 0, 400, 300, "lost.bmp", kSaveImageBmp), -1);
    EXPECT_FALSE(FileExists("lost.bmp"));
}

TEST_F(ScreenCaptureTest, SystemSurfaceThatCannotBeMadeIsLogged) {
    D3D9FailCreation("CreateOffscreenPlainSurface", 1);
    EXPECT_EQ(Save(0, 0, 400, 300, "fail.bmp", kSaveImageBmp), -1);
    EXPECT_FALSE(FileExists("fail.bmp"));
    EXPECT_TRUE(Logged("SaveDrawScreen 用システムメモリサーフェスの作成に失敗しました"));
}

TEST_F(LossTest, SoftwareScreenIsSaved) {
    StartSoftware(16);
    ASSERT_EQ(SaveDrawScreen(0, 0, 40, 30, LibraryPath("soft.bmp").c_str(), kSaveImageBmp, 80, 1, -1), 0);
    SoftImage image = ReadBack("soft.bmp");
    EXPECT_EQ(image.width, 40);
    EXPECT_TRUE(AllPixels(&image, 0x000000));
    ReleaseSoftImage(&image);
}
