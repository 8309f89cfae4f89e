// The screen's software image: its size and format, black start, the software draw target, and the
// software present showing it.
#include "engine/graphics/device/screen_mem_image.h"

#include "engine/softrender/soft_draw_entries.h"
#include "tests/graphics/device/device_fixture.h"

namespace {

class ScreenMemImageTest : public DeviceTest {
  protected:
    void TearDown() override {
        ReleaseScreenMemImages();
        DeviceTest::TearDown();
    }
};

bool AllPixelsAre(const MEMIMG& image, uint32_t value) {
    const MemImgBase& base = *image.base;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.pixels + y * base.pitch + x * base.pixelBytes;
            uint32_t pixel = base.pixelBytes == 2 ? uint32_t(p[0] | p[1] << 8)
                                                  : uint32_t(p[0] | p[1] << 8 | p[2] << 16 | p[3] << 24);
            if ((pixel & 0xFFFFFF) != value) return false;
        }
    return true;
}

}  // namespace

TEST_F(ScreenMemImageTest, SizeAndFormatFollowTheScreen) {
    struct Case {
        int width, height, colorBits, halfSize;
        int imageWidth, imageHeight, kind;
    };
    for (Case c : {Case{800, 600, 16, 0, 800, 600, 0}, Case{640, 480, 32, 0, 640, 480, 1},
                   Case{1024, 768, 8, 0, 1024, 768, 1}, Case{640, 480, 16, 1, 320, 240, 0}}) {
        SCOPED_TRACE(c.width * 100 + c.colorBits);
        SetHalfSizeEmulation(c.halfSize);
        SetScreenSize(c.width, c.height);
        SetColorDepthSetting(c.colorBits);
        ASSERT_EQ(CreateScreenMemImage(), 0);
        MEMIMG* image = GetScreenMemImage();
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, c.imageWidth);
        EXPECT_EQ(image->height, c.imageHeight);
        EXPECT_EQ(image->base->kind, c.kind);
        EXPECT_TRUE(AllPixelsAre(*image, 0));
        EXPECT_EQ(g_softDrawSurfaces.target, image);
        for (const MEMIMG& view : screenMemImages.views) {
            EXPECT_EQ(IsMemImgValid(&view), 1);
            EXPECT_EQ(view.base, image->base);
            EXPECT_EQ(view.width, c.imageWidth);
            EXPECT_EQ(view.height, c.imageHeight);
        }
        SetHalfSizeEmulation(0);
    }
}

TEST_F(ScreenMemImageTest, ReleaseLeavesNoImageAndNoDrawTarget) {
    ASSERT_EQ(CreateScreenMemImage(), 0);
    EXPECT_EQ(ReleaseScreenMemImages(), 0);
    EXPECT_EQ(GetScreenMemImage(), nullptr);
    EXPECT_EQ(g_softDrawSurfaces.target, nullptr);
    EXPECT_EQ(IsMemImgValid(&screenMemImages.views[0]), 0);
    EXPECT_EQ(ReleaseScreenMemImages(), 0);  // twice is harmless
}

TEST_F(ScreenMemImageTest, SoftwarePresentShowsTheFilledScreen) {
    ASSERT_EQ(CreateScreenMemImage(), 0);
    Direct3DMode = 0;
    FillMemImgRect(GetScreenMemImage(), nullptr, 0xF800);  // red in RGB565
    ASSERT_EQ(PresentFrame(nullptr), 0);
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    ASSERT_TRUE(HostReadPicture(libraryState.settings.mainWindow, &pixels, &width, &height));
    ASSERT_EQ(width * height, 800 * 600);
    EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p == 0xFFFF0000; }))
        << std::hex << pixels[0];
}
