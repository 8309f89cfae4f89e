// Direct3D 9 interfaces: the methods the library calls, over a CPU rasteriser that follows Direct3D 9's
// rules. "d3d9.dll" exports Direct3DCreate9 (and Direct3DCreate9Ex when switched on, see d3d9_control.h).
#pragma once

#include "platform/com/unknown.h"
#include "platform/d3d9/d3d9_types.h"

struct IDirect3DDevice9;
struct IDirect3DDevice9Ex;
struct IDirect3DSurface9;
struct IDirect3DSwapChain9;

struct IDirect3DResource9 : IUnknown {
    STDMETHOD(GetDevice)(IDirect3DDevice9** device) = 0;
    STDMETHOD_(D3DRESOURCETYPE, GetType)() = 0;
};

struct IDirect3DBaseTexture9 : IDirect3DResource9 {
    STDMETHOD_(DWORD, GetLevelCount)() = 0;
};

struct IDirect3DSurface9 : IDirect3DResource9 {
    STDMETHOD(GetDesc)(D3DSURFACE_DESC* desc) = 0;
    STDMETHOD(LockRect)(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
    STDMETHOD(UnlockRect)() = 0;
};

struct IDirect3DTexture9 : IDirect3DBaseTexture9 {
    STDMETHOD(GetLevelDesc)(UINT level, D3DSURFACE_DESC* desc) = 0;
    STDMETHOD(GetSurfaceLevel)(UINT level, IDirect3DSurface9** surface) = 0;
    STDMETHOD(LockRect)(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
    STDMETHOD(UnlockRect)(UINT level) = 0;
    STDMETHOD(AddDirtyRect)(const RECT* rect) = 0;
};

struct IDirect3DVolumeTexture9 : IDirect3DBaseTexture9 {
    STDMETHOD(GetLevelDesc)(UINT level, D3DVOLUME_DESC* desc) = 0;
    STDMETHOD(LockBox)(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) = 0;
    STDMETHOD(UnlockBox)(UINT level) = 0;
};

struct IDirect3DVertexBuffer9 : IDirect3DResource9 {
    STDMETHOD(Lock)(UINT offset, UINT size, void** data, DWORD flags) = 0;
    STDMETHOD(Unlock)() = 0;
    STDMETHOD(GetDesc)(D3DVERTEXBUFFER_DESC* desc) = 0;
};

struct IDirect3DIndexBuffer9 : IDirect3DResource9 {
    STDMETHOD(Lock)(UINT offset, UINT size, void** data, DWORD flags) = 0;
    STDMETHOD(Unlock)() = 0;
    STDMETHOD(GetDesc)(D3DINDEXBUFFER_DESC* desc) = 0;
};

struct IDirect3DVertexDeclaration9 : IUnknown {
    STDMETHOD(GetDeclaration)(D3DVERTEXELEMENT9* elements, UINT* count) = 0;
};

struct IDirect3DVertexShader9 : IUnknown {};
struct IDirect3DPixelShader9 : IUnknown {};

struct IDirect3DSwapChain9 : IUnknown {
    STDMETHOD(Present)(const RECT* source, const RECT* dest, HWND window, const void* dirty, DWORD flags) = 0;
    STDMETHOD(GetBackBuffer)(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) = 0;
    STDMETHOD(GetPresentParameters)(D3DPRESENT_PARAMETERS* params) = 0;
};

struct IDirect3DDevice9 : IUnknown {
    STDMETHOD(TestCooperativeLevel)() = 0;
    STDMETHOD(GetDeviceCaps)(D3DCAPS9* caps) = 0;
    STDMETHOD(GetSwapChain)(UINT index, IDirect3DSwapChain9** swap_chain) = 0;
    STDMETHOD(Present)(const RECT* source, const RECT* dest, HWND window, const void* dirty) = 0;
    STDMETHOD(GetBackBuffer)
    (UINT swap_chain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) = 0;
    STDMETHOD(SetDialogBoxMode)(BOOL enable) = 0;
    STDMETHOD(CreateTexture)
    (UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
     IDirect3DTexture9** texture, HANDLE* shared) = 0;
    STDMETHOD(CreateVolumeTexture)
    (UINT width, UINT height, UINT depth, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
     IDirect3DVolumeTexture9** texture, HANDLE* shared) = 0;
    STDMETHOD(CreateVertexBuffer)
    (UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer, HANDLE* shared) = 0;
    STDMETHOD(CreateIndexBuffer)
    (UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** buffer,
     HANDLE* shared) = 0;
    STDMETHOD(CreateRenderTarget)
    (UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multisample, DWORD quality, BOOL lockable,
     IDirect3DSurface9** surface, HANDLE* shared) = 0;
    STDMETHOD(CreateDepthStencilSurface)
    (UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multisample, DWORD quality, BOOL discard,
     IDirect3DSurface9** surface, HANDLE* shared) = 0;
    STDMETHOD(UpdateSurface)
    (IDirect3DSurface9* source, const RECT* source_rect, IDirect3DSurface9* dest,
     const POINT* dest_point) = 0;
    STDMETHOD(UpdateTexture)(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest) = 0;
    STDMETHOD(GetRenderTargetData)(IDirect3DSurface9* render_target, IDirect3DSurface9* dest) = 0;
    STDMETHOD(StretchRect)
    (IDirect3DSurface9* source, const RECT* source_rect, IDirect3DSurface9* dest, const RECT* dest_rect,
     D3DTEXTUREFILTERTYPE filter) = 0;
    STDMETHOD(ColorFill)(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) = 0;
    STDMETHOD(CreateOffscreenPlainSurface)
    (UINT width, UINT height, D3DFORMAT format, D3DPOOL pool, IDirect3DSurface9** surface,
     HANDLE* shared) = 0;
    STDMETHOD(SetRenderTarget)(DWORD index, IDirect3DSurface9* surface) = 0;
    STDMETHOD(GetRenderTarget)(DWORD index, IDirect3DSurface9** surface) = 0;
    STDMETHOD(SetDepthStencilSurface)(IDirect3DSurface9* surface) = 0;
    STDMETHOD(GetDepthStencilSurface)(IDirect3DSurface9** surface) = 0;
    STDMETHOD(BeginScene)() = 0;
    STDMETHOD(EndScene)() = 0;
    STDMETHOD(Clear)
    (DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) = 0;
    STDMETHOD(SetTransform)(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
    STDMETHOD(GetTransform)(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
    STDMETHOD(SetViewport)(const D3DVIEWPORT9* viewport) = 0;
    STDMETHOD(GetViewport)(D3DVIEWPORT9* viewport) = 0;
    STDMETHOD(SetMaterial)(const D3DMATERIAL9* material) = 0;
    STDMETHOD(GetMaterial)(D3DMATERIAL9* material) = 0;
    STDMETHOD(SetLight)(DWORD index, const D3DLIGHT9* light) = 0;
    STDMETHOD(GetLight)(DWORD index, D3DLIGHT9* light) = 0;
    STDMETHOD(LightEnable)(DWORD index, BOOL enable) = 0;
    STDMETHOD(SetRenderState)(D3DRENDERSTATETYPE state, DWORD value) = 0;
    STDMETHOD(GetRenderState)(D3DRENDERSTATETYPE state, DWORD* value) = 0;
    STDMETHOD(SetTexture)(DWORD stage, IDirect3DBaseTexture9* texture) = 0;
    STDMETHOD(GetTexture)(DWORD stage, IDirect3DBaseTexture9** texture) = 0;
    STDMETHOD(SetTextureStageState)(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
    STDMETHOD(GetTextureStageState)(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) = 0;
    STDMETHOD(SetSamplerState)(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;
    STDMETHOD(GetSamplerState)(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) = 0;
    STDMETHOD(SetScissorRect)(const RECT* rect) = 0;
    STDMETHOD(GetScissorRect)(RECT* rect) = 0;
    STDMETHOD(DrawPrimitiveUP)
    (D3DPRIMITIVETYPE type, UINT primitive_count, const void* vertices, UINT stride) = 0;
    STDMETHOD(DrawIndexedPrimitiveUP)
    (D3DPRIMITIVETYPE type, UINT min_vertex, UINT vertex_count, UINT primitive_count, const void* indices,
     D3DFORMAT index_format, const void* vertices, UINT stride) = 0;
    STDMETHOD(CreateVertexDeclaration)
    (const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** declaration) = 0;
    STDMETHOD(SetVertexDeclaration)(IDirect3DVertexDeclaration9* declaration) = 0;
    STDMETHOD(SetFVF)(DWORD fvf) = 0;
    STDMETHOD(GetFVF)(DWORD* fvf) = 0;
    STDMETHOD(CreateVertexShader)(const DWORD* function, IDirect3DVertexShader9** shader) = 0;
    STDMETHOD(SetVertexShader)(IDirect3DVertexShader9* shader) = 0;
    STDMETHOD(SetVertexShaderConstantF)(UINT start, const float* data, UINT count) = 0;
    STDMETHOD(GetVertexShaderConstantF)(UINT start, float* data, UINT count) = 0;
    STDMETHOD(SetVertexShaderConstantI)(UINT start, const int* data, UINT count) = 0;
    STDMETHOD(SetVertexShaderConstantB)(UINT start, const BOOL* data, UINT count) = 0;
    STDMETHOD(CreatePixelShader)(const DWORD* function, IDirect3DPixelShader9** shader) = 0;
    STDMETHOD(SetPixelShader)(IDirect3DPixelShader9* shader) = 0;
    STDMETHOD(SetPixelShaderConstantF)(UINT start, const float* data, UINT count) = 0;
    STDMETHOD(GetPixelShaderConstantF)(UINT start, float* data, UINT count) = 0;
    STDMETHOD(SetPixelShaderConstantI)(UINT start, const int* data, UINT count) = 0;
    STDMETHOD(SetPixelShaderConstantB)(UINT start, const BOOL* data, UINT count) = 0;
};

struct IDirect3DDevice9Ex : IDirect3DDevice9 {
    STDMETHOD(SetMaximumFrameLatency)(UINT latency) = 0;
    STDMETHOD(GetMaximumFrameLatency)(UINT* latency) = 0;
};

struct IDirect3D9 : IUnknown {
    STDMETHOD_(UINT, GetAdapterCount)() = 0;
    STDMETHOD(GetAdapterIdentifier)(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier) = 0;
    STDMETHOD_(UINT, GetAdapterModeCount)(UINT adapter, D3DFORMAT format) = 0;
    STDMETHOD(EnumAdapterModes)(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* display_mode) = 0;
    STDMETHOD(GetAdapterDisplayMode)(UINT adapter, D3DDISPLAYMODE* display_mode) = 0;
    STDMETHOD(CheckDeviceFormat)
    (UINT adapter, D3DDEVTYPE type, D3DFORMAT adapter_format, DWORD usage, D3DRESOURCETYPE resource_type,
     D3DFORMAT check_format) = 0;
    STDMETHOD(CheckDeviceMultiSampleType)
    (UINT adapter, D3DDEVTYPE type, D3DFORMAT format, BOOL windowed, D3DMULTISAMPLE_TYPE multisample,
     DWORD* quality_levels) = 0;
    STDMETHOD(CheckDepthStencilMatch)
    (UINT adapter, D3DDEVTYPE type, D3DFORMAT adapter_format, D3DFORMAT render_target_format,
     D3DFORMAT depth_format) = 0;
    STDMETHOD(GetDeviceCaps)(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) = 0;
    STDMETHOD(CreateDevice)
    (UINT adapter, D3DDEVTYPE type, HWND focus_window, DWORD behavior, D3DPRESENT_PARAMETERS* params,
     IDirect3DDevice9** device) = 0;
};

struct IDirect3D9Ex : IDirect3D9 {
    STDMETHOD(CreateDeviceEx)
    (UINT adapter, D3DDEVTYPE type, HWND focus_window, DWORD behavior, D3DPRESENT_PARAMETERS* params,
     D3DDISPLAYMODEEX* fullscreen_mode, IDirect3DDevice9Ex** device) = 0;
};

// The module's exports.
IDirect3D9* WINAPI Direct3DCreate9(UINT sdk_version);
HRESULT WINAPI Direct3DCreate9Ex(UINT sdk_version, IDirect3D9Ex** object);

// {81BDCBCA-64D4-426D-AE8D-AD0147F4275C}
inline constexpr IID IID_IDirect3D9 = {
    0x81BDCBCA, 0x64D4, 0x426D, {0xAE, 0x8D, 0xAD, 0x01, 0x47, 0xF4, 0x27, 0x5C}};
// {02177241-69FC-400C-8FF1-93A44DF6861D}
inline constexpr IID IID_IDirect3D9Ex = {
    0x02177241, 0x69FC, 0x400C, {0x8F, 0xF1, 0x93, 0xA4, 0x4D, 0xF6, 0x86, 0x1D}};
// {D0223B96-BF7A-43FD-92BD-A43B0D82B9EB}
inline constexpr IID IID_IDirect3DDevice9 = {
    0xD0223B96, 0xBF7A, 0x43FD, {0x92, 0xBD, 0xA4, 0x3B, 0x0D, 0x82, 0xB9, 0xEB}};
// {B18B10CE-2649-405A-870F-95F777D4313A}
inline constexpr IID IID_IDirect3DDevice9Ex = {
    0xB18B10CE, 0x2649, 0x405A, {0x87, 0x0F, 0x95, 0xF7, 0x77, 0xD4, 0x31, 0x3A}};
