// The draw fixture with the draw target state, screen settings and software surfaces reset, graphics
// marked started, and a 400 x 300 screen.
#pragma once

#include "engine/core/frame/library_state.h"
#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/softrender/soft_draw_entries.h"
#include "engine/softrender/soft_render_state.h"
#include "tests/graphics/draw/draw_test_support.h"

namespace graphics_test {

class TargetFixture : public DrawFixture {
  protected:
    void SetUp() override {
        DrawFixture::SetUp();
        Reset();
        graphicsStarted = 1;
        screenSettings.width = 400;
        screenSettings.height = 300;
        screenSettings.colorBits = 16;
    }
    void TearDown() override {
        DrawFixture::TearDown();
        Reset();
    }
    static void Reset() {
        ResetDrawTargetStateForTests();
        ResetScreenSettingsForTests();
        ResetLibraryStateForTests();
        g_softDrawSurfaces = {};
        g_softRenderState = {};
        graphicsStarted = 0;
    }
};

// The same with the graphic handle types registered.
class TargetGraphicsFixture : public TargetFixture {
  protected:
    void SetUp() override {
        TargetFixture::SetUp();
        ASSERT_EQ(RegisterGraphicsHandleTypes(), 0);
    }
    void TearDown() override {
        EndGraphicsHandleTypes();
        TargetFixture::TearDown();
    }
};

}  // namespace graphics_test
