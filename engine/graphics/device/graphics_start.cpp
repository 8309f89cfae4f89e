#include "engine/graphics/device/graphics_start.h"

#include <cstring>

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/frame/window_mode.h"
#include "engine/core/frame/window_utils.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/device/brightness_volume_texture.h"
#include "engine/graphics/device/builtin_shaders.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_objects.h"
#include "engine/graphics/device/device_probe.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/present_frame.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/device/vertex_declarations.h"
#include "engine/graphics/device/vertical_blank.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/scene3d/model_device_objects.h"
#include "platform/user/user32.h"

namespace {

// The display mode is left to the device unless, from Vista on, the present source or half-size
// emulation needs the mode set beforehand.
bool DisplayModeSetBeforeDevice() {
    return GetSystemInformation().osVersionCode >= OS_WINVISTA &&
           (presentRects.sourceSwitch != 0 || IsHalfSizeEmulation());
}

// Everything that holds the device, then the device and the Direct3D object.
void ReleaseDeviceSide() {
    ReleaseVertexDeclarations();
    ReleasePixelShaders();
    ReleaseDepthBuffer();
    ReleaseSubBackBuffer();
    ReleaseAndClear(BackBufferSurface);
    ReleaseBrightnessVolumeTexture();
    ReleaseDirect3DDevice();
    sceneLatch = 0;
    ReleaseDirect3D9Object();
}

// Software drawing: the display mode in full screen, and the vertical blank measured.
int StartWithoutDevice() {
    if (IsFullScreenMode() && ApplyDisplayMode() != 0) return -1;
    MeasureVerticalBlankPeriod();
    return 0;
}

// The Direct3D object and the probed device; the probe's -2 asks for a new Direct3D object.
int CreateProbedDevice() {
    for (;;) {
        if (CreateDirect3D9Object() != 0) return -1;
        const int result = ProbeDeviceFormats();
        if (result != -2) return result;
    }
}

int ChangeDisplay(DEVMODEA* mode, DWORD flags) {
    return ChangeDisplaySettingsA(mode, flags) == DISP_CHANGE_SUCCESSFUL ? 0 : -1;
}

int SetDisplayMode() {
    if (screenSettings.colorBits != 16 && screenSettings.colorBits != 32) return -1;
    LogText("画面解像度を変更します... ");
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof(mode));
    mode.dmSize = sizeof(mode);
    mode.dmBitsPerPel = DWORD(screenSettings.colorBits);
    mode.dmPelsWidth = DWORD(screenSettings.width);
    mode.dmPelsHeight = DWORD(screenSettings.height);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    if (screenSettings.refreshRate != 0) {
        mode.dmDisplayFrequency = DWORD(screenSettings.refreshRate);
        mode.dmFields |= DM_DISPLAYFREQUENCY;
    }
    if (ChangeDisplay(&mode, CDS_FULLSCREEN) == 0) return 0;
    mode.dmFields &= ~DM_DISPLAYFREQUENCY;
    screenSettings.refreshRate = 0;
    if (ChangeDisplay(&mode, 0) == 0) return 0;
    if (screenSettings.width == 320 && screenSettings.height == 240) {
        SetHalfSizeEmulation(1);
        SetScreenSize(640, 480);
        mode.dmPelsWidth = 640;
        mode.dmPelsHeight = 480;
        if (ChangeDisplay(&mode, 0) == 0) {
            ApplyWindowStyles();
            return 0;
        }
    }
    LogText("画面モードの変更に失敗しました\n");
    return -1;
}

}  // namespace

int StartGraphicsSystem() {
    if (LoadDirect3D9Library() != 0) return -1;
    if (CreateDirectDrawObject() != 0) {
        FreeDirect3D9Library();
        return -1;
    }
    Direct3DMode = 0;
    if (screenSettings.softwareOnly) return StartWithoutDevice();
    const bool modeFailed = IsFullScreenMode() && DisplayModeSetBeforeDevice() && ApplyDisplayMode() != 0;
    if (modeFailed || CreateProbedDevice() != 0 || CreateDepthBuffer() != 0) {
        ReleaseDeviceSide();
        return StartWithoutDevice();
    }
    Direct3DMode = 1;
    StartShaderSystem();
    if (GetProgrammableShaderFlag()) {
        CreateVertexDeclarations();
        CreateBrightnessVolumeTexture();
    }
    return 0;
}

int EndGraphicsSystem() {
    ReleaseModelDeviceObjects();
    if (!(Direct3DMode == 1 && !DisplayModeSetBeforeDevice())) ChangeDisplaySettingsA(nullptr, 0);
    ReleaseDeviceSide();
    ReleaseDirectDrawObject();
    FreeDirect3D9Library();
    FreeDisplayModeList();
    return 0;
}

int ApplyDisplayMode() {
    int width = 0, height = 0, bits = 0;
    GetDesktopScreenInfo(&width, &height, &bits);
    LogPrintf("画面モードの変更処理を開始します %u x %u  %u bit ", unsigned(screenSettings.width),
              unsigned(screenSettings.height), unsigned(screenSettings.colorBits));
    LogIndentIn();
    const int result = SetDisplayMode();
    if (result == 0) LogText("成功しました\n");
    LogIndentOut();
    return result;
}

void* GetDirectDrawObjectAlias() {
    return GetDirectDrawObject();
}

int IsDisplayReady() {
    return direct3DSystem.directDraw != nullptr && libraryState.settings.mainWindow != nullptr ? 1 : 0;
}
