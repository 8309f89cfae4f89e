#include "engine/graphics/device/device_objects.h"

#include "engine/core/memory/log.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/screen_settings.h"

DeviceObjects deviceObjects;

int DepthEdge(int size) {
    int edge = 1;
    while (edge < size) edge <<= 1;
    return edge;
}

int CreateDepthBuffer() {
    if (!HasD3DDevice()) return -1;
    ReleaseDepthBuffer();
    LogText("Ｚバッファを作成します.... ");
    const int width = DepthEdge(screenSettings.width);
    const int height = DepthEdge(screenSettings.height);
    HRESULT result = DeviceCreateDepthStencilSurface(
        UINT(width), UINT(height), D3DFORMAT(deviceFormatTable.depth),
        D3DMULTISAMPLE_TYPE(deviceCreationSettings.multiSampleType),
        DWORD(deviceCreationSettings.multiSampleQuality), TRUE, &deviceObjects.depthBuffer, nullptr);
    if (FAILED(result)) {
        deviceObjects.depthBuffer = nullptr;
        LogText("Ｚバッファの作成に失敗しました\n");
        return -1;
    }
    deviceObjects.depthWidth = width;
    deviceObjects.depthHeight = height;
    DeviceSetDepthStencilSurface(deviceObjects.depthBuffer);
    DeviceClear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    LogText("成功\n");
    return 0;
}

int ReleaseDepthBuffer() {
    ReleaseAndClear(deviceObjects.depthBuffer);
    deviceObjects.depthWidth = 0;
    deviceObjects.depthHeight = 0;
    return 0;
}

int CreateSubBackBuffer() {
    if (!HasD3DDevice()) return -1;
    ReleaseSubBackBuffer();
    HRESULT result = DeviceCreateRenderTarget(
        UINT(screenSettings.width), UINT(screenSettings.height), D3DFORMAT(deviceFormatTable.display),
        D3DMULTISAMPLE_TYPE(deviceCreationSettings.multiSampleType),
        DWORD(deviceCreationSettings.multiSampleQuality), FALSE, &deviceObjects.subBackBuffer, nullptr);
    if (SUCCEEDED(result)) return 0;
    deviceObjects.subBackBuffer = nullptr;
    LogText("サブバックバッファの作成に失敗しました\n");
    return -1;
}

int ReleaseSubBackBuffer() {
    ReleaseAndClear(deviceObjects.subBackBuffer);
    return 0;
}

IDirect3DSurface9* GetSubBackBuffer() {
    return deviceObjects.subBackBuffer;
}
