#include "engine/graphics/loss/surface_copy.h"

#include "engine/core/memory/log.h"
#include "engine/graphics/device/device_forwarding.h"
#include "engine/graphics/device/device_wrappers.h"

namespace {

void Log(const char* message) {
    if (message != nullptr) LogText(message);
}

// rect of surface stretched onto a render target of its size, then read into system. A failed step
// gives false; the render target never outlives the call.
bool CopyThroughRenderTarget(IDirect3DSurface9* surface, D3DFORMAT format, const RECT* rect, int width,
                             int height, IDirect3DSurface9* system, const char* failureMessage) {
    IDirect3DSurface9* target = nullptr;
    if (FAILED(ForwardCreateRenderTarget(UINT(width), UINT(height), format, D3DMULTISAMPLE_NONE, 0, FALSE,
                                         &target, nullptr, 0))) {
        Log(failureMessage);
        return false;
    }
    const bool copied = SUCCEEDED(DeviceStretchRect(surface, rect, target, nullptr, D3DTEXF_NONE)) &&
                        SUCCEEDED(DeviceGetRenderTargetData(target, system));
    target->Release();
    return copied;
}

}  // namespace

IDirect3DSurface9* CopySurfaceToSystemMemory(IDirect3DSurface9* surface, D3DFORMAT format, const RECT* rect,
                                             int width, int height, const char* systemFailureMessage,
                                             const char* targetFailureMessage) {
    if (rect != nullptr) width = rect->right - rect->left, height = rect->bottom - rect->top;
    IDirect3DSurface9* system = nullptr;
    if (FAILED(ForwardCreateOffscreenPlainSurface(UINT(width), UINT(height), format, D3DPOOL_SYSTEMMEM,
                                                  &system, nullptr, 0))) {
        Log(systemFailureMessage);
        return nullptr;
    }
    const bool direct = rect == nullptr && SUCCEEDED(DeviceGetRenderTargetData(surface, system));
    if (direct || CopyThroughRenderTarget(surface, format, rect, width, height, system, targetFailureMessage))
        return system;
    system->Release();
    return nullptr;
}
