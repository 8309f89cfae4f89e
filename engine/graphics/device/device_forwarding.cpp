#include "engine/graphics/device/device_forwarding.h"

ULONG ForwardRelease(IUnknown* object, int onWorker) {
    return ULONG(Forwarding<&ReleaseComObject>::Run(onWorker, object));
}
HRESULT ForwardCreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multisample,
                                  DWORD quality, BOOL lockable, IDirect3DSurface9** surface, HANDLE* shared,
                                  int onWorker) {
    return Forwarding<&DeviceCreateRenderTarget>::Run(onWorker, width, height, format, multisample, quality,
                                                      lockable, surface, shared);
}
HRESULT ForwardCreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                         D3DMULTISAMPLE_TYPE multisample, DWORD quality, BOOL discard,
                                         IDirect3DSurface9** surface, HANDLE* shared, int onWorker) {
    return Forwarding<&DeviceCreateDepthStencilSurface>::Run(onWorker, width, height, format, multisample,
                                                             quality, discard, surface, shared);
}
HRESULT ForwardCreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                             D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared, int onWorker) {
    return Forwarding<&DeviceCreateTexture>::Run(onWorker, width, height, levels, usage, format, pool,
                                                 texture, shared);
}
HRESULT ForwardColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color, int onWorker) {
    return Forwarding<&DeviceColorFill>::Run(onWorker, surface, rect, color);
}
HRESULT ForwardCreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                           IDirect3DSurface9** surface, HANDLE* shared, int onWorker) {
    return Forwarding<&DeviceCreateOffscreenPlainSurface>::Run(onWorker, width, height, format, pool, surface,
                                                               shared);
}
HRESULT ForwardUpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                             const POINT* destPoint, int onWorker) {
    return Forwarding<&DeviceUpdateSurface>::Run(onWorker, source, sourceRect, dest, destPoint);
}
HRESULT ForwardUpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest, int onWorker) {
    return Forwarding<&DeviceUpdateTexture>::Run(onWorker, source, dest);
}
HRESULT ForwardCreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader, int onWorker) {
    return Forwarding<&DeviceCreateVertexShader>::Run(onWorker, function, shader);
}
HRESULT ForwardCreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader, int onWorker) {
    return Forwarding<&DeviceCreatePixelShader>::Run(onWorker, function, shader);
}
HRESULT ForwardCreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                  IDirect3DVertexBuffer9** buffer, HANDLE* shared, int onWorker) {
    return Forwarding<&DeviceCreateVertexBuffer>::Run(onWorker, length, usage, fvf, pool, buffer, shared);
}
HRESULT ForwardCreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                 IDirect3DIndexBuffer9** buffer, HANDLE* shared, int onWorker) {
    return Forwarding<&DeviceCreateIndexBuffer>::Run(onWorker, length, usage, format, pool, buffer, shared);
}
HRESULT ForwardGetSurfaceLevel(IDirect3DTexture9* texture, UINT level, IDirect3DSurface9** surface,
                               int onWorker) {
    return Forwarding<&TextureGetSurfaceLevel>::Run(onWorker, texture, level, surface);
}
HRESULT ForwardLockTextureRect(IDirect3DTexture9* texture, UINT level, D3DLOCKED_RECT* locked,
                               const RECT* rect, DWORD flags, int onWorker) {
    return Forwarding<&TextureLockRect>::Run(onWorker, texture, level, locked, rect, flags);
}
HRESULT ForwardUnlockTextureRect(IDirect3DTexture9* texture, UINT level, int onWorker) {
    return Forwarding<&TextureUnlockRect>::Run(onWorker, texture, level);
}
HRESULT ForwardLockSurfaceRect(IDirect3DSurface9* surface, D3DLOCKED_RECT* locked, const RECT* rect,
                               DWORD flags, int onWorker) {
    return Forwarding<&SurfaceLockRect>::Run(onWorker, surface, locked, rect, flags);
}
HRESULT ForwardUnlockSurface(IDirect3DSurface9* surface, int onWorker) {
    return Forwarding<&SurfaceUnlockRect>::Run(onWorker, surface);
}

HRESULT StretchSurface(IDirect3DSurface9* source, IDirect3DSurface9* dest) {
    return DeviceStretchRect(source, nullptr, dest, nullptr, D3DTEXF_NONE);
}

int ChooseMultiSampleQualityForwarded(D3DFORMAT format, int* type, int* quality, int strict, int onWorker) {
    return Forwarding<&ChooseMultiSampleQuality>::Run(onWorker, format, type, quality, strict);
}
