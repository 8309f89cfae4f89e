// The library's graphics started on the headless host in window mode, with Direct3D or with hardware
// drawing off, at 16 or 32 bits (16 bits on a 16-bit desktop, which the window mode's device follows),
// and what was drawn read back through the back-buffer lock as channel levels in the target's own steps.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/core/frame/library_state.h"
#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/loss/back_buffer_lock.h"
#include "engine/image/soft_image.h"
#include "engine/softrender/soft_render_state.h"
#include "tests/graphics/device/device_fixture.h"
#include "tests/graphics/entries/picture_levels.h"

namespace entries_test {

// Red, green and blue levels per pixel, row by row.
struct Picture {
    int width = 0, height = 0;
    std::vector<int> levels;
    int At(int x, int y, int channel) const { return levels[(size_t(y) * width + x) * 3 + channel]; }
};

class StartedGraphics : public DeviceTest {
  protected:
    void TearDown() override {
        Stop();
        HostSetHeadlessDesktopModeForTests(nullptr);
        SetMemImgDefaultKind(0);
        DeviceTest::TearDown();
    }

    // Starts graphics as a fresh process would, with the game's screen mode at the given depth.
    void Start(bool direct3D, int bits) {
        const HostDisplayMode desktop = {1920, 1080, bits, 60};
        HostSetHeadlessDesktopModeForTests(&desktop);
        libraryFlags.initialised = 0;
        SetMemImgDefaultKind(0);
        SetScreenMode(800, 600, bits, 60);
        SetHardwareDrawEnabled(direct3D ? 1 : 0);
        ASSERT_EQ(InitGraphicsSystem(), 0);
        ASSERT_EQ(Direct3DMode, direct3D ? 1 : 0);
        ASSERT_EQ(GetColorDepth(), bits);
        libraryFlags.initialised = 1;
    }
    void Stop() {
        ShutdownGraphics();
        libraryFlags.initialised = 0;
    }

    // A drawable graphic of the given size, selected with its whole area and cleared to the colour.
    static int MakeSelectedTarget(int width, int height, int red, int green, int blue) {
        const int target = MakeDrawTarget(width, height, 0);
        EXPECT_GE(target, 0);
        SelectDrawTarget(target);
        SetClipRect(0, 0, width, height);
        libraryState.settings.backgroundRed = red, libraryState.settings.backgroundGreen = green;
        libraryState.settings.backgroundBlue = blue;
        ClearDrawTarget(nullptr);
        return target;
    }

    // The graphic's (or with -1 the draw screen's) top-left width x height pixels.
    static Picture Read(int graphic, int width, int height) {
        Picture picture;
        picture.width = width, picture.height = height;
        picture.levels = ReadPictureLevels(graphic, width, height);
        EXPECT_EQ(picture.levels.size(), size_t(width) * size_t(height) * 3) << "the lock failed";
        return picture;
    }
};

}  // namespace entries_test
