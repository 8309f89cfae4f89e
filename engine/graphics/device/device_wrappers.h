// One thin wrapper per Direct3D method that the library calls: each calls the
// method on the global object (or on the object passed first) with its
// arguments unchanged and returns its result. None checks for a missing object:
// callers test HasD3DDevice first.
#pragma once

#include "engine/graphics/device/direct3d_system.h"

// The Direct3D object.
inline HRESULT Direct3DGetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier) {
    return direct3DSystem.direct3D->GetAdapterIdentifier(adapter, flags, identifier);
}
inline HRESULT Direct3DCheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                         D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
    return direct3DSystem.direct3D->CheckDeviceFormat(adapter, type, adapterFormat, usage, resourceType,
                                                      checkFormat);
}
inline HRESULT Direct3DCheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                              D3DFORMAT renderTargetFormat, D3DFORMAT depthFormat) {
    return direct3DSystem.direct3D->CheckDepthStencilMatch(adapter, type, adapterFormat, renderTargetFormat,
                                                           depthFormat);
}
inline HRESULT Direct3DGetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
    return direct3DSystem.direct3D->GetDeviceCaps(adapter, type, caps);
}

// The device.
inline HRESULT DeviceSetDialogBoxMode(BOOL enable) {
    return direct3DSystem.device->SetDialogBoxMode(enable);
}
inline HRESULT DeviceGetDeviceCaps(D3DCAPS9* caps) {
    return direct3DSystem.device->GetDeviceCaps(caps);
}
inline HRESULT DeviceGetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                   IDirect3DSurface9** surface) {
    return direct3DSystem.device->GetBackBuffer(swapChain, index, type, surface);
}
inline HRESULT DeviceCreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                   D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) {
    return direct3DSystem.device->CreateTexture(width, height, levels, usage, format, pool, texture, shared);
}
inline HRESULT DeviceCreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                                         D3DFORMAT format, D3DPOOL pool, IDirect3DVolumeTexture9** texture,
                                         HANDLE* shared) {
    return direct3DSystem.device->CreateVolumeTexture(width, height, depth, levels, usage, format, pool,
                                                      texture, shared);
}
inline HRESULT DeviceCreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                        IDirect3DVertexBuffer9** buffer, HANDLE* shared) {
    return direct3DSystem.device->CreateVertexBuffer(length, usage, fvf, pool, buffer, shared);
}
inline HRESULT DeviceCreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                       IDirect3DIndexBuffer9** buffer, HANDLE* shared) {
    return direct3DSystem.device->CreateIndexBuffer(length, usage, format, pool, buffer, shared);
}
inline HRESULT DeviceCreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                        D3DMULTISAMPLE_TYPE multisample, DWORD quality, BOOL lockable,
                                        IDirect3DSurface9** surface, HANDLE* shared) {
    return direct3DSystem.device->CreateRenderTarget(width, height, format, multisample, quality, lockable,
                                                     surface, shared);
}
inline HRESULT DeviceCreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                               D3DMULTISAMPLE_TYPE multisample, DWORD quality, BOOL discard,
                                               IDirect3DSurface9** surface, HANDLE* shared) {
    return direct3DSystem.device->CreateDepthStencilSurface(width, height, format, multisample, quality,
                                                            discard, surface, shared);
}
inline HRESULT DeviceUpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                                   const POINT* destPoint) {
    return direct3DSystem.device->UpdateSurface(source, sourceRect, dest, destPoint);
}
inline HRESULT DeviceUpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest) {
    return direct3DSystem.device->UpdateTexture(source, dest);
}
inline HRESULT DeviceGetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* dest) {
    return direct3DSystem.device->GetRenderTargetData(renderTarget, dest);
}
inline HRESULT DeviceStretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                                 const RECT* destRect, D3DTEXTUREFILTERTYPE filter) {
    return direct3DSystem.device->StretchRect(source, sourceRect, dest, destRect, filter);
}
inline HRESULT DeviceColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) {
    return direct3DSystem.device->ColorFill(surface, rect, color);
}
inline HRESULT DeviceCreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                 IDirect3DSurface9** surface, HANDLE* shared) {
    return direct3DSystem.device->CreateOffscreenPlainSurface(width, height, format, pool, surface, shared);
}
inline HRESULT DeviceSetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
    return direct3DSystem.device->SetRenderTarget(index, surface);
}
inline HRESULT DeviceSetDepthStencilSurface(IDirect3DSurface9* surface) {
    return direct3DSystem.device->SetDepthStencilSurface(surface);
}
inline HRESULT DeviceGetDepthStencilSurface(IDirect3DSurface9** surface) {
    return direct3DSystem.device->GetDepthStencilSurface(surface);
}
inline HRESULT DeviceBeginScene() {
    return direct3DSystem.device->BeginScene();
}
inline HRESULT DeviceEndScene() {
    return direct3DSystem.device->EndScene();
}
inline HRESULT DeviceClear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                           DWORD stencil) {
    return direct3DSystem.device->Clear(count, rects, flags, color, z, stencil);
}
inline HRESULT DeviceSetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    return direct3DSystem.device->SetTransform(state, matrix);
}
inline HRESULT DeviceSetViewport(const D3DVIEWPORT9* viewport) {
    return direct3DSystem.device->SetViewport(viewport);
}
inline HRESULT DeviceGetViewport(D3DVIEWPORT9* viewport) {
    return direct3DSystem.device->GetViewport(viewport);
}
inline HRESULT DeviceSetMaterial(const D3DMATERIAL9* material) {
    return direct3DSystem.device->SetMaterial(material);
}
inline HRESULT DeviceGetMaterial(D3DMATERIAL9* material) {
    return direct3DSystem.device->GetMaterial(material);
}
inline HRESULT DeviceSetLight(DWORD index, const D3DLIGHT9* light) {
    return direct3DSystem.device->SetLight(index, light);
}
inline HRESULT DeviceLightEnable(DWORD index, BOOL enable) {
    return direct3DSystem.device->LightEnable(index, enable);
}
inline HRESULT DeviceSetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    return direct3DSystem.device->SetRenderState(state, value);
}
inline HRESULT DeviceSetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    return direct3DSystem.device->SetTexture(stage, texture);
}
inline HRESULT DeviceSetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    return direct3DSystem.device->SetTextureStageState(stage, type, value);
}
inline HRESULT DeviceSetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    return direct3DSystem.device->SetSamplerState(sampler, type, value);
}
inline HRESULT DeviceSetScissorRect(const RECT* rect) {
    return direct3DSystem.device->SetScissorRect(rect);
}
inline HRESULT DeviceDrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                                     UINT stride) {
    return direct3DSystem.device->DrawPrimitiveUP(type, primitiveCount, vertices, stride);
}
inline HRESULT DeviceDrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertex, UINT vertexCount,
                                            UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                            const void* vertices, UINT stride) {
    return direct3DSystem.device->DrawIndexedPrimitiveUP(type, minVertex, vertexCount, primitiveCount,
                                                         indices, indexFormat, vertices, stride);
}
inline HRESULT DeviceCreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                             IDirect3DVertexDeclaration9** declaration) {
    return direct3DSystem.device->CreateVertexDeclaration(elements, declaration);
}
inline HRESULT DeviceSetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
    return direct3DSystem.device->SetVertexDeclaration(declaration);
}
inline HRESULT DeviceSetFVF(DWORD fvf) {
    return direct3DSystem.device->SetFVF(fvf);
}
inline HRESULT DeviceCreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader) {
    return direct3DSystem.device->CreateVertexShader(function, shader);
}
inline HRESULT DeviceSetVertexShader(IDirect3DVertexShader9* shader) {
    return direct3DSystem.device->SetVertexShader(shader);
}
inline HRESULT DeviceSetVertexShaderConstantF(UINT start, const float* data, UINT count) {
    return direct3DSystem.device->SetVertexShaderConstantF(start, data, count);
}
inline HRESULT DeviceSetVertexShaderConstantI(UINT start, const int* data, UINT count) {
    return direct3DSystem.device->SetVertexShaderConstantI(start, data, count);
}
inline HRESULT DeviceSetVertexShaderConstantB(UINT start, const BOOL* data, UINT count) {
    return direct3DSystem.device->SetVertexShaderConstantB(start, data, count);
}
inline HRESULT DeviceCreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader) {
    return direct3DSystem.device->CreatePixelShader(function, shader);
}
inline HRESULT DeviceSetPixelShader(IDirect3DPixelShader9* shader) {
    return direct3DSystem.device->SetPixelShader(shader);
}
inline HRESULT DeviceSetPixelShaderConstantF(UINT start, const float* data, UINT count) {
    return direct3DSystem.device->SetPixelShaderConstantF(start, data, count);
}
inline HRESULT DeviceSetPixelShaderConstantI(UINT start, const int* data, UINT count) {
    return direct3DSystem.device->SetPixelShaderConstantI(start, data, count);
}
inline HRESULT DeviceSetPixelShaderConstantB(UINT start, const BOOL* data, UINT count) {
    return direct3DSystem.device->SetPixelShaderConstantB(start, data, count);
}

// Objects passed first.
inline HRESULT TextureGetSurfaceLevel(IDirect3DTexture9* texture, UINT level, IDirect3DSurface9** surface) {
    return texture->GetSurfaceLevel(level, surface);
}
inline HRESULT TextureLockRect(IDirect3DTexture9* texture, UINT level, D3DLOCKED_RECT* locked,
                               const RECT* rect, DWORD flags) {
    return texture->LockRect(level, locked, rect, flags);
}
inline HRESULT TextureUnlockRect(IDirect3DTexture9* texture, UINT level) {
    return texture->UnlockRect(level);
}
inline HRESULT SurfaceGetDesc(IDirect3DSurface9* surface, D3DSURFACE_DESC* desc) {
    return surface->GetDesc(desc);
}
inline HRESULT SurfaceLockRect(IDirect3DSurface9* surface, D3DLOCKED_RECT* locked, const RECT* rect,
                               DWORD flags) {
    return surface->LockRect(locked, rect, flags);
}
inline HRESULT SurfaceUnlockRect(IDirect3DSurface9* surface) {
    return surface->UnlockRect();
}
template <class Buffer>
inline HRESULT BufferLock(Buffer* buffer, UINT offset, UINT size, void** data, DWORD flags) {
    return buffer->Lock(offset, size, data, flags);
}
template <class Buffer>
inline HRESULT BufferUnlock(Buffer* buffer) {
    return buffer->Unlock();
}
// The new reference count.
inline ULONG ReleaseComObject(IUnknown* object) {
    return object->Release();
}
// Releases a held object, if any, and clears the reference: safe to call twice.
template <class Object>
void ReleaseAndClear(Object*& object) {
    if (object == nullptr) return;
    ReleaseComObject(object);
    object = nullptr;
}
