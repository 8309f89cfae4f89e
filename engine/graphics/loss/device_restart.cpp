#include "engine/graphics/loss/device_restart.h"

#include "engine/core/frame/library_init.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/input/input.h"
#include "engine/core/memory/async_load.h"
#include "engine/core/memory/handle_manager.h"
#include "engine/graphics/device/device_recreation.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/graphic_textures.h"
#include "engine/graphics/device/graphics_start.h"
#include "engine/graphics/device/memory_textures.h"
#include "engine/graphics/device/screen_mem_image.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/draw/device_buffers.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/draw_settings_reapply.h"
#include "engine/graphics/draw/draw_state_preparation.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/handles/graphics_restore.h"
#include "engine/graphics/handles/software_remake.h"
#include "engine/graphics/loss/mask_screen.h"
#include "engine/graphics/scene3d/camera.h"
#include "engine/graphics/scene3d/model_device_objects.h"
#include "engine/graphics/scene3d/model_textures.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/graphics/target/frame_flip.h"
#include "engine/graphics/target/render_target_slots.h"
#include "engine/softrender/soft_render_state.h"
#include "engine/text_movie/font_handles.h"
#include "engine/text_movie/movie_services.h"
#include "platform/kernel/kernel32.h"

GraphicsRestartState graphicsRestart;

namespace {

// Loads still queued would make device objects while the device is down: serve them first.
void WaitForPendingLoads() {
    const DWORD pause = GetSystemInformation().processorCount > 1 ? 0 : 2;
    while (GetAsyncLoadPendingCount() > 0) {
        ProcessMainThreadRequests();
        Sleep(pause);
    }
}

void CallHook(GraphicsRestartHook hook, uintptr_t data) {
    if (hook != nullptr) hook(data);
}

void ApplyNewMode(int colorBits, int width, int height, int refreshRate) {
    SetScreenSize(width, height);
    SetColorDepthSetting(colorBits);
    SetRefreshRateSetting(refreshRate);
    SetMemImgDefaultKind(colorBits == 32 ? 1 : 0);
}

void RestartInput() {
    EndInput();
    InitInput();
}

// A restart in the same mode keeps the draw area and the camera the user had.
IntRect keptArea;

void KeepDrawAreaAndCamera() {
    keptArea = drawTargetState.requested;
    KeepCameraForRestart();
}

void RestoreDrawAreaAndCamera() {
    SetClipRect(keptArea.left, keptArea.top, keptArea.right, keptArea.bottom);
    RestoreKeptCamera();
}

// Everything the device holds, made again and refilled.
void RestoreDevice(int newMode) {
    RecreateDeviceBuffers();
    RestoreMaskScreen();
    if (newMode == 0) KeepDrawAreaAndCamera();
    SelectDrawTarget(GetDrawTargetHandle());
    ReapplyDrawSettings();
    for (int pass = 0; pass < 2; ++pass) {
        ClearDrawTarget(nullptr);
        FlipFrameEntry();
    }
    RunRestoreCallback();
    CallHook(graphicsRestart.after, graphicsRestart.afterData);
    ApplyAllDeviceStates();
    RebuildModelDeviceObjects();
    drawSettings.restored = 1;
    if (newMode == 0) RestoreDrawAreaAndCamera();
    RebindRenderTargetSlots();
}

// No device could be made: the software renderer draws into a fresh screen image, and the graphics
// are refilled as software images.
void RestoreSoftware() {
    if (GetScreenMemImage() == nullptr) CreateScreenMemImage();
    RemakeGraphicsAsSoftwareImages();
    RestoreMaskScreen();
    RunRestoreCallback();
    CallHook(graphicsRestart.after, graphicsRestart.afterData);
}

}  // namespace

int SetRestoreCallback(GraphicsRestoreCallback callback) {
    drawSettings.restoreCallback = callback;
    drawSettings.hasRestoreCallback = 1;
    return 0;
}

int HasRestoreCallback() {
    return drawSettings.hasRestoreCallback;
}

int SetGraphicsRestartHooks(GraphicsRestartHook before, uintptr_t beforeData, GraphicsRestartHook after,
                            uintptr_t afterData) {
    graphicsRestart.before = before;
    graphicsRestart.beforeData = beforeData;
    graphicsRestart.after = after;
    graphicsRestart.afterData = afterData;
    return 0;
}

int RunRestoreCallback() {
    const int asyncLoad = IsAsyncLoadEnabled();
    SetAsyncLoadEnabled(0);
    if (drawSettings.restoreCallback != nullptr)
        drawSettings.restoreCallback();
    else
        RestoreAllGraphics();
    RestoreModelTextures();
    RecreateAllFonts();
    SetAsyncLoadEnabled(asyncLoad);
    return 0;
}

int ReleaseGraphicsDevice() {
    if (graphicsRestart.deviceReleased) return 0;
    if (Direct3DMode) {
        ReleaseMaskScreen();
        ReleaseAllDeviceResources();
    }
    EndGraphicsSystem();
    graphicsRestart.deviceReleased = 1;
    return 0;
}

int RestartGraphics(int colorBits, int width, int height, int refreshRate, int newMode) {
    WaitForPendingLoads();
    CallHook(graphicsRestart.before, graphicsRestart.beforeData);
    const bool graphicsOff = libraryFlags.noGraphics != 0;
    if (!graphicsOff) ReleaseGraphicsDevice();
    if (newMode)
        ApplyNewMode(colorBits, width, height, refreshRate);
    else
        RestartInput();
    if (graphicsOff) return 0;
    StartGraphicsSystem();
    graphicsRestart.deviceReleased = 0;
    if (Direct3DMode)
        RestoreDevice(newMode);
    else
        RestoreSoftware();
    CheckMovieTypeInit();
    return 0;
}

int RestartGraphicsKeepMode() {
    return RestartGraphics(-1, -1, -1, -1, 0);
}

int SetBlendGraphicKind1(int graphic, int paramA, int paramB) {
    return SetBlendGraphicKind(graphic, 1, paramA, paramB);
}

void ResetGraphicsRestartForTests() {
    graphicsRestart = GraphicsRestartState{};
    drawSettings.restoreCallback = nullptr;
    drawSettings.hasRestoreCallback = 0;
}
