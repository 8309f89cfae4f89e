// The graphics system started through the graphics init on the headless host (window mode, 800 x 600),
// with the back-buffer lock, the restart state and the mask screen reset around each test.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/device/screen_mem_image.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/loss/back_buffer_lock.h"
#include "engine/graphics/loss/device_restart.h"
#include "engine/graphics/loss/mask_screen.h"
#include "engine/image/color_format.h"
#include "engine/image/image_loader.h"
#include "engine/image/soft_image.h"
#include "tests/graphics/device/device_fixture.h"

class LossTest : public DeviceTest {
  protected:
    void TearDown() override {
        ReleaseBackBufferLock();
        ShutdownGraphics();
        ResetGraphicsRestartForTests();
        DeviceTest::TearDown();
    }

    // The device of a colorBits screen, the back buffer filled with colour (0x00RRGGBB).
    void StartDevice(int colorBits, D3DCOLOR colour) {
        SetColorDepthSetting(colorBits);
        ASSERT_EQ(InitGraphicsSystem(), 0);
        ASSERT_EQ(Direct3DMode, 1);
        ASSERT_EQ(DeviceColorFill(BackBufferSurface, nullptr, colour), D3D_OK);
    }
    // The software renderer on a colorBits screen.
    void StartSoftware(int colorBits) {
        SetColorDepthSetting(colorBits);
        SetHardwareDrawEnabled(0);
        ASSERT_EQ(InitGraphicsSystem(), 0);
        ASSERT_EQ(Direct3DMode, 0);
    }

    // A graphic made from an RGB image filled by fill(x, y) -> 0x00RRGGBB; it keeps the image for the
    // restore. The handle, or -1.
    template <class Fill>
    static int MakeGraphic(int width, int height, Fill fill) {
        SoftImage image{};
        ColorFormat format{};
        SetColorFormatRgb24(&format);
        if (CreateSoftImage(width, height, &format, &image) != 0) return -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t c = fill(x, y);
                SetImagePixelRgba(&image, x, y, int(c >> 16) & 255, int(c >> 8) & 255, int(c) & 255, 255);
            }
        const int graphic = CreateGraphicFromSoftImages(&image, nullptr, 0);
        ReleaseSoftImage(&image);
        return graphic;
    }

    static void StartTrace() {
        D3D9SetTraceEnabled(true);
        D3D9TakeTrace();
    }
    static std::vector<std::string> TakeTrace() { return D3D9TakeTrace(); }

    std::string LibraryPath(const std::string& name) const { return "C:" + folder_ + "/" + name; }
    bool FileExists(const std::string& name) const { return std::ifstream(folder_ + "/" + name).good(); }
    // The saved image read back (empty image when it cannot be read). The caller releases it.
    SoftImage ReadBack(const std::string& name) const {
        std::ifstream in(folder_ + "/" + name, std::ios::binary);
        std::vector<char> data(std::istreambuf_iterator<char>(in), {});
        SoftImage image{};
        if (!data.empty()) LoadSoftImagePlain(nullptr, data.data(), uint32_t(data.size()), 1, &image, 0);
        return image;
    }
    // Every pixel of image is argb (alpha ignored).
    static bool AllPixels(SoftImage* image, uint32_t rgb) {
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x)
                if ((GetImagePixelArgb(image, x, y) & 0xFFFFFF) != rgb) return false;
        return image->width > 0;
    }
};
