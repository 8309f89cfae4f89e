#include "engine/graphics/device/graphics_init.h"

#include "engine/core/memory/screen_log.h"
#include "engine/graphics/device/builtin_shader_archives.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/graphics_start.h"
#include "engine/graphics/device/memory_textures.h"
#include "engine/graphics/device/screen_mem_image.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/draw/device_state_defaults.h"
#include "engine/graphics/draw/draw_state_preparation.h"
#include "engine/graphics/draw/shader_constant_cache.h"
#include "engine/graphics/filters/shader_filter_self_test.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/font_cache_graphics.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/loss/mask_screen.h"
#include "engine/graphics/scene3d/draw_settings_reset.h"
#include "engine/graphics/scene3d/lights.h"
#include "engine/softrender/soft_render_state.h"
#include "engine/text_movie/font_environment.h"
#include "engine/text_movie/font_handles.h"

int graphicsStarted = 0;

namespace {

void ApplyScreenDefaults() {
    if (screenSettings.width == 0 || screenSettings.height == 0) SetScreenSize(640, 480);
    if (screenSettings.colorBits == 0) {
        SetColorDepthSetting(16);
        SetMemImgDefaultKind(0);
    }
    if (IsFullScreenMode() && screenSettings.width == 320 && screenSettings.height == 240) {
        SetHalfSizeEmulation(1);
        SetScreenSize(640, 480);
    }
}

int ScreenHeight() {
    return screenSettings.height;
}

}  // namespace

int InitGraphicsSystem() {
    if (graphicsStarted) return 0;
    ApplyScreenDefaults();
    ResetShaderConstantCache(&shaderConstantCache);
    SelectShaderConstantSets(&shaderConstantCache, 1);
    if (StartGraphicsSystem() != 0) {
        ShutdownGraphics();
        return -1;
    }
    RegisterGraphicsHandleTypes();
    graphicsStarted = 1;
    if (Direct3DMode)
        ReapplyDeviceStates();
    else
        CreateScreenMemImage();
    ResetDrawSettings();
    BuildSoftBlendTables();
    InstallGraphicsFontEnvironment();
    InitFontSystem();
    RegisterMaskHandleType();
    if (Direct3DMode) ApplyAllDeviceStates();
    RunShaderFilterSelfTest();
    SetScreenLogDisplayQueries(IsDisplayReady, ScreenHeight);
    return 0;
}

// Ends the graphics system also after a failed start, which leaves graphicsStarted 0.
int ShutdownGraphics() {
    EndMaskSystem();
    EndFontSystem();
    SetFontEnvironment(nullptr);
    if (graphicsStarted) FreeAllGraphics(0);
    EndLights();
    ReleaseAllMemoryTextures();
    EndGraphicsSystem();
    ReleaseScreenMemImages();
    CloseBuiltinShaderArchives();
    if (graphicsStarted) EndGraphicsHandleTypes();
    graphicsStarted = 0;
    return 0;
}
