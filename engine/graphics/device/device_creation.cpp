// Device creation with its presentation parameters and fallbacks, its release, and the multisample check.
#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/frame/window_utils.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/present_frame.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/softrender/soft_render_state.h"

namespace {

constexpr DWORD kMixedVertexProcessing = D3DCREATE_MIXED_VERTEXPROCESSING;
constexpr DWORD kSoftwareVertexProcessing = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
constexpr int kBlankingClears = 4;

bool IsWindowMode() {
    return libraryState.settings.windowMode != 0;
}

D3DSWAPEFFECT SwapEffectOf(int multiSampleType) {
    return multiSampleType == 0 ? D3DSWAPEFFECT_COPY : D3DSWAPEFFECT_DISCARD;
}

D3DFORMAT ReadDesktopFormat() {
    D3DDISPLAYMODE mode{};
    direct3DSystem.direct3D->GetAdapterDisplayMode(0, &mode);
    return mode.Format;
}

// The window mode takes the desktop's format, and the screen's colour depth follows it.
void FollowDesktopFormat(D3DFORMAT format) {
    if (format == D3DFMT_X8R8G8B8) {
        screenSettings.colorBits = 32;
        SetMemImgDefaultKind(1);
    } else if (format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5 || format == D3DFMT_A1R5G5B5) {
        screenSettings.colorBits = 16;
        SetMemImgDefaultKind(0);
    }
}

// D3DFMT_UNKNOWN for a depth the device cannot show.
D3DFORMAT FullScreenFormat() {
    if (screenSettings.colorBits == 16)
        return direct3DSystem.direct3D->GetAdapterModeCount(CurrentAdapter(), D3DFMT_R5G6B5) != 0
                   ? D3DFMT_R5G6B5
                   : D3DFMT_X1R5G5B5;
    if (screenSettings.colorBits == 32) return D3DFMT_X8R8G8B8;
    return D3DFMT_UNKNOWN;
}

bool FullScreenInWindowedSwapChain() {
    return GetSystemInformation().osVersionCode >= OS_WINVISTA &&
           (presentRects.sourceSwitch || IsHalfSizeEmulation());
}

// Fills the parameters for the current mode; false (logged) for an unsupported depth.
bool FillPresentParameters(D3DPRESENT_PARAMETERS* params, D3DDISPLAYMODEEX* fullScreenMode) {
    const int multiSampleType = deviceCreationSettings.multiSampleType;
    *params = D3DPRESENT_PARAMETERS{};
    params->BackBufferWidth = UINT(screenSettings.width);
    params->BackBufferHeight = UINT(screenSettings.height);
    params->BackBufferCount = 1;
    params->SwapEffect = SwapEffectOf(multiSampleType);
    if (IsWindowMode()) {
        params->BackBufferFormat = ReadDesktopFormat();
        params->Windowed = TRUE;
        FollowDesktopFormat(params->BackBufferFormat);
        SetDesktopCompositionEnabled(deviceCreationSettings.compositionMode != 2);
        return true;
    }
    params->BackBufferFormat = FullScreenFormat();
    if (params->BackBufferFormat == D3DFMT_UNKNOWN) {
        LogText("非対応のバックバッファービット深度が指定されました\n");
        return false;
    }
    if (FullScreenInWindowedSwapChain()) {
        ReadDesktopFormat();
        params->Windowed = TRUE;
        return true;
    }
    params->Windowed = FALSE;
    params->FullScreen_RefreshRateInHz = UINT(screenSettings.refreshRate);
    *fullScreenMode = D3DDISPLAYMODEEX{sizeof(D3DDISPLAYMODEEX),    UINT(screenSettings.width),
                                       UINT(screenSettings.height), UINT(screenSettings.refreshRate),
                                       params->BackBufferFormat,    D3DSCANLINEORDERING_PROGRESSIVE};
    if (deviceCreationSettings.compositionMode != 1) {
        SetDesktopCompositionEnabled(0);
        if (systemFunctions.DwmEnableComposition != nullptr)
            LogText("Desktop Window Manager を無効にしました\n");
    }
    return true;
}

void FillPresentation(D3DPRESENT_PARAMETERS* params) {
    params->hDeviceWindow = GetTargetWindowHandle();
    params->PresentationInterval =
        IsWaitVerticalSync() ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
    params->EnableAutoDepthStencil = FALSE;
    params->Flags = deviceCreationSettings.multiSampleType == 0 ? D3DPRESENTFLAG_LOCKABLE_BACKBUFFER : 0;
    if (deviceCreationSettings.multiSampleType != 0) {
        ChooseMultiSampleQuality(params->BackBufferFormat, &deviceCreationSettings.multiSampleType,
                                 &deviceCreationSettings.multiSampleQuality, 0);
    } else {
        deviceCreationSettings.multiSampleQuality = 0;
    }
    params->MultiSampleType = D3DMULTISAMPLE_TYPE(deviceCreationSettings.multiSampleType);
    params->MultiSampleQuality = DWORD(deviceCreationSettings.multiSampleQuality);
}

struct DeviceRequest {
    D3DPRESENT_PARAMETERS params;
    D3DDISPLAYMODEEX fullScreenMode;
    DWORD behaviour;
};

HRESULT CreateDeviceWith(DeviceRequest& request, DWORD vertexProcessing) {
    const DWORD behaviour = request.behaviour | vertexProcessing;
    HWND focus = libraryState.settings.mainWindow;
    if (direct3DSystem.direct3DEx != nullptr) {
        D3DDISPLAYMODEEX* mode = request.params.Windowed ? nullptr : &request.fullScreenMode;
        IDirect3DDevice9Ex* device = nullptr;
        HRESULT result = direct3DSystem.direct3DEx->CreateDeviceEx(CurrentAdapter(), D3DDEVTYPE_HAL, focus,
                                                                   behaviour, &request.params, mode, &device);
        if (SUCCEEDED(result)) direct3DSystem.device = direct3DSystem.deviceEx = device;
        return result;
    }
    return direct3DSystem.direct3D->CreateDevice(CurrentAdapter(), D3DDEVTYPE_HAL, focus, behaviour,
                                                 &request.params, &direct3DSystem.device);
}

// The first attempt: mixed vertex processing on a shader 2.0 adapter, else software.
bool CreateFirstAttempt(DeviceRequest& request) {
    D3DCAPS9 caps{};
    Direct3DGetDeviceCaps(CurrentAdapter(), D3DDEVTYPE_HAL, &caps);
    const bool shader2 =
        (caps.VertexShaderVersion & 0xFFFF) >= 0x200 && (caps.PixelShaderVersion & 0xFFFF) >= 0x200;
    deviceCreationSettings.hardwareVertexProcessing = shader2 ? 1 : 0;
    deviceCreationSettings.adapterVertexShaderVersion = caps.VertexShaderVersion;
    LogText(direct3DSystem.direct3DEx != nullptr ? "IDirect3DDevice9Ex オブジェクトを取得します.... "
                                                 : "IDirect3DDevice9 オブジェクトを取得します.... ");
    if (FAILED(CreateDeviceWith(request, shader2 ? kMixedVertexProcessing : kSoftwareVertexProcessing)))
        return false;
    LogText("ハードウエア頂点演算を使用します\n");
    return true;
}

// 0, or -1 / -2 as CreateDirect3DDevice returns them.
int CreateFallbackAttempt(DeviceRequest& request) {
    deviceCreationSettings.hardwareVertexProcessing = 0;
    if (SUCCEEDED(CreateDeviceWith(request, kSoftwareVertexProcessing))) {
        LogText("ソフトウエア頂点演算を使用します\n");
        return 0;
    }
    if (direct3DSystem.direct3DEx != nullptr) {
        deviceCreationSettings.refuseEx = 1;
        LogText("Direct3DDevice9Ex の作成に失敗しました\n");
        return -2;
    }
    LogText("Direct3DDevice9 の作成に失敗しました\n");
    return -1;
}

// Clear, present, clear ... so that the screen starts blank.
void BlankScreen() {
    const D3DCOLOR background = D3DCOLOR((libraryState.settings.backgroundRed & 0xFF) << 16 |
                                         (libraryState.settings.backgroundGreen & 0xFF) << 8 |
                                         (libraryState.settings.backgroundBlue & 0xFF));
    HWND window = GetTargetWindowHandle();
    for (int clear = 0; clear < kBlankingClears; ++clear) {
        if (clear > 0) direct3DSystem.device->Present(nullptr, nullptr, window, nullptr);
        DeviceClear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0);
    }
}

}  // namespace

int CreateDirect3DDevice() {
    DeviceRequest request{};
    if (!FillPresentParameters(&request.params, &request.fullScreenMode)) return -1;
    FillPresentation(&request.params);
    request.behaviour = (deviceCreationSettings.multithreaded ? D3DCREATE_MULTITHREADED : 0) |
                        (deviceCreationSettings.fpuPreserve ? D3DCREATE_FPU_PRESERVE : 0);
    const bool made = !deviceCreationSettings.softwareVertexProcessing && CreateFirstAttempt(request);
    if (!made) {
        int result = CreateFallbackAttempt(request);
        if (result != 0) return result;
    }
    if (direct3DSystem.deviceEx != nullptr) direct3DSystem.deviceEx->SetMaximumFrameLatency(1);
    DeviceSetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    BlankScreen();
    direct3DSystem.device->GetSwapChain(0, &direct3DSystem.swapChain);
    return 0;
}

int ReleaseDirect3DDevice() {
    if (direct3DSystem.swapChain != nullptr) {
        ReleaseComObject(direct3DSystem.swapChain);
        direct3DSystem.swapChain = nullptr;
    }
    if (direct3DSystem.device != nullptr) {
        LogText("Direct3DDevice9 の解放 2\n");
        ReleaseComObject(direct3DSystem.device);
        direct3DSystem.device = nullptr;
        direct3DSystem.deviceEx = nullptr;
    }
    return 0;
}

namespace {

// Lowers type until the adapter offers it for the format; false at type 0 or, when strict, at once.
bool FindOfferedType(D3DFORMAT format, int* type, int strict, DWORD* levels) {
    const BOOL windowed = IsWindowMode() ? TRUE : FALSE;
    while (FAILED(direct3DSystem.direct3D->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, format, windowed,
                                                                      D3DMULTISAMPLE_TYPE(*type), levels))) {
        if (strict) return false;
        if (--*type <= 0) {
            *type = 0;
            return false;
        }
    }
    return true;
}

}  // namespace

int ChooseMultiSampleQuality(D3DFORMAT format, int* type, int* quality, int strict) {
    DWORD colourLevels = 0, depthLevels = 0;
    if (!FindOfferedType(format, type, strict, &colourLevels) ||
        !FindOfferedType(D3DFMT_D16, type, strict, &depthLevels)) {
        *quality = 0;
        return strict ? -1 : 0;
    }
    const int levels = int(colourLevels < depthLevels ? colourLevels : depthLevels);
    // A check that reports no level at all leaves quality 0, never a negative one.
    const int highest = levels > 0 ? levels - 1 : 0;
    if (*quality > highest) *quality = highest;
    return 0;
}
