#include "engine/graphics/device/direct3d_system.h"

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/frame/window_utils.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/graphics_services.h"

Direct3DSystem direct3DSystem;
DeviceCreationSettings deviceCreationSettings;
int Direct3DMode;

D3DCAPS9 DeviceCaps;
DeviceCapabilityFlags deviceCapabilityFlags;
DeviceFormatTable deviceFormatTable;
IDirect3DSurface9* BackBufferSurface;

namespace {

typedef IDirect3D9*(WINAPI* Direct3DCreate9Function)(UINT sdkVersion);
typedef HRESULT(WINAPI* Direct3DCreate9ExFunction)(UINT sdkVersion, IDirect3D9Ex** object);

// The Ex interface is the Direct3D object itself: one reference for both fields.
void ReleaseDirect3DObjects() {
    ReleaseAndClear(direct3DSystem.direct3D);
    direct3DSystem.direct3DEx = nullptr;
}

IDirect3D9Ex* CreateExObject() {
    LogText("IDirect3D9Ex オブジェクトを取得します.... ");
    auto create = reinterpret_cast<Direct3DCreate9ExFunction>(
        GetProcAddress(direct3DSystem.module, "Direct3DCreate9Ex"));
    IDirect3D9Ex* object = nullptr;
    if (create == nullptr || FAILED(create(kDirect3DSdkVersion, &object))) return nullptr;
    return object;
}

}  // namespace

int LoadDirect3D9Library() {
    direct3DSystem.module = LoadLibraryA("d3d9.dll");
    if (direct3DSystem.module != nullptr) return 0;
    LogText("d3d9.dll の読み込みに失敗しました\n");
    return -1;
}

int FreeDirect3D9Library() {
    if (direct3DSystem.module == nullptr) return 0;
    LogText("Direct3D9 DLL の解放 1\n");
    FreeLibrary(direct3DSystem.module);
    direct3DSystem.module = nullptr;
    return 0;
}

int CreateDirectDrawObject() {
    ReleaseDirectDrawObject();
    LogText("DirectDraw オブジェクトの取得を行います....  ");
    void* object = nullptr;
    if (systemFunctions.CoCreateInstance == nullptr ||
        FAILED(systemFunctions.CoCreateInstance(CLSID_DirectDraw7, nullptr, 7, IID_IDirectDraw7, &object)) ||
        object == nullptr) {
        LogText("オブジェクトの取得に失敗しました\n");
        return -1;
    }
    direct3DSystem.directDraw = static_cast<IDirectDraw7*>(object);
    LogText("成功\n");
    LogText("引き続き初期化処理... ");
    if (FAILED(direct3DSystem.directDraw->Initialize(nullptr))) {
        LogText("DirectDrawオブジェクトの初期化に失敗しました\n");
        ReleaseDirectDrawObject();
        return -1;
    }
    LogText("初期化に成功しました\n");
    DWORD level = DDSCL_NORMAL | (deviceCreationSettings.fpuPreserve ? DDSCL_FPUPRESERVE : 0);
    direct3DSystem.directDraw->SetCooperativeLevel(libraryState.settings.mainWindow, level);
    if (deviceCreationSettings.compositionMode == 2) SetDesktopCompositionEnabled(0);
    return 0;
}

int ReleaseDirectDrawObject() {
    ReleaseAndClear(direct3DSystem.directDraw);
    return 0;
}

void* GetDirectDrawObject() {
    return direct3DSystem.directDraw;
}

int CreateDirect3D9Object() {
    ReleaseDirect3DObjects();
    IDirect3D9* object = nullptr;
    if (!deviceCreationSettings.refuseEx) {
        direct3DSystem.direct3DEx = CreateExObject();
        object = direct3DSystem.direct3DEx;
    }
    if (object == nullptr) {
        LogText("IDirect3D9 オブジェクトを取得します.... ");
        auto create = reinterpret_cast<Direct3DCreate9Function>(
            GetProcAddress(direct3DSystem.module, "Direct3DCreate9"));
        if (create == nullptr) {
            LogText("Direct3DCreate9 APIのアドレス取得に失敗しました\n");
            return -1;
        }
        object = create(kDirect3DSdkVersion);
        if (object == nullptr) {
            LogText("IDirect3D9 オブジェクトの取得に失敗しました\n");
            return -1;
        }
    }
    direct3DSystem.direct3D = object;
    LogText("成功\n");
    return 0;
}

int ReleaseDirect3D9Object() {
    ReleaseDirect3DObjects();
    return 0;
}

int HasDirect3D9Object() {
    return direct3DSystem.direct3D != nullptr ? 1 : 0;
}
int IsDirect3D9Ex() {
    return direct3DSystem.direct3DEx != nullptr ? 1 : 0;
}
int HasD3DDevice() {
    return direct3DSystem.device != nullptr ? 1 : 0;
}

// Without a device nothing can be lost.
int IsDeviceLost() {
    if (direct3DSystem.device == nullptr) return 0;
    return direct3DSystem.device->TestCooperativeLevel() != D3D_OK ? 1 : 0;
}

UINT CurrentAdapter() {
    return deviceCreationSettings.useAdapterOrdinal ? UINT(deviceCreationSettings.adapterOrdinal) : 0;
}

int GetImageLoadOptionWord(int* out) {
    *out = 0;
    return 0;
}

void ResetDirect3DSystemForTests() {
    ReleaseAndClear(BackBufferSurface);
    ReleaseDirect3DDevice();
    ReleaseDirect3DObjects();
    ReleaseDirectDrawObject();
    FreeDirect3D9Library();
    deviceCreationSettings = DeviceCreationSettings{};
    deviceCapabilityFlags = DeviceCapabilityFlags{};
    deviceFormatTable = DeviceFormatTable{};
    DeviceCaps = D3DCAPS9{};
    Direct3DMode = 0;
}
